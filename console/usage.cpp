// The one-shot usage text.  It is fixed: the example lines are documentation
// and are not adjusted to the options' real defaults.
#include <stdio.h>

#include "one_shot.h"

namespace {

void memoryOptionLines() {
    puts("\t-a: register address in hex");
    puts("\t-o: operation type, 0 for read, 1 for write, default: 0");
    puts("\t-w: operation width, 1 for a byte, 2 for two byte, 4 for four bytes, 8 for 8 bytes, default: 1");
    puts("\t-v: operation value for write in hex");
    puts("\t-n: read count in hex, only used in operation read, default: 1");
}

}  // namespace

void optHelp(const char *program) {
    printf("%s usage.\n", program);
    puts("eg:");
    printf("%s\n\tenter command line\n", program);
    printf("%s reg -a 10028 -o 1 -w 0 -v 12345678 -n 1\n", program);
    memoryOptionLines();
    printf("%s vram -a 0 -o 1 -w 0 -v 12345678 -n 1\n", program);
    memoryOptionLines();
    printf("%s i2c -c 1 -d 24 -a 0 -o 0 -v 12 -n 1\n", program);
    puts("\t-c: i2c channel, 0 or 1");
    puts("\t-d: i2c device address in hex");
    puts("\t-a: i2c device subaddress in hex, default: 0");
    puts("\t-o: operation type, 0 for read, 1 for write, default: 0");
    puts("\t-v: operation value for byte write in hex");
    printf("%s zv -c 1 -i 1 -x 0 -y 0 -w 720 -h 572 -l 8 -t 0 -e 1\n", program);
    puts("\t-c: zoom video controller channel, 0 or 1, default: 0");
    puts("\t-i: i2c channel for zoom video, 0 or 1, default: 0");
    puts("\t-x -y: video position for zoom video, default: x = 0, y = 0");
    puts("\t-w -h: video size for zoom video, default: real camera image size");
    puts("\t-l: left cut pixels for video image");
    puts("\t-t: composite to crtc selection, 0 to CRTC 0, 1 to CRTC 1, default: 0");
    puts("\t-e: enable for zoom video controller. 0: disable; 1: enable. default 0");
    printf("%s ver\n", program);
    puts("\treturn tkvcore version");
}
