#include "assembler_names.h"

#include <cstddef>

#include "shape.h"

namespace kavrin
{
namespace
{
// The reserved words, in capitals; a name is compared in any letter case. A word ending in "#"
// stands for that word followed by one or more digits.

// The instructions of every 8-bit PIC core, from the instruction set summaries of the cores'
// data sheets. Both assemblers take every core's mnemonics, whatever part they build for, and so
// a name must not be one of any core.
constexpr std::string_view PicInstructions[] = {
    // Baseline (12-bit) and midrange (14-bit).
    "ADDLW", "ADDWF", "ANDLW", "ANDWF", "BCF", "BSF", "BTFSC", "BTFSS", "CALL", "CLRF", "CLRW",
    "CLRWDT", "COMF", "DECF", "DECFSZ", "GOTO", "INCF", "INCFSZ", "IORLW", "IORWF", "MOVF", "MOVLW",
    "MOVWF", "NOP", "OPTION", "RETFIE", "RETLW", "RETURN", "RLF", "RRF", "SLEEP", "SUBLW", "SUBWF",
    "SWAPF", "TRIS", "XORLW", "XORWF",
    // Enhanced midrange, and the enhanced baseline's MOVLB.
    "ADDFSR", "ADDWFC", "ASRF", "BRA", "BRW", "CALLW", "LSLF", "LSRF", "MOVIW", "MOVLB", "MOVLP",
    "MOVWI", "RESET", "SUBWFB",
    // PIC18.
    "BC", "BN", "BNC", "BNN", "BNOV", "BNZ", "BOV", "BTG", "BZ", "CPFSEQ", "CPFSGT", "CPFSLT",
    "DAW", "DCFSNZ", "INFSNZ", "LFSR", "MOVFF", "MULLW", "MULWF", "NEGF", "POP", "PUSH", "RCALL",
    "RLCF", "RLNCF", "RRCF", "RRNCF", "SETF", "SUBFWB", "TBLRD", "TBLWT", "TSTFSZ",
    // PIC18's extended instructions.
    "ADDULNK", "MOVSF", "MOVSS", "PUSHL", "SUBFSR", "SUBULNK"};

// Each assembler's own words.
constexpr std::string_view GpasmWords[] = {
    // MPASM's special instruction mnemonics, which gpasm takes (gputils manual, 2.4 Instructions).
    "ADDCF", "ADDDCF", "B", "BDC", "BNDC", "CLRC", "CLRDC", "CLRZ", "LCALL", "LGOTO", "MOVFW",
    "SETC", "SETDC", "SETZ", "SKPC", "SKPDC", "SKPNC", "SKPNDC", "SKPNZ", "SKPZ", "SUBCF", "SUBDCF",
    "TSTF",
    // More mnemonics gpasm 1.4.0 takes as instructions, for PIC18 or every core (found by
    // assembling a label of each name that gpasm's program file holds).
    "CLRN", "CLROV", "HALT", "SETN", "SETOV", "SKPN", "SKPNN", "SKPNOV", "SKPOV", "TGDC", "TGOV",
    "TRAP", "TRET",
    // Directives (gputils manual, 2.3.7 Directive summary, and those gpasm 1.4.0 takes besides,
    // found as above: BCDIRECT); those that begin with two underscores are refused by the rule
    // below.
    "ACCESS_OVR", "BANKISEL", "BANKSEL", "BCDIRECT", "CBLOCK", "CODE", "CODE_PACK", "CONFIG",
    "CONSTANT", "DA", "DATA", "DB", "DE", "DT", "DTM", "DW", "ELSE", "END", "ENDC", "ENDIF", "ENDM",
    "ENDW", "EQU", "ERROR", "ERRORLEVEL", "EXITM", "EXPAND", "EXTERN", "FILL", "GLOBAL", "IDATA",
    "IDATA_ACS", "IDLOCS", "IF", "IFDEF", "IFNDEF", "INCLUDE", "LIST", "LOCAL", "MACRO", "MESSG",
    "NOEXPAND", "NOLIST", "ORG", "PAGE", "PAGESEL", "PAGESELW", "PROCESSOR", "RADIX", "RES", "SET",
    "SPACE", "SUBTITLE", "TITLE", "UDATA", "UDATA_ACS", "UDATA_OVR", "UDATA_SHR", "VARIABLE",
    "WHILE",
    // Operators written as words (gputils manual, 2.2.2 Expressions).
    "HIGH", "LOW", "UPPER",
    // Names every processor include of gputils defines (/usr/share/gputils/header/p*.inc),
    // which a program that includes the routine includes too: the destination W and the STATUS
    // bits and register every core has; the destination F of the 12- and 14-bit cores; the
    // access and shadow operands of PIC18.
    "W", "C", "DC", "Z", "PCL", "NOT_PD", "NOT_TO", "F", "A", "ACCESS", "BANKED", "FAST"};

constexpr std::string_view PicAsWords[] = {
    // Its long jump and call (MPLAB XC8 PIC Assembler User's Guide, 4.1.7 Long Jumps And Calls).
    "FCALL", "LJMP",
    // Destination and access operands (4.1.1 Destination And Access Operands).
    "W", "F", "A", "B",
    // Directives (4.9 Assembler Directives).
    "ALIGN", "ASMOPT", "BANKISEL", "BANKSEL", "CALLSTACK", "COND", "CONFIG", "DABS", "DB", "DDW",
    "DEBUG_SOURCE", "DLABS", "DQW", "DS", "DW", "ELSE", "ELSIF", "END", "ENDIF", "ENDM", "EQU",
    "ERROR", "ERRORLEVEL", "EXPAND", "EXTRN", "FILE", "FNADDR", "FNARG", "FNBREAK", "FNCALL",
    "FNCONF", "FNINDIR", "FNROOT", "FNSIZE", "GLOBAL", "IF", "INCLUDE", "IRP", "IRPC", "LIST",
    "LOCAL", "MACRO", "MESSG", "NOCOND", "NOEXPAND", "NOLIST", "ORG", "PAGE", "PAGELEN", "PAGESEL",
    "PAGEWIDTH", "PROCESSOR", "PSECT", "RADIX", "REPT", "SET", "SIGNAT", "SPACE", "SUBTITLE",
    "TITLE",
    // Directive argument tokens: of ASMOPT (4.9.2 Asmopt Directive: on, off, push, pop),
    // DEBUG_SOURCE (4.9.11 Debug Source Directive: C, asm, push, pop), RADIX (dec, hex, oct) and
    // the optim flag of PSECT (empty, inline, jump, merge, pa, peep, remove, split); PUSH and POP
    // are PIC18 instructions too.
    "OFF", "ON", "C", "ASM", "DEC", "HEX", "OCT", "EMPTY", "JUMP", "PA", "PEEP", "REMOVE",
    // Psect flags (4.9 Psect Directive); GLOBAL, LOCAL and SPACE are directives too.
    "ABS", "BIT", "CLASS", "DELTA", "INLINE", "KEEP", "LIMIT", "LOWDATA", "MERGE", "NOEXEC",
    "OPTIM", "OVRLD", "PURE", "RELOC", "SIZE", "SPLIT", "WITH",
    // Operators written as words (4.6 Identifiers, 4.7 Expressions and Operators).
    "AND", "EQ", "GE", "GT", "HIGH", "HIGHWORD", "LE", "LOW", "LT", "MOD", "NE", "NOT", "NUL",
    "ROL", "ROR", "SHL", "SHR",
    // What <xc.inc> defines, which the layout includes: the macros BANKMASK and PAGEMASK, and
    // the psects it provides (5.2 Assembler-provided Psects), since the routine's code psect
    // takes the name of its label.
    "BANKMASK", "PAGEMASK", "CODE", "DATA", "EDATA", "UDATA", "UDATA_ACS", "UDATA_BANK#",
    "UDATA_SHR"};

/// The rules of one assembler.
struct AssemblerRules
{
    /// Characters besides the letters that may begin an identifier.
    std::string_view firstCharacters;
    /// Characters besides letters and digits that may follow.
    std::string_view otherCharacters;
    /// Reserved words besides the instructions.
    const std::string_view* words;
    std::size_t wordCount;
    /// A prefix the assembler keeps for its own names, or empty.
    std::string_view reservedPrefix;
    /// The longest label, or 0 for any length.
    std::size_t maxLabel;
};

// gpasm follows MPASM: a letter or "_" first, then letters, digits, "_" and "?". It predefines
// constants whose names begin with two underscores (the processor's, as __16F628A; gputils
// manual, 2.2.6 Predefined constants), as do several of its directives.
constexpr AssemblerRules Gpasm{"_", "_?", GpasmWords, std::size(GpasmWords), "__", GpasmMaxLabel};
// pic-as: a letter, "_" or "?" first, then letters, digits, "$", "?" and "_" (4.6 Identifiers);
// identifiers of any length.
constexpr AssemblerRules PicAs{"_?", "_?$", PicAsWords, std::size(PicAsWords), "", 0};

const AssemblerRules* RulesOf(Assembler assembler)
{
    switch (assembler)
    {
    case Assembler::None:
        return nullptr;
    case Assembler::Gpasm:
        return &Gpasm;
    case Assembler::PicAs:
        return &PicAs;
    }
    return nullptr;
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

/// `name` in any letter case is `word`, whose "#" at the end stands for one or more digits.
bool MatchesWord(std::string_view name, std::string_view word)
{
    const bool digits = !word.empty() && word.back() == '#';
    if (digits)
        word.remove_suffix(1);
    if (name.size() < word.size() + (digits ? 1 : 0) || (!digits && name.size() != word.size()))
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Upper(name[i]) != word[i])
            return false;
    for (std::size_t i = word.size(); i < name.size(); ++i)
        if (!IsDigit(name[i]))
            return false;
    return true;
}

/// True when `match` is true for a reserved word of `rules`, an instruction or one of its own.
template <typename Match> bool AnyWord(const AssemblerRules& rules, Match match)
{
    for (std::string_view word : PicInstructions)
        if (match(word))
            return true;
    for (std::size_t i = 0; i < rules.wordCount; ++i)
        if (match(rules.words[i]))
            return true;
    return false;
}

bool IsReserved(const AssemblerRules& rules, std::string_view name)
{
    if (!rules.reservedPrefix.empty() &&
        name.substr(0, rules.reservedPrefix.size()) == rules.reservedPrefix)
        return true;
    return AnyWord(rules, [name](std::string_view word) { return MatchesWord(name, word); });
}

bool IsIdentifier(const AssemblerRules& rules, std::string_view name)
{
    if (name.empty())
        return false;
    if (!IsLetter(name[0]) && rules.firstCharacters.find(name[0]) == std::string_view::npos)
        return false;
    for (char c : name.substr(1))
        if (!IsLetter(c) && !IsDigit(c) && rules.otherCharacters.find(c) == std::string_view::npos)
            return false;
    return true;
}

/// The suffixes after the label of the names a routine makes of it: `fixed` ones ("" for the
/// label itself) and `numbered` ones, which a number from 1 without a leading zero follows. They
/// are the labels the routine's blocks define and a module's two sections.
struct Suffixes
{
    std::vector<std::string_view> fixed;
    std::vector<std::string_view> numbered;
};

const Suffixes& LabelSuffixes()
{
    static const Suffixes suffixes = []
    {
        Suffixes made{{"", "_DATA", "_CODE"}, {}};
        for (const shape::DefinedLabel& label : shape::DefinedLabels())
            (label.numbered ? made.numbered : made.fixed).push_back(label.suffix);
        return made;
    }();
    return suffixes;
}

/// True when `number` is a number from 1 without a leading zero.
bool IsLabelNumber(std::string_view number)
{
    return !number.empty() && number[0] != '0' &&
           number.find_first_not_of("0123456789") == std::string_view::npos;
}

/// True when a reserved word of `rules` is a label or section made of `label`.
bool MakesReservedLabel(const AssemblerRules& rules, std::string_view label)
{
    for (std::string_view suffix : LabelSuffixes().fixed)
        if (!suffix.empty() && IsReserved(rules, std::string(label) + std::string(suffix)))
            return true;
    // A numbered label: a word that begins with the label and the suffix.
    for (std::string_view suffix : LabelSuffixes().numbered)
    {
        std::string stem;
        for (char c : std::string(label) + std::string(suffix))
            stem += Upper(c);
        const auto begins = [&stem](std::string_view word)
        {
            const bool digits = word.back() == '#';
            if (digits)
                word.remove_suffix(1);
            if (word.substr(0, stem.size()) != stem)
                return false;
            const std::string_view number = word.substr(stem.size());
            return number.empty() ? digits : IsLabelNumber(number); // "#" stands for the number
        };
        if (AnyWord(rules, begins))
            return true;
    }
    return false;
}
} // namespace

Assembler AssemblerOf(RoutineSyntax syntax)
{
    switch (syntax)
    {
    case RoutineSyntax::Classic:
        return Assembler::None;
    case RoutineSyntax::Gputils:
    case RoutineSyntax::Module:
        return Assembler::Gpasm;
    case RoutineSyntax::PicAs:
        return Assembler::PicAs;
    }
    return Assembler::None;
}

bool IsAssemblerIdentifier(Assembler assembler, std::string_view name)
{
    const AssemblerRules* rules = RulesOf(assembler);
    return !rules || IsIdentifier(*rules, name);
}

bool IsReservedWord(Assembler assembler, std::string_view name)
{
    const AssemblerRules* rules = RulesOf(assembler);
    return rules && IsReserved(*rules, name);
}

std::vector<std::string> CounterNames(std::string_view counter, bool unitsCounter)
{
    std::vector<std::string> names;
    for (char level : {'1', '2', '3'})
        names.push_back(std::string(counter) + level);
    if (unitsCounter)
        names.push_back(UnitsCounterName(counter));
    return names;
}

bool IsLabelName(std::string_view name, std::string_view label)
{
    if (name.substr(0, label.size()) != label)
        return false;
    const std::string_view suffix = name.substr(label.size());
    for (std::string_view known : LabelSuffixes().fixed)
        if (suffix == known)
            return true;
    for (std::string_view stem : LabelSuffixes().numbered)
        if (suffix.substr(0, stem.size()) == stem && IsLabelNumber(suffix.substr(stem.size())))
            return true;
    return false;
}

AssemblerNameFault CheckCounterName(Assembler assembler, std::string_view counter,
                                    bool unitsCounter)
{
    const AssemblerRules* rules = RulesOf(assembler);
    if (!rules)
        return AssemblerNameFault::Ok;
    if (!IsIdentifier(*rules, counter))
        return AssemblerNameFault::NotIdentifier;
    if (IsReserved(*rules, counter))
        return AssemblerNameFault::Reserved;
    for (const std::string& name : CounterNames(counter, unitsCounter))
        if (IsReserved(*rules, name))
            return AssemblerNameFault::MakesReserved;
    return AssemblerNameFault::Ok;
}

AssemblerNameFault CheckLabelName(Assembler assembler, std::string_view label,
                                  std::string_view counter)
{
    const AssemblerRules* rules = RulesOf(assembler);
    if (!rules)
        return AssemblerNameFault::Ok;
    if (!IsIdentifier(*rules, label))
        return AssemblerNameFault::NotIdentifier;
    if (rules->maxLabel != 0 && label.size() > rules->maxLabel)
        return AssemblerNameFault::TooLong;
    if (IsReserved(*rules, label))
        return AssemblerNameFault::Reserved;
    if (MakesReservedLabel(*rules, label))
        return AssemblerNameFault::MakesReserved;
    for (const std::string& name : CounterNames(counter))
        if (IsLabelName(name, label))
            return AssemblerNameFault::SameAsCounter;
    return AssemblerNameFault::Ok;
}
} // namespace kavrin
