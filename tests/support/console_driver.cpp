// Starting tkvcon under a pseudo-terminal or with pipes, feeding it and
// collecting everything it writes until it exits (or is killed on timeout).
#include "console_driver.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

#include <algorithm>
#include <chrono>
#include <sstream>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// argv/envp built before fork, so the child only calls exec.
struct ExecImage {
    std::vector<std::string> argStrings, envStrings;
    std::vector<char *> argv, envp;

    ExecImage(const std::string &program, const std::vector<std::string> &args, const std::string &preload,
              const std::vector<std::string> &extraEnv) {
        // TKV_TEST_WRAPPER="/usr/bin/valgrind -q ..." runs the program under a checking tool.
        if (const char *wrapper = getenv("TKV_TEST_WRAPPER")) {
            std::istringstream words(wrapper);
            for (std::string word; words >> word;) argStrings.push_back(word);
        }
        argStrings.push_back(program);
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        // The test's own simulator settings must not leak into the program.
        for (char **e = environ; *e; ++e) {
            if (strncmp(*e, "TKVSIM_", 7) == 0 || strncmp(*e, "LD_PRELOAD=", 11) == 0) continue;
            envStrings.emplace_back(*e);
        }
        if (!preload.empty()) envStrings.push_back("LD_PRELOAD=" + preload);
        envStrings.insert(envStrings.end(), extraEnv.begin(), extraEnv.end());
        for (auto &s : argStrings) argv.push_back(s.data());
        argv.push_back(nullptr);
        for (auto &s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
    }

    [[noreturn]] void exec(const std::vector<int> &ignoredSignals) {
        signal(SIGPIPE, SIG_DFL);  // the parent ignores it; exec keeps ignored signals ignored
        for (int sig : ignoredSignals) signal(sig, SIG_IGN);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
};

void ignoreSigpipe() {
    // A program that exits before taking all its input must not kill the test.
    static const bool done = [] {
        signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)done;
}

void recordStatus(int status, int &exitCode, int &signalNumber) {
    if (WIFEXITED(status)) exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) signalNumber = WTERMSIG(status);
}

bool sameAttributes(const termios &a, const termios &b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

bool terminalIsRaw(int master) {
    termios now;
    return tcgetattr(master, &now) == 0 && !(now.c_lflag & ICANON);
}

// The first line of a file of /proc/PID/, empty when there is none.
std::string procLine(pid_t pid, const char *file, const char *prefix = "") {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/%s", static_cast<int>(pid), file);
    FILE *f = fopen(path, "re");
    if (!f) return {};
    char line[512];
    std::string found;
    while (found.empty() && fgets(line, sizeof line, f))
        if (strncmp(line, prefix, strlen(prefix)) == 0) found = line + strlen(prefix);
    fclose(f);
    return found;
}

// The process state letter of /proc/PID/stat (S, R, T, Z ...); 0 once gone.
char processState(pid_t pid) {
    const std::string stat = procLine(pid, "stat");
    const size_t end = stat.rfind(')');  // the command name may hold anything
    return end == std::string::npos || end + 2 >= stat.size() ? 0 : stat[end + 2];
}

// True while the program sleeps in a read of its standard input with every
// typed byte taken: it has reacted to all keys so far and waits for the next.
bool waitsForKey(pid_t pid, int slave) {
    int unread = 0;
    if (ioctl(slave, FIONREAD, &unread) != 0 || unread != 0) return false;
    long number = -1;
    unsigned long fd = 1;
    return sscanf(procLine(pid, "syscall").c_str(), "%ld %lx", &number, &fd) == 2 && number == SYS_read &&
           fd == 0;
}

// The read calls the process has made so far; -1 once it is gone.
long long readCalls(pid_t pid) {
    const std::string count = procLine(pid, "io", "syscr:");
    return count.empty() ? -1 : strtoll(count.c_str(), nullptr, 10);
}

// True while the signal waits to be delivered to the process.
bool signalPending(pid_t pid, int sig) {
    const unsigned long long bit = 1ull << (sig - 1);
    for (const char *mask : {"SigPnd:", "ShdPnd:"})
        if (strtoull(procLine(pid, "status", mask).c_str(), nullptr, 16) & bit) return true;
    return false;
}

// Splits typed text into keys: single bytes, except that an escape sequence
// (ESC [ parameters final-byte) is one key, as a terminal sends it.
std::vector<std::string> splitKeys(const std::string &keys) {
    std::vector<std::string> out;
    for (size_t i = 0; i < keys.size();) {
        size_t end = i + 1;
        if (keys[i] == '\x1b' && end < keys.size() && keys[end] == '[') {
            ++end;
            while (end < keys.size() && !(keys[end] >= 0x40 && keys[end] <= 0x7e)) ++end;
            if (end < keys.size()) ++end;
        }
        out.push_back(keys.substr(i, end - i));
        i = end;
    }
    return out;
}

// Feeds keys to the terminal: all at once, or one at a time, each only when
// the program has taken the previous one, reacted, and waits for a key in raw
// mode again (so no key meets the normal line discipline).
class KeyFeeder {
public:
    KeyFeeder(const std::string &keys, bool oneAtATime)
        : keys_(oneAtATime ? splitKeys(keys) : std::vector<std::string>{keys}), oneAtATime_(oneAtATime) {}

    // True once every key is typed and the program has taken them all.
    bool done(pid_t pid, int slave) { return failed_ || (!typing() && taken(pid, slave)); }

    // True when a write should be tried now.
    bool ready(int master, int slave, pid_t pid) {
        if (!typing()) return false;
        if (!oneAtATime_) return true;
        return taken(pid, slave) && terminalIsRaw(master);
    }

    void write(int master, pid_t pid) {
        std::string &key = keys_[next_];
        const long long readsBefore = readCalls(pid);  // before: the program may take the key at once
        ssize_t n = ::write(master, key.data() + offset_, key.size() - offset_);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR) failed_ = true;  // the program has gone
            return;
        }
        readsAtWrite_ = readsBefore;
        offset_ += static_cast<size_t>(n);
        if (offset_ < key.size()) return;
        ++next_;
        offset_ = 0;
    }

    bool pacing() const { return oneAtATime_ && typing(); }

private:
    bool typing() const { return next_ < keys_.size() && !failed_; }

    // The keys typed so far have reached the program (the terminal passes
    // them on asynchronously: until the program's read returns, an empty
    // input queue only means they are on their way) and it waits for more.
    bool taken(pid_t pid, int slave) const {
        return (readsAtWrite_ < 0 || readCalls(pid) != readsAtWrite_) && waitsForKey(pid, slave);
    }

    std::vector<std::string> keys_;
    bool oneAtATime_;
    size_t next_ = 0, offset_ = 0;
    bool failed_ = false;
    long long readsAtWrite_ = -1;  // the program's read calls when a key was last written
};

// Sends the signal and waits for its effect before the next step: after
// SIGSTOP until the child has stopped; after any other until the child has
// taken it and waits for a key again, or has stopped or ended.
void sendSignal(pid_t pid, int slave, int sig, Clock::time_point deadline) {
    kill(pid, sig);
    for (; Clock::now() < deadline; usleep(1000)) {
        const char state = processState(pid);
        if (state == 0 || state == 'Z') return;
        if (sig == SIGSTOP ? state == 'T'
                           : !signalPending(pid, sig) && (state == 'T' || waitsForKey(pid, slave)))
            return;
    }
}

// Waits for the child, killing it once the deadline has passed.
void reap(pid_t pid, Clock::time_point deadline, bool &timedOut, int &exitCode, int &signalNumber) {
    int status = 0;
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return;
        if (Clock::now() > deadline && !timedOut) {
            timedOut = true;
            kill(pid, SIGKILL);
        }
        usleep(1000);
    }
    recordStatus(status, exitCode, signalNumber);
}

// True once the child has ended; its status is recorded then.
bool reaped(pid_t pid, int &exitCode, int &signalNumber) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != pid) return false;
    recordStatus(status, exitCode, signalNumber);
    return true;
}

// Written to the terminal once the program has ended: the terminal passes
// its output on asynchronously, so everything the program wrote has been
// collected when this arrives after it.
const std::string kEndOfOutput = "\037end of the program's output\037";

bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), std::string::npos, end) == 0;
}

int millisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

bool drain(int fd, std::string &into) {
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return true;
        return false;
    }
}

TerminalRun runConsole(const std::string &keys, const TerminalOptions &options) {
    ignoreSigpipe();
    TerminalRun run;
    ExecImage image(kTestedProgram, {}, kTestedPreload, options.env);

    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return run;
    termios before;
    tcgetattr(slave, &before);
    if (!options.cooked) {
        cfmakeraw(&before);
        tcsetattr(slave, TCSANOW, &before);
    }
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        close(master);
        close(slave);
        return run;
    }

    pid_t pid = fork();
    if (pid == 0) {
        close(master);
        close(errPipe[0]);
        if (login_tty(slave) != 0) _exit(126);
        dup2(errPipe[1], 2);
        image.exec(options.ignoredSignals);
    }
    // The test keeps the slave side open too, so that the master never reports
    // EIO: output is collected until the program has exited and nothing more
    // arrives (a master read racing the slave's last close can lose output).
    close(errPipe[1]);
    if (pid < 0) {
        close(master);
        close(slave);
        close(errPipe[0]);
        return run;
    }
    setNonBlocking(master);
    setNonBlocking(errPipe[0]);

    const auto deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    KeyFeeder feeder(keys, options.cooked || options.keyAtATime);
    bool errOpen = true, exited = false, typingAfterSignals = false;
    size_t signalsSent = 0;
    for (;;) {
        if (!exited && Clock::now() > deadline) {
            run.timedOut = true;
            kill(pid, SIGKILL);
        }
        const bool waiting = !exited && endsWith(run.output, options.waitingFor) && terminalIsRaw(master) &&
                             feeder.done(pid, slave);
        if (waiting && signalsSent < options.signalsWhenWaiting.size()) {
            sendSignal(pid, slave, options.signalsWhenWaiting[signalsSent++], deadline);
        } else if (waiting && options.keysAfterSignals && !typingAfterSignals) {
            feeder = KeyFeeder(*options.keysAfterSignals, true);
            typingAfterSignals = true;
        } else if (waiting && options.hangUpWhenWaiting) {
            close(slave);
            close(master);
            close(errPipe[0]);
            reap(pid, deadline, run.timedOut, run.exitCode, run.signal);
            return run;
        }
        bool writeNow = !exited && feeder.ready(master, slave, pid);
        pollfd fds[2] = {{master, static_cast<short>(POLLIN | (writeNow ? POLLOUT : 0)), 0},
                         {errOpen ? errPipe[0] : -1, POLLIN, 0}};
        int wait = feeder.pacing() ? 1 : std::min(millisecondsLeft(deadline), 20);
        if (poll(fds, 2, wait) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) drain(master, run.output);
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
            errOpen = drain(errPipe[0], run.errors);
        if (writeNow && (fds[0].revents & POLLOUT)) feeder.write(master, pid);
        if (exited && !errOpen && endsWith(run.output, kEndOfOutput)) {
            run.output.resize(run.output.size() - kEndOfOutput.size());
            break;
        }
        if (exited && Clock::now() > deadline) {
            run.timedOut = true;
            break;
        }
        if (!exited && reaped(pid, run.exitCode, run.signal)) {
            exited = true;
            if (::write(slave, kEndOfOutput.data(), kEndOfOutput.size()) < 0) break;
        }
    }
    close(slave);

    termios after;
    run.attributesRestored = tcgetattr(master, &after) == 0 && sameAttributes(before, after);
    close(master);
    close(errPipe[0]);
    return run;
}

ProcessRun runProgram(const std::vector<std::string> &args, const ProcessOptions &options) {
    ignoreSigpipe();
    ProcessRun run;
    ExecImage image(options.program, args, options.preload, options.env);

    int inPipe[2] = {-1, -1}, outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1};
    bool ready = options.input ? pipe2(inPipe, O_CLOEXEC) == 0
                               : (inPipe[0] = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;
    ready = ready && pipe2(outPipe, O_CLOEXEC) == 0 && pipe2(errPipe, O_CLOEXEC) == 0;
    int outFile = -1;
    if (ready && options.outputTo) {
        outFile = open(options.outputTo->c_str(), O_WRONLY | O_CLOEXEC);
        ready = outFile >= 0;
    }
    if (!ready) {
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1], outFile})
            if (fd >= 0) close(fd);
        return run;
    }

    pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outFile >= 0 ? outFile : outPipe[1], 1);
        dup2(options.errorsIntoOutput ? 1 : errPipe[1], 2);
        for (int fd : options.closedDescriptors) close(fd);
        if (options.timedSignal) setpgid(0, 0);
        image.exec(options.ignoredSignals);
    }
    if (options.timedSignal && pid > 0) setpgid(pid, pid);  // whichever of the two comes first
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    if (outFile >= 0) close(outFile);
    int inFd = inPipe[1];
    if (pid < 0) {
        if (inFd >= 0) close(inFd);
        close(outPipe[0]);
        close(errPipe[0]);
        return run;
    }
    for (int fd : {inFd, outPipe[0], errPipe[0]})
        if (fd >= 0) setNonBlocking(fd);

    const std::string input = options.input.value_or("");
    size_t written = 0;
    if (inFd >= 0 && input.empty()) {
        close(inFd);
        inFd = -1;
    }
    const auto start = Clock::now(), deadline = start + std::chrono::milliseconds(options.timeoutMs);
    const auto signalAt = start + std::chrono::microseconds(options.signalAfterUs);
    bool outOpen = true, errOpen = true, signalDue = options.timedSignal != 0;
    while (outOpen || errOpen) {
        const auto now = Clock::now();
        if (now > deadline) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (signalDue && now >= signalAt) {
            kill(pid, options.timedSignal);
            for (int again = 0; again < 1000; ++again) kill(-pid, options.timedSignal);
            signalDue = false;
        }
        auto wait = std::min(deadline - now, Clock::duration(std::chrono::milliseconds(100)));
        if (signalDue) wait = std::min(wait, signalAt - now);
        const auto waitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        const timespec waitFor{static_cast<time_t>(waitNs / 1000000000),
                               static_cast<long>(waitNs % 1000000000)};
        pollfd fds[3] = {{outOpen ? outPipe[0] : -1, POLLIN, 0},
                         {errOpen ? errPipe[0] : -1, POLLIN, 0},
                         {inFd, POLLOUT, 0}};
        if (ppoll(fds, 3, &waitFor, nullptr) < 0 && errno != EINTR) break;
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
            outOpen = drain(outPipe[0], run.out) && run.out.size() < options.readOutputBytes;
            if (!outOpen) close(outPipe[0]);  // a reader that has seen enough, as `head` does
        }
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) errOpen = drain(errPipe[0], run.err);
        if (inFd >= 0 && fds[2].revents) {
            ssize_t n = write(inFd, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                close(inFd);  // end of input
                inFd = -1;
            }
        }
    }
    if (inFd >= 0) close(inFd);
    reap(pid, deadline + std::chrono::seconds(1), run.timedOut, run.exitCode, run.signal);
    if (outOpen) close(outPipe[0]);
    close(errPipe[0]);
    return run;
}

bool underCheckingTool() { return getenv("TKV_TEST_WRAPPER") != nullptr; }

std::string preloadWithoutSimulator() {
    std::string all = kTestedPreload;
    size_t lastSpace = all.rfind(' ');
    return lastSpace == std::string::npos ? std::string() : all.substr(0, lastSpace);
}

DeviceStateFile::DeviceStateFile() {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tkvcon-test-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) close(fd);
    path_ = pattern;
}

DeviceStateFile::~DeviceStateFile() { unlink(path_.c_str()); }

std::string transcriptOf(const std::string &keys) {
    TerminalRun run = runConsole(keys + "\x03");
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    return run.output;
}
