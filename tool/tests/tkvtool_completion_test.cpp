// The bash completion, run by bash with bash-completion loaded: what it
// offers after the words typed so far.
#include <sys/stat.h>
#include <unistd.h>

#include "tkvtool_run.h"

namespace {

constexpr char kBashCompletion[] = "/usr/share/bash-completion/bash_completion";

struct CompletionCase {
    const char *words;    // after "tkvtool", the last one being completed
    const char *offered;  // each followed by |
};

const CompletionCase kCases[] = {
    {"load vram 0 my", "my file.bin|"},  // a file name with a space, in one piece
    {"dump vram 0 10 -o sub", "subdir|"},
    {"read pci 0 -w ''", "1|2|4|"},
    {"write pci 0 1 -w ''", "4|"},
    {"read crtc 0 -w ''", "1|"},
    {"read reg 0 -w 4 -", "-c|--json|-D|--decode|--map|-d|--help|"},  // -w is given already
    {"zv start 0 -w 1 -h ''", "|"},  // zv start's -h takes the window's height: nothing to offer
    {"zv ''", "init|start|stop|restart|info|"},
    {"zv init 0 --layer ''", "1|3|"},
    {"read ZV0.P", "ZV0.PORT_CTRL|"},  // register names, from tkvtool regs
    {"show LAY", "LAYER1|LAYER3|"},
    {"-d 0 --map my", "my file.bin|"},  // maps before the command, as -d
    {"--map x.toml -d1 zv ''", "init|start|stop|restart|info|"},
    {"--map=x.toml re", "read|regs|regmap|"},
};

}  // namespace

TEST(TkvtoolCompletion, OffersWhatTheCommandTakesAndQuotesFileNames) {
    SKIP_WITHOUT(bash, "bash");
    if (access(kBashCompletion, R_OK) != 0) GTEST_SKIP() << "bash-completion is not installed here";
    char folder[] = "/tmp/tkvtool-completion-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/my file.bin", subdir = std::string(folder) + "/subdir";
    TempFile placeholder;
    ASSERT_EQ(link(placeholder.path().c_str(), file.c_str()), 0);
    ASSERT_EQ(mkdir(subdir.c_str(), 0700), 0);
    for (const CompletionCase &c : kCases) {
        const std::string script = std::string("cd '") + folder + "' && source " + kBashCompletion +
                                   " && source '" + TKV_COMPLETION + "' && eval \"COMP_WORDS=(" +
                                   TKVCON_PATH + " " + c.words +
                                   ")\" && COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) && _tkvtool && "
                                   "printf '%s|' \"${COMPREPLY[@]}\"";
        EXPECT_EQ(runPeer(bash, {"-c", script}).out, c.offered) << c.words;
    }
    unlink(file.c_str());
    rmdir(subdir.c_str());
    rmdir(folder);
}

// For every command of `tkvtool --help`, the completion offers exactly the
// options that `tkvtool COMMAND --help` lists, -d and --help besides; and no
// command takes two options of one letter or name (the option table lets a
// letter stand twice).
TEST(TkvtoolCompletion, OffersEveryOptionEachCommandsHelpLists) {
    SKIP_WITHOUT(bash, "bash");
    if (access(kBashCompletion, R_OK) != 0) GTEST_SKIP() << "bash-completion is not installed here";
    const std::string script = std::string("source ") + kBashCompletion + " && source '" + TKV_COMPLETION +
                               "' && tool='" + TKVCON_PATH + "' && " + R"(
        while read -r _ first second _; do
            case $first in i2c | pci | zv | regmap) command="$first $second" ;; *) command=$first ;; esac
            listed=$("$tool" $command --help | grep -oE '^  (-{1,2}[A-Za-z][A-Za-z-]*,? ?([A-Z0-9]+,? ?)? *)+' |
                grep -oE -- '-{1,2}[A-Za-z][A-Za-z-]*' | sort | tr '
' ' ')
            COMP_WORDS=("$tool" $command -)
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
            _tkvtool
            offered=$(printf '%s
' "${COMPREPLY[@]}" | grep -v -e '^-d$' -e '^--help$' | sort | tr '
' ' ')
            [[ $listed == "$offered" ]] || echo "$command: --help lists [$listed], the completion offers [$offered]"
            twice=$(tr ' ' '\n' <<<"$listed" | sed '/^$/d' | uniq -d)
            [[ -z $twice ]] || echo "$command: --help lists twice: $twice"
            echo "$command"
        done < <("$tool" --help | grep '^  tkvtool ')
    )";
    const std::string out = runPeer(bash, {"-c", script}).out;
    EXPECT_EQ(out.find("--help lists"), std::string::npos) << out;
    EXPECT_EQ(out.find("twice"), std::string::npos) << out;
    EXPECT_NE(out.find("zv start\n"), std::string::npos) << out;  // the commands were found
}
