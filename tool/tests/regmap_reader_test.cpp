// The map reader and checks in-process: what each key accepts and refuses,
// with the line of each fault, and how loading grows with the map.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>

#include "generated_regmap.h"
#include "regmap_files.h"
#include "regmap_names.h"
#include "tkvtool_run.h"

namespace {

// One block on lines 1 to 3, its register on line 4.
std::string oneRegister(const std::string &space, const std::string &keys) {
    return "[[block]]\nname = \"X\"\nspace = \"" + space + "\"\nregister = [{ name = \"A\", offset = 0" +
           keys + " }]\n";
}

std::string faultsOf(const std::string &text, std::vector<regmap::Block> *blocks = nullptr) {
    std::vector<regmap::Block> read;
    std::vector<regmap::Fault> faults;
    regmap::parseMap(text, "m.toml", read, faults);
    if (faults.empty()) regmap::checkBlocks(read, faults);
    std::string out;
    for (const regmap::Fault &f : faults) out += regmap::faultText(f) + "\n";
    if (blocks) *blocks = std::move(read);
    return out;
}

struct BitsCase {
    const char *bits;  // the TOML value
    unsigned lsb, msb;
};

const BitsCase kBitRanges[] = {
    {"4", 4, 4},       {"\"4-7\"", 4, 7},     {"\"7:4\"", 4, 7}, {"\"[7:4]\"", 4, 7},
    {"\"[4]\"", 4, 4}, {"\"[63:0]\"", 0, 63}, {"\"5:5\"", 5, 5}, {"\"0-63\"", 0, 63},
};

const char *const kBadBitRanges[] = {"\"4:7\"",   "\"[4-7]\"", "\"7:\"",  "\"64:0\"",
                                     "\"[7:4\"",  "\"7:4]\"",  "\"a:b\"", "\" 7:4\"",
                                     "\"007:4\"", "\"[]\"",    "\"4\"",   "\"7:4:0\""};

TEST(RegmapReader, BitRangesAsDataSheetsWriteThem) {
    for (const BitsCase &c : kBitRanges) {
        std::vector<regmap::Block> blocks;
        const std::string map = oneRegister(
            "reg", ", width = 64, fields = [{ name = \"f\", bits = " + std::string(c.bits) + " }]");
        ASSERT_EQ(faultsOf(map, &blocks), "") << c.bits;
        const regmap::Field &f = blocks.at(0).registers.at(0).fields.at(0);
        EXPECT_EQ(f.lsb, c.lsb) << c.bits;
        EXPECT_EQ(f.msb, c.msb) << c.bits;
    }
    for (const char *bits : kBadBitRanges)
        EXPECT_EQ(
            faultsOf(oneRegister("reg", ", fields = [{ name = \"f\", bits = " + std::string(bits) + " }]"))
                .rfind("m.toml:4: invalid bit range '", 0),
            0u)
            << bits;
}

struct FaultCase {
    std::string map;
    std::string faults;  // every line
};

const FaultCase kFaultCases[] = {
    // Unknown keys, at every level, with the key meant.
    {oneRegister("reg", ", acess = \"ro\""), "m.toml:4: unknown key 'acess' (did you mean 'access'?)\n"},
    {"[[block]]\nname = \"X\"\nspace = \"reg\"\nbase = 0x200\n",
     "m.toml:4: unknown key 'base' (a key of an instance)\n"},
    {"[[block]]\nname = \"X\"\nspace = \"reg\"\ninstances = [{ name = \"X\", bsae = 0 }]\n",
     "m.toml:4: unknown key 'bsae' (did you mean 'base'?)\n"},
    {oneRegister("reg", ", fields = [{ name = \"f\", bits = 0, descripton = \"\" }]"),
     "m.toml:4: unknown key 'descripton' (did you mean 'description'?)\n"},
    {oneRegister("reg", ", colour = 1"), "m.toml:4: unknown key 'colour'\n"},
    {"[[blok]]\nname = \"X\"\n", "m.toml:1: unknown key 'blok' (did you mean 'block'?)\n"},
    {oneRegister("reg", ", fields = [{ name = \"f\", bits = 0, values = { 0 = \"off\", on = \"1\" } }]"),
     "m.toml:4: invalid named value 'on' (a number = \"name\")\n"},
    // Widths that the space has no requests for.
    {oneRegister("crtc", ", width = 32"), "m.toml:4: crtc has no 32-bit registers (8)\n"},
    {oneRegister("crtc", ", width = 16"), "m.toml:4: crtc has no 16-bit registers (8)\n"},
    {oneRegister("pci", ", width = 64"), "m.toml:4: pci has no 64-bit registers (8, 16, 32)\n"},
    {oneRegister("pci", "x3, width = 16"), "m.toml:4: X.A at 0x3 crosses a 4-byte pci word\n"},
    {oneRegister("pci", "x2"), "m.toml:4: X.A at 0x2 crosses a 4-byte pci word\n"},
    // Reset values.
    {oneRegister("reg", ", width = 8, reset = 0x100"),
     "m.toml:4: reset value is wider than the register's 8 bits\n"},
    {oneRegister("reg", ", reset = 0x1_0000_0000"),
     "m.toml:4: reset value is wider than the register's 32 bits\n"},
    {oneRegister("reg", ", width = 32, reset = 0xFFFFFFFFFFFFFFFF"),
     "m.toml:4: reset value is wider than the register's 32 bits\n"},
    {oneRegister("reg", "xFFFFFFFFFFFFFFFF"), "m.toml:4: 'offset' is out of range\n"},
    {oneRegister("reg", ", width = 0x8000000000000000"), "m.toml:4: 'width' is out of range\n"},
    {oneRegister("reg", ", reset = -1"), "m.toml:4: 'reset' is out of range\n"},
    {oneRegister("reg", ", reset = \"FFFFFFFFFFFFFFFF\""), "m.toml:4: 'reset' is not an integer\n"},
    // Control characters in text that reaches terminals; names are identifiers.
    {oneRegister("reg", ", description = \"a\\u001b[2Jb\""),
     "m.toml:4: description 'a\\x1b[2Jb' has a control character\n"},
    {oneRegister("reg", ", description = \"cut\\u0000short\""),
     "m.toml:4: description 'cut\\x00short' has a control character\n"},
    {oneRegister("reg", ", description = \"\\u009b2J\""),
     "m.toml:4: description '\\x9b2J' has a control character\n"},
    {oneRegister("reg", ", fields = [{ name = \"f\", bits = 0, values = { 1 = \"on\\u0007\" } }]"),
     "m.toml:4: value name 'on\\x07' has a control character\n"},
    {"[[block]]\nname = \"X\"\nspace = \"reg\"\ndescription = \"\"\"two\nlines\"\"\"\n",
     "m.toml:4: description 'two\\x0alines' has a control character\n"},
    {"[[block]]\nname = \"X\\u001b\"\nspace = \"reg\"\n",
     "m.toml:2: invalid name 'X\\x1b' (letters, digits and _)\n"},
};

TEST(RegmapReader, FaultsNameTheirLine) {
    for (const FaultCase &c : kFaultCases) {
        EXPECT_EQ(faultsOf(c.map), c.faults) << c.map;
    }
}

TEST(RegmapReader, WidthsDefaultToTheSpacesOwn) {
    for (const auto &[space, width] :
         {std::pair<const char *, unsigned>{"reg", 32}, {"crtc", 8}, {"pci", 32}, {"i2c", 8}}) {
        std::vector<regmap::Block> blocks;
        ASSERT_EQ(faultsOf(oneRegister(space, ""), &blocks), "") << space;
        EXPECT_EQ(blocks.at(0).registers.at(0).width, width) << space;
    }
}

TEST(RegmapReader, SixtyFourBitResetValuesUseBitSixtyThree) {
    std::vector<regmap::Block> blocks;
    // Only the value is read as a number: the same digits in a string or a
    // comment stay text, and the positions after it are unchanged.
    const std::string map =
        "[[block]]\nname = \"X\"\nspace = \"reg\"\ndescription = \"reset = 0xFFFFFFFFFFFFFFFF\"\n"
        "register = [{ name = \"A\", offset = 0, width = 64, reset = 0xFFFF_FFFF_FFFF_FFFF },\n"
        "{ name = \"B\", offset = 8, width = 64, reset=0x8000000000000000}, # = 0x8000000000000000\n"
        "{ name = \"C\", offset = 0x10, width = 64, reset = 0x7FFFFFFFFFFFFFFF, "
        "description = '= 0x8000000000000000' }]\n";
    ASSERT_EQ(faultsOf(map, &blocks), "");
    const regmap::Block &b = blocks.at(0);
    EXPECT_EQ(b.description, "reset = 0xFFFFFFFFFFFFFFFF");
    EXPECT_EQ(b.registers.at(0).reset, ~uint64_t{0});
    EXPECT_EQ(b.registers.at(1).reset, uint64_t{1} << 63);
    EXPECT_EQ(b.registers.at(2).reset, ~uint64_t{0} >> 1);
    EXPECT_EQ(b.registers.at(2).description, "= 0x8000000000000000");
    EXPECT_EQ(b.registers.at(2).line, 7u);
    // Past 64 bits, the TOML reader's own fault.
    EXPECT_NE(
        faultsOf(oneRegister("reg", ", width = 64, reset = 0x1_0000_0000_0000_0000")).find("m.toml:4: "),
        std::string::npos);
}

TEST(RegmapReader, CheckingFilesTogetherIsLoadingThem) {
    const std::string block =
        "[[block]]\nname = \"B\"\nspace = \"reg\"\n"
        "instances = [{ name = \"B\", base = 0x20000 }]\n";
    TempFile first(block + "register = [{ name = \"R\", offset = 0 }]\n");
    // Replaces B of the first file: a note. A base out of range hides
    // nothing of the file's other blocks.
    TempFile second(block +
                    "register = [{ name = \"S\", offset = 0 },\n{ name = \"T\", offset = 2 }]\n"
                    "[[block]]\nname = \"C\"\nspace = \"reg\"\ninstances = [{ name = \"C\", base = -1 }]\n");
    std::vector<regmap::Fault> faults;
    EXPECT_FALSE(regmap::checkFiles({first.path(), second.path()}, faults));
    std::string out;
    for (const regmap::Fault &f : faults) out += regmap::faultText(f) + "\n";
    EXPECT_EQ(out, second.path() + ":1: note: block B replaces the one at " + first.path() + ":1\n" +
                       second.path() + ":6: B.T at 0x20002 overlaps B.S at 0x20000\n" + second.path() +
                       ":10: 'base' is out of range\n");
    faults.clear();
    TempFile replacing(block);
    EXPECT_TRUE(regmap::checkFiles({first.path(), replacing.path()}, faults));
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_TRUE(faults[0].note);
    // A fault of the whole file has no line.
    TempFile large(std::string((1 << 20) + 1, '#'));
    faults.clear();
    EXPECT_FALSE(regmap::checkFiles({large.path()}, faults));
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(regmap::faultText(faults[0]), large.path() + ": larger than 1 MiB");
}

// Reads, checks and looks a name up in `texts` as one map: the least CPU
// time of three runs, in seconds (CPU time, so that other work on a busy
// machine does not count).
double loadSeconds(const std::vector<std::string> &texts) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        const clock_t start = clock();
        regmap::Map map;
        std::vector<regmap::Fault> faults;
        for (size_t i = 0; i < texts.size(); ++i) {
            std::vector<regmap::Block> blocks;
            EXPECT_TRUE(regmap::parseMap(texts[i], "g" + std::to_string(i) + ".toml", blocks, faults));
            regmap::addBlocks(map, std::move(blocks));
        }
        regmap::checkBlocks(map.blocks, faults);
        EXPECT_TRUE(faults.empty());
        regmap::Name name;
        std::string hint;
        EXPECT_EQ(regmap::findName(map, "G0.R7", name, hint), regmap::Lookup::Found);
        EXPECT_EQ(regmap::findName(map, "G0.R7x", name, hint), regmap::Lookup::Unknown);
        best = std::min(best, static_cast<double>(clock() - start) / CLOCKS_PER_SEC);
    }
    return best;
}

TEST(RegmapReader, LoadingGrowsLinearly) {
    // 100k registers in four files under 1 MiB each, against a quarter of
    // them; and 40k registers in one block against 10k.
    const double wide = loadSeconds(generatedRegmap(4, 5, 5000)),
                 quarter = loadSeconds(generatedRegmap(1, 5, 5000));
    const double oneBlock = loadSeconds(generatedRegmap(1, 1, 40000)),
                 smallBlock = loadSeconds(generatedRegmap(1, 1, 10000));
    RecordProperty("seconds_100k", std::to_string(wide));
    // Linear is 4x; 10x leaves room for a busy machine, and square growth is 16x.
    EXPECT_LT(wide, 10 * quarter) << wide << " s against " << quarter << " s";
    EXPECT_LT(oneBlock, 10 * smallBlock) << oneBlock << " s against " << smallBlock << " s";
    EXPECT_LT(wide, 10.0);  // about 0.3 s on an idle machine, a few times that under the sanitizers
}

}  // namespace
