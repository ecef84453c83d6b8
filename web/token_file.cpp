#include "token_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kTokenBytes = 32, kLongestFile = 256;

std::string reason(const std::string &path, const char *what) { return "token file '" + path + "': " + what; }

bool writeAll(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool create(const std::string &path, std::string &token, std::string &why) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        why = reason(path, strerror(errno));
        return false;
    }
    const bool made = newToken(token) && writeAll(fd, token + "\n") && fsync(fd) == 0;
    const int error = errno;
    close(fd);
    if (made) return true;
    unlink(path.c_str());
    why = reason(path, strerror(error));
    return false;
}

// A token is what newToken makes: hex digits, nothing else.
bool soundToken(const std::string &token) {
    if (token.size() < 32) return false;
    for (char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

}  // namespace

bool newToken(std::string &token) {
    unsigned char bytes[kTokenBytes];
    size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    token.clear();
    for (unsigned char b : bytes) {
        token += kDigits[b >> 4];
        token += kDigits[b & 15];
    }
    return true;
}

bool loadTokenFile(const std::string &path, std::string &token, std::string &why) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return create(path, token, why);
    if (fd < 0) {
        why = reason(path, errno == ELOOP ? "is a symbolic link" : strerror(errno));
        return false;
    }
    struct stat st {};
    const char *fault = nullptr;
    if (fstat(fd, &st) != 0)
        fault = strerror(errno);
    else if (!S_ISREG(st.st_mode))
        fault = "not a regular file";
    else if (st.st_uid != geteuid())
        fault = "belongs to another user";
    else if ((st.st_mode & 077) != 0)
        fault = "others may read it (chmod 600)";
    char text[kLongestFile + 1];
    ssize_t n = 0;
    if (!fault) {
        do n = read(fd, text, kLongestFile);
        while (n < 0 && errno == EINTR);
        if (n < 0) fault = strerror(errno);
    }
    close(fd);
    if (!fault) {
        token.assign(text, static_cast<size_t>(n));
        while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
        if (!soundToken(token)) fault = "holds no token (64 hex digits)";
    }
    if (!fault) return true;
    why = reason(path, fault);
    return false;
}
