#!/usr/bin/env node
// Runs generated inputs through the WebAssembly engine (module.compute under node) and through
// the native kavrin-cli, and requires the same routine text byte for byte (the program's stdout
// without its final line feed) or the same message (exit code 1, its stderr line).
//
//   node tests/web/compare_engine.js KAVRIN_ENGINE_JS KAVRIN_CLI [COUNT] [SEED]
//
// The inputs are tests/cross/compare_cli.py's (--list): numbers in every form the number rule
// knows, an error at every step of the compute command's order, long and non-ASCII names,
// every core, filler and layout, with and without CALL and RETURN, waiting once or W times
// (--times-w, which must give a routine for every core, filler and layout). Option lists the
// module has no counterpart for (--help, --version, unknown options) are left out; an unknown
// choice word must be refused by both. Below them come cases only a JavaScript string can
// carry: white space the command line of other systems would not pass, and lone surrogates,
// which no UTF-8 holds and which the engine refuses as invalid names, as the program refuses
// invalid bytes. Invalid UTF-8 itself cannot come from a JavaScript string.
"use strict";
const { spawn, spawnSync, execFileSync } = require("child_process");
const readline = require("readline");
const path = require("path");

const [enginePath, cliPath, countText = "2200", seedText = "20261208"] = process.argv.slice(2);
if (!enginePath || !cliPath) {
    console.error("usage: compare_engine.js KAVRIN_ENGINE_JS KAVRIN_CLI [COUNT] [SEED]");
    process.exit(2);
}
const generator = path.join(__dirname, "..", "cross", "compare_cli.py");

const textOptions = {
    "-f": "frequency", "--frequency": "frequency", "-d": "delay", "--delay": "delay",
    "-l": "label", "--label": "label", "-c": "counter", "--counter": "counter",
};
// From the engine's table of choices (module.choices()), which kavrin-cli's options follow:
// the request of kavrin-cli's defaults, and each choice by its option "--KEY".
let defaults = null;
let choiceOptions = null;

/// `request` with the choices of `choices` (words by the table's keys) changed.
const withChoices = (request, choices) => ({ ...request, choices: { ...request.choices, ...choices } });

/// The request for a kavrin-cli argument list and the arguments to run (without --json), or
/// null when the module has no counterpart for it.
function requestOf(args) {
    let request = { ...defaults };
    const cliArgs = [];
    let unknownWord = false;
    for (let i = 0; i < args.length; ++i) {
        const arg = args[i];
        const eq = arg.match(/^(--[a-z-]+)=$/); // "--label=": an empty value
        const name = eq ? eq[1] : arg;
        const row = choiceOptions.get(name);
        if (name in textOptions || (row && !row.flag)) {
            const value = eq ? "" : args[++i];
            if (value === undefined)
                return null;
            if (name in textOptions) {
                request[textOptions[name]] = value;
            } else {
                // The program takes the words in any letter case; the page sends them as listed.
                const word = value.toLowerCase();
                request = withChoices(request, { [row.key]: word });
                unknownWord ||= !row.words.some((w) => w.word === word);
            }
            cliArgs.push(name, value);
        } else if (arg === "--count-call-return") {
            request.countCallReturn = true;
            cliArgs.push(arg);
        } else if (row) {
            request = withChoices(request, { [row.key]: "1" });
            cliArgs.push(arg);
        } else if (arg !== "--json") {
            return null;
        }
    }
    return { request, cliArgs, unknownWord };
}

function runCli(args) {
    const result = spawnSync(cliPath, args, { maxBuffer: 1 << 26 });
    if (result.error)
        throw result.error;
    return { code: result.status, stdout: result.stdout.toString("utf8"), stderr: result.stderr.toString("utf8") };
}

/// Extra cases: white space that the command line of other systems would not pass, and names
/// at the edges of the module's own UTF-8 encoder (two, three and four bytes, surrogate pairs,
/// 255 and 256 bytes).
function jsOnlyCases() {
    const cases = [];
    const pic18Loop = { core: "pic18", filler: "loop" };
    for (const space of ["\n", "\v", "\f", "\r", "\t\n\v\f\r "])
        cases.push({ ...defaults, frequency: space + "4", delay: space + "1e3" });
    cases.push({ ...defaults, delay: "10\n" }, { ...defaults, frequency: "\u2003" + "4" });
    const names = ["\u007F\u0080\u07FF\u0800\uFFFF", "\uFEFFWAIT", "\u{10000}\u{10FFFF}",
        "\u{1F600}".repeat(63) + "abc", "\u{1F600}".repeat(64), "\u0800".repeat(85), "\u0800".repeat(86)];
    for (const name of names)
        cases.push({ ...defaults, label: name }, withChoices({ ...defaults, counter: name }, pic18Loop));
    // The units counter is the counter base followed by "W": at 255 bytes and over.
    cases.push(withChoices({ ...defaults, counter: "C".repeat(255) }, { "times-w": "1" }),
        withChoices({ ...defaults, counter: "\u0800".repeat(85), countCallReturn: true },
            { "times-w": "1" }));
    return cases;
}

/// What the program prints for each request of `jsOnlyCases`: the same arguments.
function cliArgsOf(request) {
    const args = ["-f", request.frequency, "-d", request.delay, "-l", request.label, "-c",
        request.counter];
    if (request.countCallReturn)
        args.push("--count-call-return");
    for (const [option, row] of choiceOptions) {
        const word = request.choices[row.key];
        if (!row.flag)
            args.push(option, word);
        else if (word === "1")
            args.push(option);
    }
    return args;
}

/// Requests the engine must refuse, with its message: choices that are no row or no word of the
/// table, or not an object of words.
const REFUSED = [
    [{ bogus: "x" }, 'unknown choice "bogus"'],
    [{ core: "pic16" }, 'unknown core "pic16" (baseline, midrange or pic18)'],
    [{ core: "Midrange" }, 'unknown core "Midrange" (baseline, midrange or pic18)'],
    [{ "times-w": "yes" }, 'unknown times-w "yes" (0 or 1)'],
    [{ "times-w": true }, 'request.choices["times-w"] must be a string'],
    [null, "request.choices must be an object"],
];

async function main() {
    const createKavrinEngine = require(path.resolve(enginePath));
    const engine = await createKavrinEngine();
    const table = engine.choices();
    choiceOptions = new Map(table.map((row) => ["--" + row.key, row]));
    defaults = {
        frequency: "3.2768", delay: "10", label: "WAIT", counter: "CNT", countCallReturn: false,
        choices: Object.fromEntries(table.map((row) => [row.key, row.defaultWord])),
    };
    const timesW = (request) => request.choices["times-w"] === "1";
    const isLoop = (request) => request.choices.filler === "loop";

    let passed = 0, failed = 0;
    const outcomes = new Map();
    const note = (key) => outcomes.set(key, (outcomes.get(key) || 0) + 1);
    // Every core, filler and layout a routine that waits W times was compared for.
    const timesWRoutines = new Set();
    const loopWordsChecks = [];
    const report = (request, why, engineSide, cliSide) => {
        if (++failed <= 10) {
            console.log(`DIFFERENT (${why}): ${JSON.stringify(request)}`);
            console.log(`  engine: ${JSON.stringify(engineSide).slice(0, 300)}`);
            console.log(`  kavrin-cli: ${JSON.stringify(cliSide).slice(0, 300)}`);
        }
    };
    // With --json the program prints one object whose "routine" is the text and "words" its size;
    // the module's words with the loop filler and the filler's words are checked there.
    const compare = (c, cli, json = false) => {
        const result = engine.compute(c.request);
        if (timesW(c.request) && !c.unknownWord && cli.code === 0)
            timesWRoutines.add(`${c.request.choices.core} ${c.request.choices.filler} ${c.request.choices.syntax}`);
        if (c.unknownWord) {
            note("unknown choice word");
            if (cli.code === 2 && !result.ok && result.message)
                ++passed;
            else
                report(c.request, "unknown word", result, cli.code);
        } else if (cli.code === 0 && json) {
            note("routine (--json)");
            const plan = JSON.parse(cli.stdout);
            // The filler's words: what the routine's words leave after each loop level's MOVLW,
            // MOVWF, DECFSZ and jump, the return, and waiting W times the units loop (3 words, 5
            // with the tail that counts CALL and RETURN); clearing the watchdog, the innermost
            // loop's CLRWDT and the tail's.
            const tail = timesW(c.request) && c.request.countCallReturn;
            const unitWords = timesW(c.request) ? (tail ? 5 : 3) : 0;
            const clearWords = plan.watchdog ? (plan.levels > 0 ? 1 : 0) + (tail ? 1 : 0) : 0;
            const filler = plan.words - 4 * plan.levels - 1 - unitWords - clearWords;
            if (result.ok && plan.routine === result.routine && plan.words === result.words &&
                filler === result.fillerInstructions &&
                result.offersLoopFiller === (!isLoop(c.request) && filler > 12) &&
                (!isLoop(c.request) || result.loopWords === plan.words)) {
                ++passed;
                // The program's words with the loop filler, asked once the generator is done
                // (a program run here would hold up reading its output).
                if (!isLoop(c.request))
                    loopWordsChecks.push({ request: c.request, loopWords: result.loopWords });
            } else {
                report(c.request, "routine or words",
                    [result.words, result.loopWords, result.fillerInstructions,
                        result.offersLoopFiller, result.routine],
                    [plan.words, filler, plan.routine]);
            }
        } else if (cli.code === 0) {
            note("routine");
            if (result.ok && cli.stdout === result.routine + "\n" && cli.stderr === "")
                ++passed;
            else
                report(c.request, "routine", result, cli.stdout);
        } else if (cli.code === 1) {
            note(cli.stderr.trimEnd());
            if (!result.ok && cli.stderr === result.message + "\n" && cli.stdout === "")
                ++passed;
            else
                report(c.request, "message", result, cli.stderr);
        } else {
            report(c.request, `kavrin-cli exit code ${cli.code}`, result, cli.stderr);
        }
    };

    // The generator runs kavrin-cli itself (two at a time) and streams each input with its
    // results; a lone program start costs more from node than from Python. Its first line says
    // how many inputs follow.
    const generatorRun = spawn("python3", [generator, "--list", "--seed", seedText, "--count", countText, cliPath],
        { stdio: ["ignore", "pipe", "inherit"] });
    const generatorEnd = new Promise((resolve) => generatorRun.on("close", resolve));
    const lines = readline.createInterface({ input: generatorRun.stdout, crlfDelay: Infinity });
    let lineNumber = 0, inputsListed = null, inputsRead = 0;
    try {
        for await (const line of lines) {
            const listed = parseListed(line, ++lineNumber);
            if (lineNumber === 1) {
                inputsListed = listed.inputs;
                continue;
            }
            ++inputsRead;
            const c = requestOf(listed.args);
            if (!c)
                continue;
            compare(c, listed, listed.args.includes("--json"));
        }
    } catch (error) {
        generatorRun.kill();
        throw error;
    }
    const generatorCode = await generatorEnd;
    if (generatorCode !== 0)
        throw new Error(`compare_cli.py --list failed with exit code ${generatorCode}`);
    if (inputsRead !== inputsListed)
        throw new Error(`compare_cli.py --list listed ${inputsListed} inputs, ${inputsRead} arrived`);

    for (const request of jsOnlyCases())
        compare({ request, unknownWord: false }, runCli(cliArgsOf(request)));

    for (const { request, loopWords } of loopWordsChecks) {
        const loopRequest = withChoices(request, { filler: "loop" });
        const words = JSON.parse(runCli([...cliArgsOf(loopRequest), "--json"]).stdout).words;
        note("words with the loop filler");
        if (loopWords === words)
            ++passed;
        else
            report(request, "words with the loop filler", loopWords, words);
    }

    // Lone surrogates: the engine refuses them as the program refuses bytes that are not UTF-8.
    for (const [field, option] of [["label", "-l"], ["counter", "-c"]]) {
        const expected = invalidNameMessage(option);
        for (const name of ["\uD800", "A\uDC00B", "\uDBFF", "\u017D\uD83D"]) {
            const result = engine.compute({ ...defaults, [field]: name });
            note("lone surrogate");
            if (!result.ok && result.message === expected)
                ++passed;
            else
                report({ [field]: name }, "lone surrogate", result, expected);
        }
    }

    for (const [choices, expected] of REFUSED) {
        const result = engine.compute({ ...defaults, choices });
        note("refused choices");
        if (!result.ok && result.message === expected)
            ++passed;
        else
            report({ choices }, "refused choices", result, expected);
    }

    for (const [what, n] of [...outcomes].sort((a, b) => b[1] - a[1]))
        console.log(`${String(n).padStart(6)} x ${what}`);
    console.log(`${String(timesWRoutines.size).padStart(6)} of 12 core, filler and layout ` +
        "combinations with a --times-w routine");
    if (timesWRoutines.size !== 12) {
        console.log("MISSING: a --times-w routine for some core, filler and layout");
        ++failed;
    }
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed || !passed ? 1 : 0);
}

/// One line of the generator's listing: {"inputs": N} on line 1, an input with its results
/// after it. A line that does not parse stops the comparison, naming the input when its
/// "args" at the start of the line are whole.
function parseListed(line, lineNumber) {
    let listed;
    try {
        listed = JSON.parse(line);
    } catch (error) {
        throw new Error(`compare_cli.py --list, line ${lineNumber} (${line.length} characters) ` +
            `does not parse: ${error.message}; the input's options: ${argsAtStart(line)}`);
    }
    const wanted = lineNumber === 1 ? Number.isInteger(listed?.inputs) : Array.isArray(listed?.args);
    if (!wanted)
        throw new Error(`compare_cli.py --list, line ${lineNumber} is not ` +
            (lineNumber === 1 ? 'the number of inputs: ' : 'an input: ') + line.slice(0, 300));
    return listed;
}

/// The "args" array that a listing line begins with, as JSON, even when the rest of the line is
/// broken: the shortest start that parses as an array, ending at one of its "]".
function argsAtStart(line) {
    const start = '{"args": ';
    if (!line.startsWith(start))
        return "unknown, the line does not begin with them";
    for (let end = line.indexOf("]", start.length); end !== -1; end = line.indexOf("]", end + 1)) {
        try {
            return JSON.stringify(JSON.parse(line.slice(start.length, end + 1)));
        } catch {
            // a "]" inside a string: the array goes on
        }
    }
    return "unknown, the line breaks off inside them";
}

/// The program's message for a name that is one byte 0xFF, which node cannot pass as an
/// argument itself: a shell's printf writes it.
function invalidNameMessage(option) {
    const out = execFileSync("sh", ["-c", `"$0" ${option} "$(printf '\\377')" 2>&1; true`, cliPath]);
    return out.toString("utf8").replace(/\n$/, "");
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
