#include "options.h"

#include <getopt.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "request_parsing.h"

#ifndef TKV_VERSION
#define TKV_VERSION "unknown"
#endif

namespace {

constexpr char kUsage[] =
    "Usage: tkvweb [OPTION]...\n"
    "Serve the board's registers, I2C devices, EDIDs and live values over HTTP.\n"
    "\n"
    "  -l, --listen HOST:PORT  the address to listen on (default 127.0.0.1:8470;\n"
    "                          port 0: any free port)\n"
    "  -r, --read-only         refuse every change to the device\n"
    "  -t, --token-file FILE   keep the access token in FILE (made 0600 when absent)\n"
    "  -a, --allow-host NAME   answer requests for NAME too (repeatable)\n"
    "      --map FILE          a register map to load beside the others\n"
    "  -d, --device ID         the device to open, hexadecimal as tkvtool's (default 0)\n"
    "  -h, --help              show this help and exit\n"
    "  -V, --version           show the version and exit\n"
    "\n"
    "The first line on standard output is the URL to open, with its token.\n";

// printf-style: the format attribute has the compiler check every call.
// NOLINTNEXTLINE(cert-dcl50-cpp)
__attribute__((format(printf, 1, 2))) int usage(const char *format, ...) {
    char line[512];
    va_list ap;
    va_start(ap, format);
    vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    fprintf(stderr, "tkvweb: %s\nTry 'tkvweb --help'\n", line);
    return 2;
}

}  // namespace

bool parseListen(const std::string &text, std::string &host, int &port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    host = text.substr(0, colon);
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        host = host.substr(1, host.size() - 2);
    } else if (host.find(':') != std::string::npos) {
        return false;
    }
    uint64_t value = 0;
    if (!parseDecimalNumber(std::string_view(text).substr(colon + 1), 65535, value)) return false;
    port = static_cast<int>(value);
    return true;
}

bool parseOptions(int argc, char **argv, Options &options, int &status) {
    static const option kLong[] = {{"listen", required_argument, nullptr, 'l'},
                                   {"read-only", no_argument, nullptr, 'r'},
                                   {"token-file", required_argument, nullptr, 't'},
                                   {"map", required_argument, nullptr, 'm'},
                                   {"allow-host", required_argument, nullptr, 'a'},
                                   {"device", required_argument, nullptr, 'd'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {nullptr, 0, nullptr, 0}};
    opterr = 0;
    int c;
    while ((c = getopt_long(argc, argv, ":l:rt:a:d:hV", kLong, nullptr)) != -1) {
        uint64_t id = 0;
        switch (c) {
        case 'l':
            if (!parseListen(optarg, options.host, options.port)) {
                status = usage("invalid address '%s' (HOST:PORT)", optarg);
                return false;
            }
            break;
        case 'r': options.readOnly = true; break;
        case 't': options.tokenFile = optarg; break;
        case 'm': options.mapFiles.emplace_back(optarg); break;
        case 'a':
            if (!*optarg || strpbrk(optarg, ":/ ")) {
                status = usage("invalid host name '%s'", optarg);
                return false;
            }
            options.allowedHosts.emplace_back(optarg);
            break;
        case 'd':
            if (!parseNumber(strncmp(optarg, "0x", 2) == 0 ? optarg : std::string("0x") + optarg, 255, id)) {
                status = usage("invalid device '%s'", optarg);
                return false;
            }
            options.device = static_cast<int>(id);
            break;
        case 'h':
            fputs(kUsage, stdout);
            status = 0;
            return false;
        case 'V':
            puts("tkvweb " TKV_VERSION);
            status = 0;
            return false;
        case ':': status = usage("option '%s' needs a value", argv[optind - 1]); return false;
        default: status = usage("unknown option '%s'", argv[optind - 1]); return false;
        }
    }
    if (optind < argc) {
        status = usage("unexpected argument '%s'", argv[optind]);
        return false;
    }
    return true;
}
