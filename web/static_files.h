// The page's files: web/static from the source tree (the build tree links
// it in) or share/tekvaro/web when installed, found from the program's own
// place; and Debian's dygraphs.
#ifndef TKVWEB_STATIC_FILES_H
#define TKVWEB_STATIC_FILES_H

#include <string>

// The page's folder, relative to the program; empty when it has none.
std::string findPageFolder();

constexpr char kDygraphsFolder[] = "/usr/share/javascript/dygraphs";

// The bytes and type of `relative` (a checked path, "app.js" or "css/a.css")
// in `folder`: a regular file, never through a symbolic link at its end.
bool readPageFile(const std::string &folder, const std::string &relative, std::string &bytes,
                  std::string &type);

#endif
