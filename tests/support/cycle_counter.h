#pragma once
// A small PIC program runner that counts the instruction cycles of a routine's text, written
// apart from the engine's cost formulas: it reads the lines, loads the counts the text loads and
// steps the instructions with the core's timing table (one cycle each; two for GOTO, CALL, BRA,
// RETURN and RETLW; a DECFSZ that skips takes one more cycle per word it skips).
//
// It knows the few instructions delay routines use: MOVLW D'n', MOVWF f, DECFSZ f[,1], GOTO, BRA,
// NOP, RETURN and RETLW, jumps to a label or to $+n. A line with one word that is no mnemonic is
// a label; lines starting with ';' are comments. Registers start at zero unless given.

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
    std::map<std::string, int> registers; ///< file registers at the end
};

namespace detail
{
enum class Op
{
    Movlw,
    Movwf,
    Decfsz,
    Jump,
    Nop,
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
} // namespace detail

/// Runs `text` on `core` and counts its cycles. With `fastForward`, a two-line countdown
/// ("L: DECFSZ f / jump L") runs in one step, from the count the register holds (0 counts as
/// 256); without it every pass is stepped. At most `maxSteps` steps are taken.
inline CycleCount CountCycles(std::string_view text, PicCore core, bool fastForward = true,
                              const std::map<std::string, int>& registers = {},
                              std::int64_t maxSteps = 200'000'000)
{
    using namespace detail;
    CycleCount result;
    // PIC18 program addresses count bytes, the other cores words; GOTO and CALL take two words
    // on PIC18.
    const std::size_t unit = core == PicCore::Pic18 ? 2 : 1;
    std::vector<Instruction> program;
    std::map<std::string, std::size_t> labels; // label -> instruction index
    std::vector<std::string> registerNames;
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
            in.reg = registerIndex(std::string(operand));
        }
        else if (mnemonic == "DECFSZ")
        {
            in.op = Op::Decfsz;
            std::string_view reg = operand;
            const std::size_t comma = reg.rfind(',');
            if (comma != std::string_view::npos)
            {
                if (reg.substr(comma + 1) != "1")
                    return result.error = "DECFSZ into W: " + std::string(line), result;
                reg = reg.substr(0, comma);
            }
            in.reg = registerIndex(std::string(reg));
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
        ++result.instructions;
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

    std::vector<int> file(registerNames.size(), 0);
    for (std::size_t i = 0; i < registerNames.size(); ++i)
        if (const auto given = registers.find(registerNames[i]); given != registers.end())
            file[i] = given->second;
    int w = 0;
    std::size_t pc = 0;
    for (std::int64_t steps = 0; pc < program.size(); ++steps)
    {
        if (steps == maxSteps)
            return result.error = "too many steps", result;
        const Instruction& in = program[pc];
        switch (in.op)
        {
        case Op::Movlw:
            w = in.value & 0xFF;
            break;
        case Op::Movwf:
            file[static_cast<std::size_t>(in.reg)] = w;
            break;
        case Op::Decfsz:
        {
            int& f = file[static_cast<std::size_t>(in.reg)];
            const bool hasNext = pc + 1 < program.size();
            const Instruction* next = hasNext ? &program[pc + 1] : nullptr;
            if (fastForward && next && next->op == Op::Jump && next->jumpTo == pc)
            {
                // Every pass but the last: DECFSZ and the jump back; the last: DECFSZ skipping.
                const std::int64_t passes = f == 0 ? 256 : f;
                result.cycles += (passes - 1) * (1 + next->cycles) + 1 + next->words;
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
            pc = in.jumpTo;
            continue;
        case Op::Nop:
            break;
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
} // namespace kavrin::reference
