#include "input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <sys/stat.h>
#include <unistd.h>

InputRead readRegularFile(const char *path, size_t largest, std::string &text, bool followLink) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLink ? 0 : O_NOFOLLOW));
    struct stat st {};
    InputRead result;
    if (fd < 0 || fstat(fd, &st) != 0)
        result = {InputProblem::Open, errno};
    else if (!S_ISREG(st.st_mode))
        result.problem = InputProblem::NotRegular;
    else if (static_cast<uint64_t>(st.st_size) > largest)
        result.problem = InputProblem::TooLarge;
    if (result.ok()) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = read(fd, &text[done], text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                result = n < 0 ? InputRead{InputProblem::Read, errno} : InputRead{InputProblem::Shrank, 0};
                break;
            }
            done += static_cast<size_t>(n);
        }
    }
    if (fd >= 0) close(fd);
    return result;
}
