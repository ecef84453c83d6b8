#include "regmap_files.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace regmap {
namespace {

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
    if (!getenv("TEKVARO_REGMAP_PATH")) addBlocks(map, shippedBlocks());
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
