#include "static_files.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

namespace {

constexpr off_t kLargestFile = off_t{16} << 20;

std::string typeOf(std::string_view name) {
    static constexpr std::pair<std::string_view, const char *> kTypes[] = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},
        {".map", "application/json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
        {".txt", "text/plain; charset=utf-8"}};
    for (const auto &[ending, type] : kTypes)
        if (name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending) return type;
    return "application/octet-stream";
}

}  // namespace

std::string findPageFolder() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    std::string folder(self, static_cast<size_t>(n));
    folder.erase(folder.rfind('/'));
    folder += "/" TKVWEB_PAGE_RELATIVE;  // bin/ to share/tekvaro/web
    struct stat st {};
    if (stat((folder + "/index.html").c_str(), &st) != 0) return {};
    return folder;
}

bool readPageFile(const std::string &folder, const std::string &relative, std::string &bytes,
                  std::string &type) {
    const int fd = open((folder + "/" + relative).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool read_ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargestFile;
    if (read_ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t r = read(fd, &bytes[got], bytes.size() - got);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<size_t>(r);
        }
        read_ok = got == bytes.size();
    }
    close(fd);
    type = typeOf(relative);
    return read_ok;
}
