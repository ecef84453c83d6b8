// tkvweb: the board's registers and live values over HTTP, for the page and
// for scripts.  The first line on standard output is the URL with its token.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "event_poller.h"
#include "options.h"
#include "quiet_open.h"
#include "regmap_files.h"
#include "routes.h"
#include "static_files.h"
#include "token_file.h"

namespace {

constexpr auto kLongestStop = std::chrono::milliseconds(700);

int gSignalPipe[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    ssize_t written = write(gSignalPipe[1], &byte, 1);
    (void)written;  // a full pipe already holds a wake-up
    errno = saved;
}

bool catchSignals() {
    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a client that goes away is a failed write, not the end
    return true;
}

int fail(const std::string &why) {
    fprintf(stderr, "tkvweb: %s\n", why.c_str());
    return 1;
}

std::string urlHost(const std::string &host) {
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

int serve(const Options &options) {
    regmap::Map map;
    std::vector<regmap::Fault> faults;
    if (!regmap::loadMaps(map, options.mapFiles, faults)) {
        for (const regmap::Fault &f : faults) fprintf(stderr, "tkvweb: %s\n", regmap::faultText(f).c_str());
        return 2;
    }
    ServerSettings settings;
    settings.listenHost = options.host;
    settings.allowedHosts = options.allowedHosts;
    settings.readOnly = options.readOnly;
    settings.device = options.device;
    settings.pageFolder = findPageFolder();
    std::string why;
    if (options.tokenFile.empty() ? !newToken(settings.token)
                                  : !loadTokenFile(options.tokenFile, settings.token, why))
        return fail(why.empty() ? "no random token: " + std::string(strerror(errno)) : why);
    const int fd = quietOpen(options.device);
    if (fd < 0)
        return fail("cannot open device " + std::to_string(options.device) + " (" + kDeviceNode +
                    "): " + strerror(-fd));
    if (!catchSignals()) return fail(std::string("cannot catch signals: ") + strerror(errno));

    httplib::Server server;
    EventPoller poller;
    addChecks(server, settings);
    addPageRoutes(server, settings);
    const std::shared_ptr<void> api = addApiRoutes(server, settings, map, poller);
    int port = options.port;
    if (port == 0)
        port = server.bind_to_any_port(options.host);
    else if (!server.bind_to_port(options.host, port))
        port = -1;
    if (port < 0)
        return fail("cannot listen on " + urlHost(options.host) + ":" + std::to_string(options.port));
    // Listening before the URL is printed, so that a signal right after it still finds a server to stop.
    std::atomic<bool> listenerDone{false};
    std::thread listener([&server, &listenerDone] {
        server.listen_after_bind();
        listenerDone = true;
    });
    while (!server.is_running() && !listenerDone) usleep(1000);
    printf("http://%s:%d/?token=%s\n", urlHost(options.host).c_str(), port, settings.token.c_str());
    fflush(stdout);
    pollfd wait{gSignalPipe[0], POLLIN, 0};
    while (poll(&wait, 1, -1) < 0 && errno == EINTR) {}
    poller.stop();  // the event streams end first, so that the server's threads are free to stop
    server.stop();
    // A connection kept alive keeps its worker until its second of silence is
    // over: the server ends within a second all the same, and the device's
    // descriptors close with the process.
    const auto deadline = std::chrono::steady_clock::now() + kLongestStop;
    while (!listenerDone && std::chrono::steady_clock::now() < deadline) usleep(1000);
    if (!listenerDone) {
        fflush(nullptr);
        _exit(0);
    }
    listener.join();
    closeDevice();
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    Options options;
    int status = 0;
    if (!parseOptions(argc, argv, options, status)) return status;
    return serve(options);
}
