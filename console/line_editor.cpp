#include "line_editor.h"

#include <stdio.h>
#include <string.h>

#include "standard_streams.h"
#include "terminal.h"

char CmdLines[kCmdLineSize];

namespace {

constexpr int kMaxLineLength = kCmdLineSize - 1;
constexpr char kPrompt = '>';
constexpr char kBackspace = 0x08;

int CmdLinesLen;                  // characters in the line being edited
char lastCmdLines[kCmdLineSize];  // the history: the last finished line
// A line from a pipe or file ended with a carriage return: a line feed right
// after it belongs to the same line end (CR LF scripts).
bool lineFeedEndsNothing;

void put(char c) { putchar_unlocked(c); }

void flushEcho() {
    if (fflush(stdout) != 0) noteWriteError();
}

void putRun(const char *text, int length) {
    for (int i = 0; i < length; ++i) put(text[i]);
}

void putBackspaces(int count) {
    for (int i = 0; i < count; ++i) put(kBackspace);
}

// One call's editing state.
struct Edit {
    int cursor = 0;
    bool historyShown = false;
    char save[kCmdLineSize] = {};
};

int finishLine(int key) {
    put('\r');
    put('\n');
    flushEcho();  // the echo comes before the line's output and complaints
    lineFeedEndsNothing = key == '\r' && !inputIsTerminal();
    CmdLines[CmdLinesLen] = '\0';
    strcpy(lastCmdLines, CmdLines);
    CmdLinesLen = 0;
    return 0;
}

void insertAtCursor(Edit &e, char c) {
    if (e.cursor == CmdLinesLen) {
        CmdLines[e.cursor] = c;
        CmdLinesLen = e.cursor + 1;
        put(c);
    } else {
        // Moving right never passes the buffer's end: the line holds at most 255.
        memmove(CmdLines + e.cursor + 1, CmdLines + e.cursor, static_cast<size_t>(CmdLinesLen - e.cursor));
        ++CmdLinesLen;
        CmdLines[e.cursor] = c;
        put(c);
        int after = CmdLinesLen - e.cursor - 1;
        putRun(CmdLines + e.cursor + 1, after);
        putBackspaces(after);
    }
    if (CmdLinesLen > kMaxLineLength - 1) CmdLinesLen = kMaxLineLength;  // the 256th drops out
    e.cursor = e.cursor + 1 < CmdLinesLen ? e.cursor + 1 : CmdLinesLen;
}

void backspace(Edit &e) {
    if (CmdLinesLen == 0 || e.cursor == 0) return;
    const bool wasLast = e.cursor == CmdLinesLen;
    memmove(CmdLines + e.cursor - 1, CmdLines + e.cursor, static_cast<size_t>(CmdLinesLen - e.cursor));
    --e.cursor;
    --CmdLinesLen;
    put(kBackspace);
    if (wasLast) {
        put(' ');
        put(kBackspace);
        return;
    }
    int after = CmdLinesLen - e.cursor;
    putRun(CmdLines + e.cursor, after);
    put(' ');  // blanks the column the line no longer uses
    putBackspaces(after + 1);
}

// Replaces the line on screen and in the buffer by `text`.
void showLine(Edit &e, const char *text) {
    put('\r');
    for (int i = 0; i <= CmdLinesLen; ++i) put(' ');
    put('\r');
    put(kPrompt);
    CmdLines[CmdLinesLen] = '\0';
    char shown[kCmdLineSize];
    strcpy(shown, text);  // text may be e.save, which the caller overwrites next
    if (text != e.save) strcpy(e.save, CmdLines);
    strcpy(CmdLines, shown);
    CmdLinesLen = static_cast<int>(strlen(CmdLines));
    putRun(CmdLines, CmdLinesLen);
    e.cursor = CmdLinesLen;
}

void arrow(Edit &e, int key) {
    switch (key) {
    case 'A':  // up: bring the history line, keeping the typed one
        showLine(e, lastCmdLines);
        e.historyShown = true;
        break;
    case 'B':  // down: back to the typed line; nothing when no history is shown
        if (!e.historyShown) break;
        showLine(e, e.save);
        e.historyShown = false;
        break;
    case 'C':
        if (e.cursor < CmdLinesLen) put(CmdLines[e.cursor++]);
        break;
    case 'D':
        if (e.cursor > 0) {
            put(kBackspace);
            --e.cursor;
        }
        break;
    }
}

// Input has ended or failed.  A line half typed on a terminal that hung up
// is not what anybody asked to run; a script's last line without a line end is.
int endOfInput() {
    if (CmdLinesLen == 0 || inputIsTerminal()) {
        CmdLinesLen = 0;
        return 1;
    }
    return finishLine('\n');
}

}  // namespace

void resetLineEditor() {
    CmdLines[0] = '\0';
    CmdLinesLen = 0;
    lastCmdLines[0] = '\0';
    lineFeedEndsNothing = false;
}

int getCmdLine() {
    Edit e;
    int escapeState = 0, sequenceByte = 0;
    put(kPrompt);
    for (;;) {
        flushEcho();  // every echo is on the screen before the next key
        int key = readKey(ShownLine{kPrompt, CmdLines, CmdLinesLen, e.cursor});
        if (key < 0) return endOfInput();
        key &= 0xFF;
        const bool afterCarriageReturn = lineFeedEndsNothing;
        lineFeedEndsNothing = false;
        if (key == '\n' && afterCarriageReturn) continue;
        if (key == 0) continue;  // Ctrl-@: inserting it would make the line look empty
        if (key == '\r' || key == '\n') return finishLine(key);
        if (key == 0x1B) {
            escapeState = 1;
            continue;
        }
        if (escapeState == 1) {  // the byte after an escape is always swallowed
            sequenceByte = key;
            escapeState = 2;
            continue;
        }
        if (escapeState == 2) {
            escapeState = 0;
            if (sequenceByte == '[' && key >= 'A' && key <= 'D') {
                arrow(e, key);
                continue;
            }
        }
        if (key == 0x03) return 1;  // Ctrl-C
        if (key == 0x08 || key == 0x7F) {
            backspace(e);
            continue;
        }
        insertAtCursor(e, static_cast<char>(key));
    }
}
