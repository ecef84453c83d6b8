// The canonical hex+ASCII layout of hexdump -C: 16 bytes a row in two
// groups of eight, the printable characters between bars, a row equal to the
// one before shown as one '*' line, and the end offset on a line of its own.
// A byte whose request failed shows as XX (and X in the text column).
#ifndef TKVTOOL_HEX_ROWS_H
#define TKVTOOL_HEX_ROWS_H

#include <stdint.h>

class HexRows {
public:
    explicit HexRows(bool allRows) : allRows_(allRows) {}

    // Prints the rows of `count` bytes from `address` on: whole rows, and a
    // short one only at the end of the dump.  `failed` (or null) marks bytes
    // whose request failed.
    void put(uint32_t address, const uint8_t *bytes, const uint8_t *failed, uint32_t count);
    // The closing offset line (nothing for an empty dump).
    void finish(uint32_t end);

private:
    bool repeats(const uint8_t *bytes, const uint8_t *failed);

    bool allRows_;
    bool printedAny_ = false;
    bool starred_ = false;  // the '*' of the current run of repeated rows is out
    uint8_t previous_[16] = {};
    uint8_t previousFailed_[16] = {};
};

#endif
