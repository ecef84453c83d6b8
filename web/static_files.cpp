#include "static_files.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>

#include "input_file.h"

namespace {

constexpr size_t kLargestFile = size_t{16} << 20;

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
    type = typeOf(relative);
    return readRegularFile((folder + "/" + relative).c_str(), kLargestFile, bytes, false).ok();
}
