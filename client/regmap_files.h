// Where the maps come from: the shipped ones, the user's, and those named on
// the command line, each later block replacing an earlier one of its name.
#ifndef TKV_CLIENT_REGMAP_FILES_H
#define TKV_CLIENT_REGMAP_FILES_H

#include "regmap.h"

namespace regmap {

// The directories searched for *.toml, in order: TEKVARO_REGMAP_PATH's
// (colon-separated) when it is set; otherwise the shipped maps' directory
// and $XDG_DATA_HOME/tekvaro/regmaps (~/.local/share/tekvaro/regmaps).
std::vector<std::string> mapDirectories();

// The shipped maps' directory: share/tekvaro/regmaps beside the program's
// own bin/ (which holds in the build tree as in the installed tree), else
// the installed one.
std::string shippedMapDirectory();

// Loads every map of the directories, then `extraFiles`, and checks the
// result; false, with the faults, when any file is not a sound map.
bool loadMaps(Map &map, const std::vector<std::string> &extraFiles, std::vector<Fault> &faults);

}  // namespace regmap

#endif
