/* The smallest honest one-shot program: start, open a file, close it, exit. */
#include <fcntl.h>
#include <unistd.h>

int main(void) {
    int fd = open("/dev/null", O_RDONLY);
    if (fd < 0) return 1;
    return close(fd) == 0 ? 0 : 1;
}
