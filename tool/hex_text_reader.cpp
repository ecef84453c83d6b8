#include "hex_text_reader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "numbers.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One line of the text, without its line end.
struct Line {
    const char *at;
    const char *end;
};

class Reader {
public:
    Reader(size_t limit, HexText &out) : limit_(limit), out_(out) {}
    ~Reader() { free(bytes_); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool line(Line line);
    bool finish();

private:
    bool fail(const char *format, const char *word, int wordLength);
    bool tooLong();
    bool append(const uint8_t *row, size_t length);
    bool row(uint64_t offset, Line body, bool xxdStyle);
    bool offsetFollows(uint64_t offset);

    size_t limit_;
    HexText &out_;
    unsigned number_ = 0;  // of the line being read
    uint8_t *bytes_ = nullptr;
    size_t length_ = 0, capacity_ = 0;
    uint64_t first_ = 0;     // the first row's offset
    bool started_ = false;   // a row has been read
    bool ended_ = false;     // hexdump's closing offset has been read
    bool repeat_ = false;    // a "*" waits for the next offset
    uint8_t last_[64] = {};  // the row before, for "*"
    size_t lastLength_ = 0;
};

bool Reader::fail(const char *format, const char *word, int wordLength) {
    out_.errorLine = number_;
    snprintf(out_.error, sizeof out_.error, format, wordLength, word);
    return false;
}

bool Reader::tooLong() {
    out_.errorLine = 0;
    snprintf(out_.error, sizeof out_.error, "too long");
    return false;
}

bool Reader::append(const uint8_t *row, size_t length) {
    if (length > limit_ - length_) return tooLong();
    if (length_ + length > capacity_) {
        size_t grown = capacity_ ? capacity_ : 4096;
        while (grown < length_ + length) grown *= 2;
        auto *bytes = static_cast<uint8_t *>(realloc(bytes_, grown));
        if (!bytes) return fail("%.*sout of memory", "", 0);
        bytes_ = bytes;
        capacity_ = grown;
    }
    memcpy(bytes_ + length_, row, length);
    length_ += length;
    return true;
}

// A row's offset must be where the bytes so far end; after "*", the row
// before repeats up to it.
bool Reader::offsetFollows(uint64_t offset) {
    if (!started_) {
        first_ = offset;
        started_ = true;
        return true;
    }
    const uint64_t next = first_ + length_;
    if (repeat_) {
        repeat_ = false;
        if (offset < next || lastLength_ == 0 || (offset - next) % lastLength_ != 0)
            return fail("%.*sthe offset after '*' is not a whole number of rows on", "", 0);
        if (offset - next > limit_ - length_) return tooLong();
        for (uint64_t at = next; at < offset; at += lastLength_)
            if (!append(last_, lastLength_)) return false;
        return true;
    }
    if (offset != next) return fail("%.*sthe offset does not follow the row before", "", 0);
    return true;
}

// The hex bytes of a row: pairs of digits in words ("41" or xxd's "4142"),
// up to the text column ('|' for hexdump, two blanks for xxd).
bool Reader::row(uint64_t offset, Line body, bool xxdStyle) {
    uint8_t bytes[sizeof last_];
    size_t count = 0;
    const char *p = body.at;
    for (;;) {
        const char *wordStart = p;
        while (p < body.end && isBlank(*p)) ++p;
        if (p == body.end || *p == '|') break;
        if (xxdStyle && count > 0 && p - wordStart >= 2) break;  // xxd's text column
        const char *word = p;
        while (p < body.end && !isBlank(*p) && *p != '|') ++p;
        const auto wordLength = static_cast<int>(p - word);
        if (wordLength % 2 != 0 || (!xxdStyle && wordLength != 2))
            return fail("'%.*s' is not a hex byte", word, wordLength);
        for (const char *digit = word; digit < p; digit += 2) {
            const int high = hexDigitValue(digit[0]), low = hexDigitValue(digit[1]);
            if (high < 0 || low < 0) return fail("'%.*s' is not a hex byte", word, wordLength);
            if (count == sizeof bytes) return fail("%.*smore than 64 bytes in a row", "", 0);
            bytes[count++] = static_cast<uint8_t>(high << 4 | low);
        }
    }
    if (!offsetFollows(offset)) return false;
    if (count == 0) {  // hexdump's closing offset
        ended_ = true;
        return true;
    }
    memcpy(last_, bytes, count);
    lastLength_ = count;
    return append(bytes, count);
}

bool Reader::line(Line line) {
    ++number_;
    while (line.at < line.end && isBlank(*line.at)) ++line.at;
    while (line.end > line.at && (isBlank(line.end[-1]) || line.end[-1] == '\r')) --line.end;
    if (line.at == line.end) return true;
    if (ended_) return fail("%.*sa line after the closing offset", "", 0);
    if (line.end - line.at == 1 && *line.at == '*') {
        if (!started_ || repeat_) return fail("%.*s'*' without a row to repeat", "", 0);
        repeat_ = true;
        return true;
    }
    uint64_t offset = 0;
    const char *p = line.at;
    for (; p < line.end && hexDigitValue(*p) >= 0; ++p) {
        if (offset >> 60) return fail("%.*sthe offset is too large", "", 0);
        offset = offset << 4 | static_cast<uint64_t>(hexDigitValue(*p));
    }
    const bool xxdStyle = p < line.end && *p == ':';
    if (p == line.at || (p < line.end && !xxdStyle && !isBlank(*p)))
        return fail("'%.*s' is not a row of a hex dump", line.at,
                    static_cast<int>(line.end - line.at > 40 ? 40 : line.end - line.at));
    return row(offset, Line{xxdStyle ? p + 1 : p, line.end}, xxdStyle);
}

bool Reader::finish() {
    ++number_;
    if (repeat_) return fail("%.*s'*' at the end: no offset says how far it repeats", "", 0);
    out_.bytes = bytes_;
    out_.length = length_;
    bytes_ = nullptr;
    return true;
}

}  // namespace

bool readHexText(const char *text, size_t length, size_t limit, HexText &out) {
    out = HexText{};
    Reader reader(limit, out);
    const char *end = text + length;
    for (const char *at = text; at < end;) {
        const char *lineEnd = static_cast<const char *>(memchr(at, '\n', static_cast<size_t>(end - at)));
        if (!lineEnd) lineEnd = end;
        if (!reader.line(Line{at, lineEnd})) return false;
        at = lineEnd + 1;
    }
    return reader.finish();
}
