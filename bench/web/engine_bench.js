#!/usr/bin/env node
// Figures for the WebAssembly engine under node: the size of kavrin-engine.js (raw and gzip),
// the time to create the module, and the time of module.compute() for the worst case (4 MHz,
// 50005.2455 ms, goto filler: 975 664 characters), first call and min/median over repeated
// runs, with the text hand-over (decoding the routine from the module's memory) shown apart.
//
//   node bench/web/engine_bench.js [build-web/engine/kavrin-engine.js] [runs]
"use strict";
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { performance } = require("perf_hooks");

const enginePath = path.resolve(process.argv[2] || "build-web/engine/kavrin-engine.js");
const runs = Number(process.argv[3] || 50);
const worstCase = {
    frequency: "4", delay: "50005.2455", label: "WAIT", counter: "CNT", countCallReturn: false,
    choices: { core: "midrange", filler: "goto", syntax: "classic", "times-w": "0" },
};

function stats(times) {
    const sorted = [...times].sort((a, b) => a - b);
    return `min ${sorted[0].toFixed(2)} ms, median ${sorted[sorted.length >> 1].toFixed(2)} ms`;
}

async function main() {
    const source = fs.readFileSync(enginePath);
    console.log(`kavrin-engine.js: ${source.length} bytes, gzip -9 ${zlib.gzipSync(source, { level: 9 }).length} bytes`);

    let start = performance.now();
    const createKavrinEngine = require(enginePath);
    const engine = await createKavrinEngine();
    console.log(`load and create the module: ${(performance.now() - start).toFixed(1)} ms`);

    start = performance.now();
    const first = engine.compute(worstCase);
    console.log(`worst case, first call: ${(performance.now() - start).toFixed(2)} ms ` +
        `(${first.routine.length} characters, ${first.routine.split("\n").length} lines, ${first.words} words)`);

    // A page that computes the defaults when it opens has its first click on a warm module.
    const warm = await createKavrinEngine();
    warm.compute({ ...worstCase, delay: "10" });
    start = performance.now();
    warm.compute(worstCase);
    console.log(`worst case, first call after one with the defaults: ${(performance.now() - start).toFixed(2)} ms`);

    const whole = [], inside = [], decode = [];
    const decoder = new TextDecoder();
    const bytes = (s) => new TextEncoder().encode(s);
    for (let i = 0; i < runs; ++i) {
        start = performance.now();
        engine.compute(worstCase);
        whole.push(performance.now() - start);

        start = performance.now();
        const raw = engine.computeBytes(bytes("4"), bytes("50005.2455"), bytes("WAIT"), bytes("CNT"),
            false, worstCase.choices);
        inside.push(performance.now() - start);
        start = performance.now();
        decoder.decode(raw.routineBytes);
        decode.push(performance.now() - start);
    }
    console.log(`worst case, compute() over ${runs} runs: ${stats(whole)}`);
    console.log(`  of which the engine in WebAssembly: ${stats(inside)}`);
    console.log(`  and decoding the text: ${stats(decode)}`);
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
