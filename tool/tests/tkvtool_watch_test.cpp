// watch on the simulated controller, while another run writes what it polls.
#include "tkvtool_run.h"

#include <algorithm>
#include <sstream>

// A name given twice, in any spelling, is watched once: one starting line and
// one line per change, so that -n counts changes, not repeated names.
TEST(TkvtoolWatch, ANameGivenTwiceIsWatchedOnce) {
    Tool tool;
    TempFile lines;
    const std::string script =
        "\"$0\" watch ZV0.PORT_CTRL zv0.port_ctrl ZV0.PORT_CTRL.capture ZV0.PORT_CTRL -i 5 -n 2 >\"$1\" &\n"
        "pid=$!\n"
        "until [ \"$(wc -l <\"$1\")\" -ge 2 ]; do sleep 0.01; done\n"
        "\"$0\" write ZV0.PORT_CTRL capture=1\nwait $pid\n";
    ProcessRun run = tool.run({"-c", script, TKVCON_PATH, lines.path()}, {}, "", "/bin/sh");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::istringstream text(lines.contents());
    std::vector<std::string> untimed;
    for (std::string line; std::getline(text, line);) untimed.push_back(line.substr(line.find(' ') + 1));
    // The write may land between the reads of one poll (valgrind makes that
    // likely): then the field's change is seen a poll before the register's.
    if (untimed.size() == 4) std::sort(untimed.begin() + 2, untimed.end());
    EXPECT_EQ(untimed, (std::vector<std::string>{"ZV0.PORT_CTRL = 0x00000000", "ZV0.PORT_CTRL.capture = 0",
                                                 "ZV0.PORT_CTRL 0x00000000 -> 0x00000001 (capture 0 -> 1)",
                                                 "ZV0.PORT_CTRL.capture 0 -> 1"}));
}
