// Runs the program under test (the built tkvcon, or tkvtool-sim) as the user
// would: under a pseudo-terminal with keys typed in, or with arguments and
// pipes.  The simulated controller is preloaded, and each run gets a fresh
// device unless TKVSIM_STATE is given.
#ifndef TKV_TESTS_CONSOLE_DRIVER_H
#define TKV_TESTS_CONSOLE_DRIVER_H

#include <optional>
#include <set>
#include <string>
#include <vector>

// What the runs start unless told otherwise, and what they preload (empty:
// nothing): each test program defines them from its build's settings.
extern const char kTestedProgram[];
extern const char kTestedPreload[];

struct TerminalOptions {
    std::vector<std::string> env;  // "NAME=value" entries added to the program's environment
    // false: the terminal is raw for the whole run, so the bytes read are the
    // bytes written.  true: the terminal keeps its normal line discipline
    // (echo, CR/LF mapping, signals) and keys are typed one at a time.
    bool cooked = false;
    // Type one key (a byte, or a whole escape sequence) at a time: wait for
    // the program's reaction to the previous key and for it to read again.
    bool keyAtATime = false;
    int timeoutMs = 10000;
    std::vector<int> ignoredSignals{};  // ignored when the program starts
    // The program waits, raw, once all keys are typed and its output ends with this.
    std::string waitingFor = ">";
    // Sent to the waiting program, one after the other; after SIGSTOP the next
    // waits until the program has stopped.  (The program leads a session of its
    // own with no job-control shell, so SIGTSTP does not stop it: its process
    // group is orphaned.)
    std::vector<int> signalsWhenWaiting{};
    // Typed once the signals are sent, one key at a time.
    std::optional<std::string> keysAfterSignals{};
    // Closes the terminal under the waiting program; nothing is collected after that.
    bool hangUpWhenWaiting = false;
};

struct TerminalRun {
    std::string output;  // everything written to the terminal
    std::string errors;  // standard error, kept apart from the terminal
    int exitCode = -1;   // -1 unless the program exited normally
    int signal = 0;      // the signal that ended it, if any
    bool timedOut = false;
    bool attributesRestored = false;  // terminal attributes at exit equal those at start
};

TerminalRun runConsole(const std::string &keys, const TerminalOptions &options = {});

// Types the keys, then Ctrl-C, and returns the transcript after checking a
// clean exit with nothing on standard error.
std::string transcriptOf(const std::string &keys);

struct ProcessOptions {
    std::vector<std::string> env;          // "NAME=value" entries added to the environment
    std::optional<std::string> input;      // bytes fed to stdin through a pipe; none: /dev/null
    std::string program = kTestedProgram;  // also argv[0]
    std::string preload = kTestedPreload;  // LD_PRELOAD of the program; empty: none
    int timeoutMs = 10000;
    std::vector<int> ignoredSignals;      // ignored when the program starts
    std::vector<int> closedDescriptors;   // closed when the program starts
    std::optional<std::string> outputTo;  // a file for standard output instead of `out`
    bool errorsIntoOutput = false;        // standard error goes where standard output goes
    size_t readOutputBytes = SIZE_MAX;    // closes the output pipe once this much has arrived
    // Sent `signalAfterUs` microseconds after the start to the program, then
    // again and again to its process group (the program leads one of its
    // own) while it handles the first, as timeout(1) sends a second; 0: none.
    // Not sent to a program that has closed its output.
    int timedSignal = 0;
    long signalAfterUs = 0;
};

struct ProcessRun {
    std::string out;
    std::string err;
    int exitCode = -1;
    int signal = 0;
    bool timedOut = false;
};

// Runs the program with `args` after argv[0], with pipes (or what the options
// say) for its standard streams: one-shot runs, and console sessions fed
// through a pipe.
ProcessRun runProgram(const std::vector<std::string> &args, const ProcessOptions &options = {});

// For reading a program's descriptors as they come: drain() appends what is
// readable from a non-blocking `fd`, and is false once it has ended (EOF, or
// EIO on a terminal master whose other side is closed everywhere).
void setNonBlocking(int fd);
bool drain(int fd, std::string &into);

// Whether the programs run under a checking tool (TKV_TEST_WRAPPER, such as
// valgrind), where each start costs most of a second.
bool underCheckingTool();

// Which cases of a long table that takes one path to run: under a checking
// tool the first of each kind, otherwise all of them.
class CaseSampler {
public:
    bool runs(const std::string &kind) { return !underCheckingTool() || kindsRun_.insert(kind).second; }

private:
    std::set<std::string> kindsRun_;
};

// The preloads that must come before the simulator (the sanitizer runtime,
// under the sanitizer build): what tkvcon-sim, which has the simulator built in, needs.
std::string preloadWithoutSimulator();

// A state file for the simulated device, unique to the test, removed at the end.
class DeviceStateFile {
public:
    DeviceStateFile();
    ~DeviceStateFile();
    DeviceStateFile(const DeviceStateFile &) = delete;
    DeviceStateFile &operator=(const DeviceStateFile &) = delete;

    const std::string &path() const { return path_; }
    std::string env() const { return "TKVSIM_STATE=" + path_; }

private:
    std::string path_;
};

#endif
