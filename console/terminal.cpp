// When standard input is not a terminal (a pipe, a file) or its attributes
// cannot be set, the bytes are read as keys without touching any mode.
#include "terminal.h"

#include <signal.h>
#include <stdio.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct termios saved;
volatile sig_atomic_t rawActive;

// A signal that ends the program while a key is awaited must not leave the
// terminal raw: restore it, then die of the signal as usual.
void restoreAndDie(int sig) {
    if (rawActive) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    signal(sig, SIG_DFL);
    raise(sig);
}

void guardTerminalOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    static const int kFatalSignals[] = {SIGTERM, SIGHUP, SIGQUIT, SIGINT};
    for (int sig : kFatalSignals) {
        struct sigaction action {};
        action.sa_handler = restoreAndDie;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, nullptr);
    }
}

}  // namespace

int readKey() {
    struct termios raw;
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return getc(stdin);
    guardTerminalOnce();
    raw = saved;
    cfmakeraw(&raw);
    rawActive = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    int key = getc(stdin);
    if (rawActive) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    rawActive = 0;
    return key;
}
