/* The simulated controller settles at once: the fuzzers skip the library's
 * fixed waits (a capture start waits a tenth of a second), which would only
 * slow them down.  Defined in the program, this usleep comes before the C
 * library's. */
#include <unistd.h>

int usleep(useconds_t usec) {
    (void)usec;
    return 0;
}
