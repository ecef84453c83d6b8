// tkvcon: opens device 0, then runs the interactive console (no arguments)
// or one operation described by the arguments, and closes the device.
#include <stdio.h>

#include "interpreter.h"
#include "line_editor.h"
#include "one_shot.h"
#include "standard_streams.h"
#include "tekvaro.h"

int main(int argc, char **argv) {
    openClosedStandardDescriptors();
    if (tkvOpen(0) < 0) {
        puts("Open device tekvaro error");
        return finishOutput(1);
    }
    if (argc < 2) {
        while (getCmdLine() != 1)
            if (parseAndRunCmd() == kLineQuit) break;
    } else {
        parseArg(argc, argv);
    }
    tkvClose();
    return finishOutput(0);
}
