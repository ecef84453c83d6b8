// The shipped maps compiled into the programs are the files as the loader
// reads them: every key, default and line alike.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "regmap_files.h"
#include "tkvtool_run.h"

namespace {

// Everything the loader fills in, one line per item.
std::string describe(const std::vector<regmap::Block> &blocks) {
    std::ostringstream out;
    for (const regmap::Block &b : blocks) {
        out << "block " << b.name << ' ' << regmap::spaceName(b.space) << ' ' << b.description << " @"
            << b.line << '\n';
        for (uint8_t a : b.i2cAddresses) out << "  address " << unsigned{a} << '\n';
        for (const regmap::Instance &i : b.instances)
            out << "  instance " << i.name << ' ' << i.base << " @" << i.line << '\n';
        for (const regmap::Register &r : b.registers) {
            out << "  register " << r.name << ' ' << r.offset << ' ' << r.width << ' ' << accessName(r.access)
                << ' ' << r.hasReset << ' ' << r.reset << ' ' << r.description << " @" << r.line << '\n';
            for (const regmap::Field &f : r.fields) {
                out << "    field " << f.name << ' ' << f.lsb << '-' << f.msb << ' ' << accessName(f.access)
                    << ' ' << f.description << " @" << f.line << '\n';
                for (const regmap::NamedValue &v : f.values)
                    out << "      value " << v.value << ' ' << v.name << '\n';
            }
        }
    }
    return out.str();
}

TEST(ShippedRegmaps, CompiledInBlocksAreTheFilesAsTheLoaderReadsThem) {
    std::vector<std::string> files;
    DIR *dir = opendir(TKV_REGMAPS);
    ASSERT_NE(dir, nullptr);
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".toml") == 0) files.push_back(name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    std::vector<regmap::Block> parsed;
    std::vector<regmap::Fault> faults;
    for (const std::string &file : files)
        EXPECT_TRUE(regmap::loadMapFile(std::string(TKV_REGMAPS) + "/" + file, parsed, faults)) << file;
    EXPECT_TRUE(faults.empty());
    const std::vector<regmap::Block> compiled = regmap::shippedBlocks();
    EXPECT_EQ(describe(compiled), describe(parsed));
    // Compiled in, they name the installed files.
    ASSERT_EQ(compiled.size(), parsed.size());
    for (size_t i = 0; i < compiled.size(); ++i)
        EXPECT_EQ(compiled[i].file.substr(compiled[i].file.rfind('/')),
                  parsed[i].file.substr(parsed[i].file.rfind('/')));
}

// The generator stops the build on what the loader refuses.
const char *const kRefusedByTheGenerator[] = {
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nbase = 0\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\ninstances = [{ name = \"X\", bsae = 0 }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nregister = [{ name = \"A\", offset = 0, acess = \"ro\" }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nregister = [{ name = \"A\", offset = 0, fields = [{ name = \"f\", "
    "bits = 0, colour = 1 }] }]\n",
    "[[block]]\nname = \"X\"\nspace = \"crtc\"\nregister = [{ name = \"A\", offset = 0, width = 32 }]\n",
    "[[block]]\nname = \"X\"\nspace = \"pci\"\nregister = [{ name = \"A\", offset = 0, width = 64 }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nregister = [{ name = \"A\", offset = 0, width = 8, reset = 0x100 }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nregister = [{ name = \"A\", offset = 0, fields = [{ name = \"f\", "
    "bits = \"4:7\" }] }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\nregister = [{ name = \"A\", offset = 0, fields = [{ name = \"f\", "
    "bits = \"[4-7]\" }] }]\n",
    "[[block]]\nname = \"X\"\nspace = \"reg\"\ndescription = \"\\u001b[2J\"\n",
};

TEST(ShippedRegmaps, TheGeneratorRefusesWhatTheLoaderRefuses) {
    TempFile output;
    for (const char *map : kRefusedByTheGenerator) {
        TempFile file(map);
        std::vector<regmap::Block> blocks;
        std::vector<regmap::Fault> faults;
        EXPECT_FALSE(regmap::parseMap(map, "m.toml", blocks, faults)) << map;
        ProcessRun run =
            runPeer(TKV_PYTHON, {TKV_GENERATOR, "blocks", output.path(), "/usr/share", file.path()});
        EXPECT_NE(run.exitCode, 0) << map;
        EXPECT_NE(run.err.find(file.path() + ": "), std::string::npos) << map << run.err;
    }
}

}  // namespace
