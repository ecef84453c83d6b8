// Reading bytes back from the text of a hex dump: tkvtool dump's and
// hexdump -C's rows ("00000010  41 42 ...  |AB...|"), xxd's
// ("00000010: 4142 ...  AB..."), "*" for rows that repeat the one before
// until the next offset, and hexdump's closing offset.  The text columns are
// not read: the hex bytes are what counts.
#ifndef TKVTOOL_HEX_TEXT_READER_H
#define TKVTOOL_HEX_TEXT_READER_H

#include <stddef.h>
#include <stdint.h>

struct HexText {
    uint8_t *bytes = nullptr;  // malloc'd; the caller frees them
    size_t length = 0;         // from the first row's offset on
    unsigned errorLine = 0;    // the line at fault, when reading failed (0: none)
    char error[96] = {};       // what is wrong with it
};

// Reads the rows of `text`, each row's bytes landing at its offset less the
// first row's.  False when a line is malformed, a row's offset does not
// follow the row before, or the bytes would come to more than `limit`
// (errorLine 0, error "too long"); nothing is kept then.
bool readHexText(const char *text, size_t length, size_t limit, HexText &out);

#endif
