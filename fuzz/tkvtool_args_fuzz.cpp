// tkvtool's command line: each input is split into words at white space and
// parsed as tkvtool's arguments.  What the parser accepts must be safe to
// run: the command set, every address and length inside its space, and
// every I2C register run inside the device's 256 registers.
#include "command_line.h"
#include "invocation.h"

namespace {

void checkAccepted(const Invocation &in) {
    if (!in.command || !in.command->run) __builtin_trap();
    if (in.byteCount > sizeof in.bytes || in.count == 0) __builtin_trap();
    if (in.device > 0x77 || in.channel > 1 || in.port > 3) __builtin_trap();
    if (uint32_t{in.reg} + (in.byteCount ? in.byteCount : in.count) > 0x100 && in.command->group &&
        in.command->operands[2] == Operand::Register)
        __builtin_trap();
    if (!in.space) return;
    if (in.width && !in.space->takes(in.width)) __builtin_trap();
    if (in.address >= in.space->size) __builtin_trap();
    const unsigned word = in.space->wordBytes;
    if (word && in.width && in.address % word + in.width > word) __builtin_trap();
    if (in.command->operands[2] == Operand::Length && uint64_t{in.address} + in.length > in.space->size)
        __builtin_trap();
    const unsigned width = in.width ? in.width : in.space->defaultWidth;
    if (in.command->operands[2] != Operand::Length && in.command->operands[2] != Operand::File &&
        uint64_t{in.address} + uint64_t{in.count} * width > in.space->size)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char program[] = "tkvtool";
    fuzz::CommandLine line;
    if (!line.split(data, size, program)) return -1;
    Invocation invocation;
    int status = 0;
    if (parseArguments(line.argc, line.argv, invocation, status))
        checkAccepted(invocation);
    else if (status != 0 && status != 2)
        __builtin_trap();
    return 0;
}
