#include "regmap_files.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#ifndef TKV_REGMAP_DIR
#error "TKV_REGMAP_DIR: the installed maps' directory"
#endif
#ifndef TKV_REGMAP_DIR_FROM_BIN
#error "TKV_REGMAP_DIR_FROM_BIN: the maps' directory relative to the programs'"
#endif

namespace regmap {
namespace {

bool isDirectory(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The *.toml files of a directory, by name; none when it does not exist.
std::vector<std::string> mapFiles(const std::string &directory) {
    std::vector<std::string> files;
    DIR *dir = opendir(directory.c_str());
    if (!dir) return files;
    while (const dirent *entry = readdir(dir)) {
        const size_t length = strlen(entry->d_name);
        if (entry->d_name[0] != '.' && length > 5 && strcmp(entry->d_name + length - 5, ".toml") == 0)
            files.push_back(directory + "/" + entry->d_name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::string shippedMapDirectory() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
        self[length] = '\0';
        if (char *slash = strrchr(self, '/')) {
            *slash = '\0';
            const std::string beside = std::string(self) + "/" + TKV_REGMAP_DIR_FROM_BIN;
            if (isDirectory(beside)) return beside;
        }
    }
    return TKV_REGMAP_DIR;
}

std::vector<std::string> mapDirectories() {
    std::vector<std::string> directories;
    if (const char *path = getenv("TEKVARO_REGMAP_PATH")) {
        for (const char *p = path; *p;) {
            const char *colon = strchr(p, ':');
            const size_t length = colon ? static_cast<size_t>(colon - p) : strlen(p);
            if (length) directories.emplace_back(p, length);
            p += length + (colon ? 1 : 0);
        }
        return directories;
    }
    directories.push_back(shippedMapDirectory());
    // XDG: a relative $XDG_DATA_HOME is to be ignored.
    const char *data = getenv("XDG_DATA_HOME");
    const char *home = getenv("HOME");
    if (data && data[0] == '/')
        directories.push_back(std::string(data) + "/tekvaro/regmaps");
    else if (home && home[0] == '/')
        directories.push_back(std::string(home) + "/.local/share/tekvaro/regmaps");
    return directories;
}

bool loadMaps(Map &map, const std::vector<std::string> &extraFiles, std::vector<Fault> &faults) {
    const size_t first = faults.size();
    auto load = [&](const std::string &file) {
        std::vector<Block> blocks;
        if (loadMapFile(file, blocks, faults)) addBlocks(map, std::move(blocks));
    };
    for (const std::string &directory : mapDirectories())
        for (const std::string &file : mapFiles(directory)) load(file);
    for (const std::string &file : extraFiles) load(file);
    if (faults.size() == first) checkBlocks(map.blocks, faults);
    return faults.size() == first;
}

}  // namespace regmap
