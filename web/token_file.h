// The access token: new for each start, or kept in a file of the user's
// that only the user can read.
#ifndef TKVWEB_TOKEN_FILE_H
#define TKVWEB_TOKEN_FILE_H

#include <string>

// 64 hex digits from the kernel's random source; false when it fails.
bool newToken(std::string &token);

// The token kept in `path`: read from the file when it exists (it must be a
// regular file of this user, not a symbolic link, readable by nobody else),
// otherwise made and written into a new 0600 file.  False with the reason.
bool loadTokenFile(const std::string &path, std::string &token, std::string &why);

#endif
