// The 16 MiB files that dumps are measured on, made once per run and
// removed at exit.
#ifndef TKV_BENCH_DUMP_FILES_H
#define TKV_BENCH_DUMP_FILES_H

#include <stddef.h>

// 0x1000000 bytes: what `vram -n 1000000` and `dump vram 0 1000000` cover.
constexpr size_t kDumpBytes = size_t{16} << 20;

// kDumpBytes zero bytes, as on a fresh device; null when it cannot be made.
const char *zeroFile();
// kDumpBytes of pseudo-random bytes.
const char *randomFile();

#endif
