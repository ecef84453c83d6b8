#include "tkvtool_run.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>

// The program these tests run: tkvtool-sim, the simulator built in; only a
// sanitizer's runtime is preloaded.
const char kTestedProgram[] = TKVCON_PATH;
const char kTestedPreload[] = TKV_PRELOAD;

ProcessRun Tool::run(const std::vector<std::string> &args, std::vector<std::string> env,
                     const std::string &input, const std::string &program) const {
    ProcessOptions options;
    options.program = program;
    env.push_back(state_.env());
    options.env = std::move(env);
    if (!input.empty()) options.input = input;
    options.timeoutMs = 60000;
    ProcessRun run = runProgram(args, options);
    EXPECT_FALSE(run.timedOut);
    return run;
}

std::string Tool::out(const std::vector<std::string> &args) const {
    ProcessRun r = run(args);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    return r.out;
}

void Tool::loadVram(const std::string &bytes) const {
    TempFile file(bytes);
    EXPECT_EQ(out({"load", "vram", "0", file.path()}), "");
}

std::string peer(const std::string &name) {
    std::istringstream dirs(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        std::string path = dir + "/" + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    for (const char *dir : {"/usr/sbin/", "/sbin/"})
        if (access((dir + name).c_str(), X_OK) == 0) return dir + name;
    return "";
}

ProcessRun runPeer(const std::string &program, const std::vector<std::string> &args,
                   const std::string &input) {
    ProcessOptions options;
    options.program = program;
    options.preload = "";
    options.env = {"LC_ALL=C"};  // the text column shows ASCII only, as tkvtool's does
    if (!input.empty()) options.input = input;
    // A checking tool (TKV_TEST_WRAPPER) is for tkvtool, not for the peers.
    const char *wrapper = getenv("TKV_TEST_WRAPPER");
    const std::string saved = wrapper ? wrapper : "";
    if (wrapper) unsetenv("TKV_TEST_WRAPPER");
    ProcessRun run = runProgram(args, options);
    if (wrapper) setenv("TKV_TEST_WRAPPER", saved.c_str(), 1);
    return run;
}

TempFile::TempFile(const std::string &bytes) {
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tkvtool-test-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) {
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
    }
    path_ = pattern;
}

TempFile::~TempFile() { unlink(path_.c_str()); }

std::string TempFile::contents() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string randomBytes(size_t length, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(length, '\0');
    for (char &c : bytes) c = static_cast<char>(generator());
    return bytes;
}

TerminalOutput runOnTerminal(const std::vector<std::string> &args, const DeviceStateFile &state,
                             int stalledOutputMs) {
    std::vector<std::string> words = {TKVCON_PATH};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::string stateEnv = state.env(), preloadEnv = std::string("LD_PRELOAD=") + TKV_PRELOAD;
    termios raw{};
    cfmakeraw(&raw);
    TerminalOutput result;
    int output[2] = {-1, -1};
    if (stalledOutputMs >= 0 && pipe2(output, O_CLOEXEC) != 0) return result;
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
    if (pid == 0) {
        if (output[1] >= 0) dup2(output[1], STDOUT_FILENO);
        putenv(stateEnv.data());
        putenv(preloadEnv.data());
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (output[1] >= 0) close(output[1]);
    if (pid < 0) {
        if (output[0] >= 0) close(output[0]);
        return result;
    }
    if (output[0] >= 0) {
        const timespec stall{stalledOutputMs / 1000, (stalledOutputMs % 1000) * 1000000L};
        nanosleep(&stall, nullptr);
    }
    // Both are read as they come: the program may wait on either.
    std::string piped;
    bool terminalOpen = true, pipeOpen = output[0] >= 0;
    setNonBlocking(master);
    if (pipeOpen) setNonBlocking(output[0]);
    while (terminalOpen || pipeOpen) {
        pollfd ends[2] = {{terminalOpen ? master : -1, POLLIN, 0}, {pipeOpen ? output[0] : -1, POLLIN, 0}};
        if (poll(ends, 2, -1) < 0 && errno != EINTR) break;
        if (ends[0].revents) terminalOpen = drain(master, result.text);
        if (ends[1].revents) pipeOpen = drain(output[0], piped);
    }
    result.pipedBytes = piped.size();
    if (output[0] >= 0) close(output[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}
