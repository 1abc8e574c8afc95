#pragma once
// A small PIC program runner that counts the instruction cycles of a routine's text, written
// apart from the engine's cost formulas: it reads the lines, loads the counts the text loads and
// steps the instructions with the core's timing table (one cycle each; two for GOTO, CALL, BRA,
// RETURN and RETLW; a DECFSZ that skips takes one more cycle per word it skips).
//
// It knows the few instructions delay routines use: MOVLW D'n', MOVWF f, DECFSZ f[,1], GOTO, BRA,
// NOP, CLRWDT, RETURN and RETLW, jumps to a label or to $+n; on PIC18 an access bit ",0" may
// follow the file register. A line with one word that is no mnemonic is a label; lines starting
// with ';' are comments. Registers and W start at zero unless given. It also measures how long
// the watchdog goes without a CLRWDT (one cycle, like NOP).

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "delay/routine.h"

namespace kavrin::reference
{
struct CycleCount
{
    std::string error;             ///< empty when the text ran to its end or its return
    std::int64_t cycles = 0;       ///< from the first instruction to the end or the return's end
    std::int32_t instructions = 0; ///< instruction lines (every one of them one word here)
    std::vector<int> loaded;       ///< the values of the MOVLW lines, in text order
    std::map<std::string, int> registers;  ///< file registers at the end
    std::int64_t clears = 0;               ///< CLRWDTs executed
    std::int64_t firstClearEnd = 0;        ///< cycles from the start to the end of the first one
    std::int64_t lastClearEnd = 0;         ///< cycles from the start to the end of the last one
    std::int64_t longestBetweenClears = 0; ///< longest from the end of one to the end of the next
};

/// The longest run of cycles without a CLRWDT, from `before` cycles ahead of the counted text
/// (the CALL) to its end, one CLRWDT's end to the next one's end: what a watchdog sees when it
/// was cleared just before them.
inline std::int64_t LongestUncleared(const CycleCount& count, std::int64_t before)
{
    if (count.clears == 0)
        return before + count.cycles;
    return std::max({before + count.firstClearEnd, count.longestBetweenClears,
                     count.cycles - count.lastClearEnd});
}

namespace detail
{
enum class Op
{
    Movlw,
    Movwf,
    Decfsz,
    Jump,
    Nop,
    Clear,
    Return,
};

struct Instruction
{
    Op op = Op::Nop;
    int cycles = 1;
    int words = 1;
    int value = 0;           // MOVLW literal
    int reg = -1;            // MOVWF/DECFSZ register index
    std::string target;      // jump: label, or empty for a relative jump
    int offset = 0;          // jump: $+offset in address units
    std::size_t address = 0; // in address units
    std::size_t jumpTo = 0;  // resolved instruction index
};

inline std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

/// The text read into instructions, ready to be run any number of times.
struct Program
{
    std::string error; ///< empty when every line was understood
    std::vector<Instruction> instructions;
    std::vector<std::string> registerNames;
    std::vector<int> loaded; ///< the values of the MOVLW lines, in text order
    /// For each instruction, where a run of instructions that only spend cycles (NOP, a jump to
    /// the next instruction) starting there ends, and the cycles it takes.
    std::vector<std::size_t> runEnd;
    std::vector<std::int64_t> runCycles;
};

inline bool ParseLiteral(std::string_view text, int& value)
{
    // D'n' or a plain decimal number.
    if (text.size() >= 3 && (text[0] == 'D' || text[0] == 'd') && text[1] == '\'' &&
        text.back() == '\'')
        text = text.substr(2, text.size() - 3);
    if (text.empty() || text.size() > 4)
        return false;
    value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

/// Splits a file-register operand "f[,d][,a]": the register name, and false when the destination
/// is not the file register or, on PIC18, the access bit names a bank.
inline bool ParseFileOperand(std::string_view operand, bool hasDestination, PicCore core,
                             std::string& name)
{
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;)
    {
        const std::size_t comma = operand.find(',', start);
        fields.push_back(operand.substr(start, comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    name = std::string(fields[0]);
    std::size_t next = 1;
    if (hasDestination && next < fields.size() && fields[next] == "1")
        ++next;
    if (core == PicCore::Pic18 && next < fields.size() && fields[next] == "0")
        ++next;
    return next == fields.size();
}

/// Reads `text` as a program for `core`.
inline Program Parse(std::string_view text, PicCore core)
{
    Program result;
    // PIC18 program addresses count bytes, the other cores words; GOTO and CALL take two words
    // on PIC18.
    const std::size_t unit = core == PicCore::Pic18 ? 2 : 1;
    std::vector<Instruction>& program = result.instructions;
    std::map<std::string, std::size_t> labels; // label -> instruction index
    std::vector<std::string>& registerNames = result.registerNames;
    std::size_t address = 0;
    auto registerIndex = [&](std::string name)
    {
        for (std::size_t i = 0; i < registerNames.size(); ++i)
            if (registerNames[i] == name)
                return static_cast<int>(i);
        registerNames.push_back(std::move(name));
        return static_cast<int>(registerNames.size() - 1);
    };

    for (std::size_t start = 0; start < text.size();)
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.front() == '\t' || line.front() == ' '))
            line.remove_prefix(1);
        if (line.empty() || line.front() == ';')
            continue;
        const std::size_t tab = line.find('\t');
        const std::string mnemonic = Upper(line.substr(0, tab));
        const std::string_view operand =
            tab == std::string_view::npos ? std::string_view{} : line.substr(tab + 1);

        Instruction in;
        std::string reg;
        if (mnemonic == "MOVLW")
        {
            in.op = Op::Movlw;
            if (!ParseLiteral(operand, in.value))
                return result.error = "bad literal: " + std::string(line), result;
            result.loaded.push_back(in.value);
        }
        else if (mnemonic == "MOVWF")
        {
            in.op = Op::Movwf;
            if (!ParseFileOperand(operand, false, core, reg))
                return result.error = "bad operand: " + std::string(line), result;
            in.reg = registerIndex(reg);
        }
        else if (mnemonic == "DECFSZ")
        {
            in.op = Op::Decfsz;
            if (!ParseFileOperand(operand, true, core, reg))
                return result.error = "DECFSZ into W or a bank: " + std::string(line), result;
            in.reg = registerIndex(reg);
        }
        else if (mnemonic == "GOTO" || mnemonic == "BRA")
        {
            in.op = Op::Jump;
            in.cycles = 2;
            in.words = mnemonic == "GOTO" && core == PicCore::Pic18 ? 2 : 1;
            if (mnemonic == "BRA" && core != PicCore::Pic18)
                return result.error = "BRA is not a baseline or midrange instruction", result;
            if (operand.substr(0, 2) == "$+")
            {
                if (!ParseLiteral(operand.substr(2), in.offset))
                    return result.error = "bad offset: " + std::string(line), result;
            }
            else
                in.target = std::string(operand);
        }
        else if (mnemonic == "NOP" && operand.empty())
            in.op = Op::Nop;
        else if (mnemonic == "CLRWDT" && operand.empty())
            in.op = Op::Clear;
        else if ((mnemonic == "RETURN" && operand.empty()) || mnemonic == "RETLW")
        {
            if ((mnemonic == "RETURN") == (core == PicCore::Baseline))
                return result.error = mnemonic + " on this core", result;
            in.op = Op::Return;
            in.cycles = 2;
        }
        else if (tab == std::string_view::npos)
        {
            labels[std::string(line)] = program.size();
            continue;
        }
        else
            return result.error = "unknown line: " + std::string(line), result;
        in.address = address;
        address += in.words * unit;
        program.push_back(in);
    }

    // Resolve the jumps: a label, or an address that must be the start of an instruction.
    for (Instruction& in : program)
    {
        if (in.op != Op::Jump)
            continue;
        if (!in.target.empty())
        {
            const auto label = labels.find(in.target);
            if (label == labels.end())
                return result.error = "no label " + in.target, result;
            in.jumpTo = label->second;
            continue;
        }
        // Addresses grow with the index: search them in halves.
        const std::size_t to = in.address + static_cast<std::size_t>(in.offset);
        const auto at = std::lower_bound(program.begin(), program.end(), to,
                                         [](const Instruction& i, std::size_t address)
                                         { return i.address < address; });
        in.jumpTo = program.size() + 1; // nowhere, unless an instruction starts there
        if (at != program.end() ? at->address == to : to == address)
            in.jumpTo = static_cast<std::size_t>(at - program.begin());
        if (in.jumpTo > program.size())
            return result.error = "jump into the middle of an instruction", result;
    }

    result.runEnd.resize(program.size());
    result.runCycles.resize(program.size());
    for (std::size_t i = program.size(); i-- > 0;)
    {
        const Instruction& in = program[i];
        const bool idle = in.op == Op::Nop || (in.op == Op::Jump && in.jumpTo == i + 1);
        const bool more = idle && i + 1 < program.size();
        result.runEnd[i] = !idle ? i : more ? result.runEnd[i + 1] : i + 1;
        result.runCycles[i] = !idle ? 0 : in.cycles + (more ? result.runCycles[i + 1] : 0);
    }
    return result;
}

/// Runs `program` and counts its cycles. `registers` gives file registers, and W under the name
/// "W", their values at the start.
///
/// With `fastForward`, a two-line countdown ("L: DECFSZ f / jump L") runs in one step, from the
/// count the register holds (0 counts as 256), and so does every other loop once one pass of it
/// has shown that it repeats: when a backward jump arrives at its target with W and every
/// register as on its previous arrival but for one register f that is one less and not zero,
/// and f was touched only once in between, by a DECFSZ that did not skip, then no instruction
/// of that pass read f but the DECFSZ, so the passes that follow take the same path and cycles
/// until the pass whose DECFSZ reaches zero, which is stepped. Without `fastForward` every pass
/// is stepped. At most `maxSteps` steps are taken.
inline CycleCount Run(const Program& parsed, const std::map<std::string, int>& registers = {},
                      bool fastForward = true, std::int64_t maxSteps = 200'000'000)
{
    CycleCount result;
    result.error = parsed.error;
    result.instructions = static_cast<std::int32_t>(parsed.instructions.size());
    result.loaded = parsed.loaded;
    if (!result.error.empty())
        return result;
    const std::vector<Instruction>& program = parsed.instructions;
    const std::vector<std::string>& registerNames = parsed.registerNames;

    std::vector<int> file(registerNames.size(), 0);
    for (std::size_t i = 0; i < registerNames.size(); ++i)
        if (const auto given = registers.find(registerNames[i]); given != registers.end())
            file[i] = given->second & 0xFF;
    int w = 0;
    if (const auto given = registers.find("W"); given != registers.end())
        w = given->second & 0xFF;

    // Touches of each register so far, and whether the last one was a DECFSZ.
    std::vector<std::int64_t> touches(file.size(), 0);
    std::vector<bool> lastTouchDecfsz(file.size(), false);
    struct Arrival
    {
        std::vector<int> file;
        int w;
        std::int64_t cycles;
        std::vector<std::int64_t> touches;
        std::int64_t clears;
    };
    std::map<std::size_t, Arrival> arrivals; // backward jump -> its last arrival at its target

    // After a backward jump at `from`: skips the passes that repeat the last one, if they do.
    auto repeatPasses = [&](std::size_t from)
    {
        Arrival now{file, w, result.cycles, touches, result.clears};
        const auto last = arrivals.find(from);
        if (last == arrivals.end())
        {
            arrivals.emplace(from, std::move(now));
            return;
        }
        Arrival& before = last->second;
        std::size_t changed = file.size();
        bool repeats = now.w == before.w;
        for (std::size_t r = 0; r < file.size() && repeats; ++r)
        {
            if (now.file[r] == before.file[r])
                continue;
            repeats = changed == file.size() && now.file[r] == ((before.file[r] - 1) & 0xFF) &&
                      now.file[r] != 0 && now.touches[r] == before.touches[r] + 1 &&
                      lastTouchDecfsz[r];
            changed = r;
        }
        if (!repeats || changed == file.size())
        {
            before = std::move(now);
            return;
        }
        const std::int64_t passes = file[changed] - 1; // those whose DECFSZ does not reach zero
        const std::int64_t perPass = now.cycles - before.cycles;
        // The skipped passes clear where the last one did: its last CLRWDT moves with them.
        if (result.clears > 0 && result.lastClearEnd > before.cycles)
        {
            result.lastClearEnd += passes * perPass;
            result.clears += passes * (result.clears - before.clears);
        }
        result.cycles += passes * perPass;
        for (std::size_t r = 0; r < file.size(); ++r)
            touches[r] += passes * (now.touches[r] - before.touches[r]);
        file[changed] = 1;
        arrivals.erase(last);
    };

    std::size_t pc = 0;
    for (std::int64_t steps = 0; pc < program.size(); ++steps)
    {
        if (steps == maxSteps)
            return result.error = "too many steps", result;
        if (parsed.runEnd[pc] != pc)
        {
            result.cycles += parsed.runCycles[pc];
            pc = parsed.runEnd[pc];
            continue;
        }
        const Instruction& in = program[pc];
        switch (in.op)
        {
        case Op::Movlw:
            w = in.value & 0xFF;
            break;
        case Op::Movwf:
        {
            const auto r = static_cast<std::size_t>(in.reg);
            file[r] = w;
            ++touches[r];
            lastTouchDecfsz[r] = false;
            break;
        }
        case Op::Decfsz:
        {
            const auto r = static_cast<std::size_t>(in.reg);
            int& f = file[r];
            ++touches[r];
            lastTouchDecfsz[r] = true;
            const bool hasNext = pc + 1 < program.size();
            const Instruction* next = hasNext ? &program[pc + 1] : nullptr;
            if (fastForward && next && next->op == Op::Jump && next->jumpTo == pc)
            {
                // Every pass but the last: DECFSZ and the jump back; the last: DECFSZ skipping.
                const std::int64_t passes = f == 0 ? 256 : f;
                result.cycles += (passes - 1) * (1 + next->cycles) + 1 + next->words;
                touches[r] += passes - 1;
                f = 0;
                pc += 2;
                continue;
            }
            f = (f - 1) & 0xFF;
            if (f == 0)
            {
                result.cycles += 1 + (next ? next->words : 1);
                pc += 2;
                continue;
            }
            break;
        }
        case Op::Jump:
            result.cycles += in.cycles;
            if (fastForward && in.jumpTo <= pc)
            {
                const std::size_t from = pc;
                pc = in.jumpTo;
                repeatPasses(from);
                continue;
            }
            pc = in.jumpTo;
            continue;
        case Op::Nop:
            break;
        case Op::Clear:
        {
            const std::int64_t end = result.cycles + in.cycles;
            if (result.clears == 0)
                result.firstClearEnd = end;
            else
                result.longestBetweenClears =
                    std::max(result.longestBetweenClears, end - result.lastClearEnd);
            result.lastClearEnd = end;
            ++result.clears;
            break;
        }
        case Op::Return:
            result.cycles += in.cycles;
            pc = program.size();
            continue;
        }
        result.cycles += in.cycles;
        ++pc;
    }
    for (std::size_t i = 0; i < registerNames.size(); ++i)
        result.registers[registerNames[i]] = file[i];
    return result;
}
} // namespace detail

/// Runs `text` on `core` and counts its cycles; `registers` as for `detail::Run`, `fastForward`
/// and `maxSteps` too.
inline CycleCount CountCycles(std::string_view text, PicCore core, bool fastForward = true,
                              const std::map<std::string, int>& registers = {},
                              std::int64_t maxSteps = 200'000'000)
{
    return detail::Run(detail::Parse(text, core), registers, fastForward, maxSteps);
}
} // namespace kavrin::reference
