#include "output_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int writeAll(int fd, const void *bytes, size_t length) {
    for (size_t done = 0; done < length;) {
        const ssize_t n = write(fd, static_cast<const char *>(bytes) + done, length - done);
        if (n < 0 && errno != EINTR) return errno;
        if (n > 0) done += static_cast<size_t>(n);
    }
    return 0;
}

// Writes and closes `fd`: 0 or the first error.
int writeAndClose(int fd, const void *bytes, size_t length) {
    int error = writeAll(fd, bytes, length);
    if (close(fd) != 0 && !error) error = errno;
    return error;
}

// The new file ".NAME.XXXXXX" in the folder of `path`, renamed over it once whole.
int replace(const char *path, const struct stat *existing, const void *bytes, size_t length) {
    const char *slash = strrchr(path, '/');
    const int folderLength = slash ? static_cast<int>(slash - path + 1) : 0;
    char newFile[PATH_MAX + 16];
    const int n =
        snprintf(newFile, sizeof newFile, "%.*s.%s.XXXXXX", folderLength, path, slash ? slash + 1 : path);
    if (n < 0 || static_cast<size_t>(n) >= sizeof newFile) return ENAMETOOLONG;
    const int fd = mkostemp(newFile, O_CLOEXEC);  // 0600, and never an existing file
    if (fd < 0) return errno;
    int error = existing && fchmod(fd, existing->st_mode & 0777) != 0 ? errno : 0;
    const int written = writeAndClose(fd, bytes, length);
    if (!error) error = written;
    if (!error && rename(newFile, path) != 0) error = errno;
    if (error) unlink(newFile);
    return error;
}

}  // namespace

int writeWholeFile(const char *path, const void *bytes, size_t length, bool &symbolicLink) {
    symbolicLink = false;
    struct stat st {};
    if (lstat(path, &st) != 0) return errno == ENOENT ? replace(path, nullptr, bytes, length) : errno;
    if (S_ISLNK(st.st_mode)) {
        symbolicLink = true;
        return ELOOP;
    }
    if (S_ISREG(st.st_mode)) return replace(path, &st, bytes, length);
    const int fd = open(path, O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return errno;
    return writeAndClose(fd, bytes, length);
}
