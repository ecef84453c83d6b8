// tkvweb's command line.
#ifndef TKVWEB_OPTIONS_H
#define TKVWEB_OPTIONS_H

#include <string>
#include <vector>

struct Options {
    std::string host = "127.0.0.1";  // loopback unless asked otherwise
    int port = 8470;                 // 0: any free port
    bool readOnly = false;
    std::string tokenFile;                  // empty: a new token each start
    std::vector<std::string> allowedHosts;  // names besides the listening address and localhost
    std::vector<std::string> mapFiles;
    int device = 0;
};

// Parses the command line: true when the server is to run; otherwise
// `status` is the exit status (--help and --version: 0, a usage error: 2).
bool parseOptions(int argc, char **argv, Options &options, int &status);

// Splits "HOST:PORT" ("[V6]:PORT" for IPv6); false when it is not one.
bool parseListen(const std::string &text, std::string &host, int &port);

#endif
