// tkvtool load --hex: the reader of a hex dump's text, on any text.  What it
// accepts stays within the limit it was given.
#include <stdlib.h>

#include "hex_text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    constexpr size_t kLimit = 1 << 20;
    HexText out;
    const bool read = readHexText(reinterpret_cast<const char *>(data), size, kLimit, out);
    if (read && (out.length > kLimit || out.errorLine != 0)) __builtin_trap();
    if (!read && out.bytes) __builtin_trap();
    free(out.bytes);
    return 0;
}
