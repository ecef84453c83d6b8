// watch: registers or fields polled at an interval, a timestamped line per
// change (field by field), until COUNT changes or Ctrl-C.  The interval is
// kept by sleeping to absolute times: no busy waiting, no drift.
#include <errno.h>
#include <signal.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>

#include <set>
#include <tuple>
#include <vector>

#include "commands.h"
#include "names.h"
#include "output.h"
#include "report.h"

namespace {

volatile sig_atomic_t interrupted;

void stopWatching(int) { interrupted = 1; }

// Ctrl-C (and SIGTERM) end the watch as its last change would: exit 0.
void endOnSignals() {
    struct sigaction action {};
    action.sa_handler = stopWatching;  // no SA_RESTART: the sleep ends at once
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// "HH:MM:SS.mmm ", local time.
std::string timestamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    char text[32];
    snprintf(text, sizeof text, "%02d:%02d:%02d.%03ld ", parts.tm_hour, parts.tm_min, parts.tm_sec,
             now.tv_nsec / 1000000);
    return text;
}

// A watched value as text: a register in hex with its digits, a field as decode shows it.
std::string valueText(const regmap::Name &name, uint64_t value) {
    char text[32];
    if (name.field)
        snprintf(text, sizeof text, name.field->bits() <= 16 ? "%llu" : "0x%llx",
                 static_cast<unsigned long long>(value));
    else
        snprintf(text, sizeof text, "0x%0*llx", static_cast<int>(2 * name.reg->bytes()),
                 static_cast<unsigned long long>(value));
    return text;
}

// The register's value, or its field's.
int readWatched(const regmap::Name &name, uint64_t &value) {
    const Space &space = *findSpace(regmap::spaceName(name.block->space));
    if (int error = space.read(name.address(), name.reg->bytes(), value)) return error;
    if (name.field) value = name.field->extract(value);
    return 0;
}

void printLine(const std::string &line) {
    outputWrite(line.data(), line.size());
    outputFlush();  // a pipe sees each change as it happens
}

// "TIME NAME OLD -> NEW (field a -> b, ...)".
std::string changeLine(const regmap::Name &name, uint64_t before, uint64_t after) {
    std::string line = timestamp();
    line += name.text();
    line += ' ';
    line += valueText(name, before);
    line += " -> ";
    line += valueText(name, after);
    std::string fields;
    if (!name.field)
        for (const regmap::Field &f : name.reg->fields) {
            if (f.extract(before) == f.extract(after)) continue;
            fields += fields.empty() ? "" : ", ";
            fields += f.name;
            fields += ' ';
            fields += std::to_string(f.extract(before));
            fields += " -> ";
            fields += std::to_string(f.extract(after));
        }
    if (!fields.empty()) {
        line += " (";
        line += fields;
        line += ')';
    }
    line += '\n';
    return line;
}

int readFailed(const regmap::Name &name, int error) {
    return requestFailed("watch: read", regmap::spaceName(name.block->space), name.address(),
                         name.reg->bytes(), error);
}

// The names to watch, each once however often and however spelt it was
// given: a change is one line.
std::vector<regmap::Name> distinct(const std::vector<regmap::Name> &names) {
    std::set<std::tuple<const regmap::Instance *, const regmap::Register *, const regmap::Field *>> seen;
    std::vector<regmap::Name> once;
    for (const regmap::Name &name : names)
        if (seen.emplace(name.instance, name.reg, name.field).second) once.push_back(name);
    return once;
}

void advance(timespec &at, uint32_t ms) {
    at.tv_nsec += static_cast<long>(ms % 1000) * 1000000;
    at.tv_sec += ms / 1000 + at.tv_nsec / 1000000000;
    at.tv_nsec %= 1000000000;
}

}  // namespace

int runWatch(const Invocation &in) {
    const std::vector<regmap::Name> watched = distinct(in.watched);
    const size_t count = watched.size();
    std::vector<uint64_t> values(count);
    for (size_t i = 0; i < count; ++i) {
        const regmap::Name &name = watched[i];
        if (int error = readWatched(name, values[i])) return readFailed(name, error);
        std::string line = timestamp();
        line += name.text();
        line += " = ";
        line += valueText(name, values[i]);
        line += '\n';
        printLine(line);
    }
    endOnSignals();
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    uint32_t changes = 0;
    while (!interrupted && !outputFailed()) {
        advance(next, in.intervalMs);
        while (!interrupted && clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {}
        if (interrupted) break;
        for (size_t i = 0; i < count; ++i) {
            const regmap::Name &name = watched[i];
            uint64_t now = 0;
            if (int error = readWatched(name, now)) return readFailed(name, error);
            if (now == values[i]) continue;
            printLine(changeLine(name, values[i], now));
            values[i] = now;
            if (in.changes && ++changes == in.changes) return kExitOk;
        }
    }
    return kExitOk;
}

// watch's names: registers or fields the device can read.
int checkWatchedNames(Invocation &in, const char *topic) {
    const regmap::Map *map = deviceMap(in.mapFiles);
    if (!map) return kExitUsage;
    for (const char *word : in.words) {
        regmap::Name name;
        std::string hint;
        switch (regmap::findName(*map, word, name, hint)) {
        case regmap::Lookup::Found: break;
        case regmap::Lookup::Ambiguous: return usageError(topic, "'%s' is ambiguous: %s", word, hint.c_str());
        case regmap::Lookup::Unknown:
            if (hint.empty()) return usageError(topic, "unknown register '%s'", word);
            return usageError(topic, "unknown register '%s' (did you mean %s?)", word, hint.c_str());
        }
        const std::string text = name.text();
        if (name.block->space == regmap::Space::I2c)
            return usageError(topic, "%s is a register of an I2C device, which watch does not poll",
                              text.c_str());
        if (name.reg->access == regmap::Access::WriteOnly)
            return usageError(topic, "%s is write-only", text.c_str());
        in.watched.push_back(name);
    }
    return kExitOk;
}
