// Finding, checking and creating the state file.  Creation and first
// initialisation happen under the file's lock, so that two processes starting
// on the same fresh file initialise it once.
#include "state_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "device_state.h"
#include "files.h"
#include "state_mapping.h"

namespace sim {
namespace {

char shownPath[PATH_MAX];
constexpr int kNotOurs = -1;  // prepare(): the file holds something else

bool carriesOurHeader(int fd) {
    StateLayout layout;
    return pread(fd, &layout, sizeof layout, 0) == static_cast<ssize_t>(sizeof layout) &&
           memcmp(&layout, &kStateLayout, sizeof layout) == 0;
}

// With the lock held: a new empty file gets the power-on state, a state file
// its full size.  0, kNotOurs, or an errno.
int prepare(int fd) {
    struct stat status;
    if (fstat(fd, &status) != 0) return errno;
    if (status.st_size == 0) {
        static DeviceState fresh;
        powerOn(fresh, false);
        errno = 0;
        if (pwrite(fd, &fresh, sizeof fresh, 0) != static_cast<ssize_t>(sizeof fresh)) {
            const int err = errno ? errno : ENOSPC;
            if (ftruncate(fd, 0) != 0) return errno;  // empty again, as it was found
            return err;
        }
    } else if (!carriesOurHeader(fd)) {
        return kNotOurs;
    }
    if (static_cast<size_t>(status.st_size) != kMappingSize && ftruncate(fd, kMappingSize) != 0) return errno;
    return 0;
}

int openIn(int directory, const char *name) {
    uid_t owner = 0;
    int fd = openRegularFile(directory, name, O_RDWR | O_CREAT, 0600, &owner);
    if (fd >= 0 && owner != geteuid()) {
        close(fd);
        fd = kNotRegular;
    }
    int result = fd == kNotRegular ? kNotOurs : fd < 0 ? errno : 0;
    if (fd >= 0) {
        const bool locked = flock(fd, LOCK_EX) == 0;
        result = prepare(fd);
        if (locked) flock(fd, LOCK_UN);
    }
    if (result == 0) return keepDescriptor(fd);
    if (fd >= 0) close(fd);
    reportStateInMemory(result == kNotOurs ? "not a simulator state file" : strerror(result));
    return -1;
}

// A directory of the user's that no one else may enter.
bool isPrivate(int fd) {
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
           (status.st_mode & 077) == 0;
}

int openDefault() {
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    const bool inRuntime = runtime && runtime[0] == '/';
    if (inRuntime) {
        snprintf(shownPath, sizeof shownPath, "%s", runtime);
    } else {
        const char *tmp = getenv("TMPDIR");
        snprintf(shownPath, sizeof shownPath, "%s/tkvsim-%u", tmp && tmp[0] == '/' ? tmp : "/tmp",
                 static_cast<unsigned>(geteuid()));
        if (mkdir(shownPath, 0700) != 0 && errno != EEXIST) {
            reportStateInMemory(strerror(errno));
            return -1;
        }
    }
    const int directory = openNoFollow(AT_FDCWD, shownPath, O_RDONLY | O_DIRECTORY);
    const bool planted = directory < 0 ? errno == ENOTDIR || errno == ELOOP : !isPrivate(directory);
    if (directory < 0 || planted) {
        reportStateInMemory(planted ? "not a private directory" : strerror(errno));
        if (directory >= 0) close(directory);
        return -1;
    }
    constexpr char kName[] = "tkvsim.state";
    const size_t length = strlen(shownPath);
    snprintf(shownPath + length, sizeof shownPath - length, "/%s", kName);
    const int fd = openIn(directory, kName);
    close(directory);
    return fd;
}

}  // namespace

int openStateFile(const char *path) {
    if (!path) return openDefault();
    snprintf(shownPath, sizeof shownPath, "%s", path);
    return openIn(AT_FDCWD, path);
}

const char *stateFileName() { return shownPath; }

void reportStateInMemory(const char *why) {
    fprintf(stderr, "tkvsim: %s: %s; keeping the state in memory\n", shownPath, why);
}

}  // namespace sim
