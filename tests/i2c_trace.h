// The I2C register accesses of the request trace in a compact, comparable
// form: "W03=48" a byte written, "R03" a byte read, and "wait" for each run of
// status reads of a command/status register (0x04 or 0x14).
#ifndef TKV_TESTS_I2C_TRACE_H
#define TKV_TESTS_I2C_TRACE_H

#include <stdio.h>

#include <string>
#include <vector>

#include "lib_fixture.h"

inline bool isStatusRegister(uint32_t offset) { return offset == 0x04 || offset == 0x14; }

inline std::vector<std::string> busScript() {
    std::vector<std::string> script;
    bool waiting = false;
    for (const tkvsim::Request &r : mmio()) {
        const bool statusRead = r.direction == 0 && isStatusRegister(r.offset);
        if (statusRead && waiting) continue;
        waiting = statusRead;
        char text[32];
        if (statusRead)
            snprintf(text, sizeof text, "wait");
        else if (r.direction == 1)
            snprintf(text, sizeof text, "W%02X=%02X", r.offset, static_cast<unsigned>(r.value));
        else
            snprintf(text, sizeof text, "R%02X", r.offset);
        if (r.size != 1) snprintf(text, sizeof text, "size %u at %X", r.size, r.offset);
        script.push_back(text);
    }
    return script;
}

// The script of one byte sent with its command, followed by the wait.
inline std::vector<std::string> sent(unsigned dataRegister, unsigned byte, unsigned command) {
    char data[16], cmd[16];
    snprintf(data, sizeof data, "W%02X=%02X", dataRegister, byte);
    snprintf(cmd, sizeof cmd, "W%02X=%02X", dataRegister + 1, command);
    return {data, cmd, "wait"};
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

#endif
