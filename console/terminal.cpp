// When standard input is not a terminal (a pipe, a file) or its attributes
// cannot be read, the bytes are read as keys without touching any mode.
//
// While a key is awaited the terminal is raw, so no signal may end or stop
// the program without handing the terminal back in its own mode first.
#include "terminal.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <termios.h>
#include <unistd.h>

namespace {

enum Mode : sig_atomic_t {
    kOwnMode,  // the terminal's own mode: nothing for a signal to undo
    kRaw,      // set before the switch to raw, so no signal finds raw unmarked
    kLeaving,  // the switch back is under way: a continue must not go raw again
};

struct termios saved;  // the terminal's own mode, taken before each key
struct termios raw;
volatile sig_atomic_t mode = kOwnMode;
const ShownLine *volatile shown;

void restoreTerminal() { tcsetattr(STDIN_FILENO, TCSANOW, &saved); }

void arm(int sig, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigfillset(&action.sa_mask);  // no handler runs inside another
    action.sa_flags = SA_RESTART;
    sigaction(sig, &action, nullptr);
}

void restoreAndDie(int sig) {
    if (mode != kOwnMode) restoreTerminal();
    signal(sig, SIG_DFL);
    raise(sig);  // delivered when the handler returns
}

void rawAgain() {
    if (mode == kRaw) tcsetattr(STDIN_FILENO, TCSANOW, &raw);
}

void restoreAndStop(int sig) {
    const int savedErrno = errno;
    if (mode != kOwnMode) restoreTerminal();
    signal(sig, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    kill(getpid(), sig);  // stopped here until continued
    arm(sig, restoreAndStop);
    // Continued: the SIGCONT waiting behind this handler goes raw again and
    // redraws.  Without one, the stop was discarded (a process group with no
    // job-control shell cannot stop) and the key is still awaited.
    if (sigpending(&set) != 0 || !sigismember(&set, SIGCONT)) rawAgain();
    errno = savedErrno;
}

// Back from a stop while a key is awaited: raw again, and the line redrawn
// over whatever the shell printed meanwhile.
void reenterRaw(int) {
    const int savedErrno = errno;
    if (mode == kRaw) {
        rawAgain();
        const ShownLine &line = *shown;
        char text[2 + 2 * 256];  // CR, prompt, a line of at most 255 and as many backspaces
        int n = 0;
        text[n++] = '\r';
        text[n++] = line.prompt;
        for (int i = 0; i < line.length; ++i) text[n++] = line.text[i];
        for (int i = line.cursor; i < line.length; ++i) text[n++] = '\b';
        const ssize_t written = write(STDOUT_FILENO, text, static_cast<size_t>(n));
        (void)written;  // nothing a handler could do about it
    }
    errno = savedErrno;
}

bool endsProgramByDefault(int sig) {
    switch (sig) {
    case SIGKILL:
    case SIGSTOP:  // cannot be caught
    case SIGCHLD:
    case SIGURG:
    case SIGWINCH:  // ignored by default
    case SIGCONT:
    case SIGTSTP:
    case SIGTTIN:
    case SIGTTOU: return false;
    default: return true;
    }
}

// A signal ignored when the program started (`trap '' INT`) stays ignored,
// and one that another part of the process handles keeps its handler.
void armIfDefault(int sig, void (*handler)(int)) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) arm(sig, handler);
}

void guardTerminalOnce() {
    static bool armed = false;
    if (armed) return;
    armed = true;
    for (int sig = 1; sig < NSIG; ++sig)
        if (endsProgramByDefault(sig)) armIfDefault(sig, restoreAndDie);
    armIfDefault(SIGTSTP, restoreAndStop);
    armIfDefault(SIGCONT, reenterRaw);
}

}  // namespace

int readKey(const ShownLine &line) {
    if (!inputIsTerminal() || tcgetattr(STDIN_FILENO, &saved) != 0) return getc(stdin);
    guardTerminalOnce();
    raw = saved;
    cfmakeraw(&raw);
    shown = &line;
    mode = kRaw;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    const int key = getc(stdin);
    mode = kLeaving;
    restoreTerminal();
    mode = kOwnMode;
    return key;
}

// Asked once, before the first key: a terminal that has hung up no longer
// answers as one.
bool inputIsTerminal() {
    static const bool terminal = isatty(STDIN_FILENO) != 0;
    return terminal;
}
