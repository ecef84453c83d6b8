// A large register map for the loader's speed: `files` texts of `blocks`
// blocks each, every block of `registers` 32-bit registers in register space,
// the blocks one after the other, none overlapping.
#ifndef TKV_TESTS_GENERATED_REGMAP_H
#define TKV_TESTS_GENERATED_REGMAP_H

#include <stdio.h>

#include <string>
#include <vector>

inline std::vector<std::string> generatedRegmap(unsigned files, unsigned blocks, unsigned registers) {
    std::vector<std::string> texts;
    for (unsigned f = 0; f < files; ++f) {
        std::string text;
        for (unsigned b = 0; b < blocks; ++b) {
            const unsigned n = f * blocks + b;
            char line[160];
            snprintf(
                line, sizeof line,
                "[[block]]\nname = \"G%u\"\nspace = \"reg\"\ninstances = [{ name = \"G%u\", base = 0x%x }]\n"
                "register = [\n",
                n, n, 0x200000 + n * registers * 4);
            text += line;
            for (unsigned r = 0; r < registers; ++r) {
                snprintf(line, sizeof line, "{ name = \"R%u\", offset = 0x%x },\n", r, r * 4);
                text += line;
            }
            text += "]\n";
        }
        texts.push_back(text);
    }
    return texts;
}

#endif
