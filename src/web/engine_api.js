// module.compute(request), module.choices() and module.delayCaption(choices): the page's entries
// to the engine (appended to the module's factory).
// The texts go in as UTF-8 bytes encoded here, so that a lone surrogate, which no UTF-8 can
// hold, reaches the name rule as the invalid bytes it stands for and is refused as such; the
// routine comes out as a view on the module's memory, decoded in one step.
(function () {
    var decoder = new TextDecoder("utf-8", { ignoreBOM: true });

    // UTF-8, with each lone surrogate written as the three bytes of its code unit (ED A0 80 ...).
    function bytesOf(text) {
        var bytes = new Uint8Array(text.length * 3);
        var n = 0;
        for (var i = 0; i < text.length; ++i) {
            var c = text.charCodeAt(i);
            if (c >= 0xd800 && c <= 0xdbff && i + 1 < text.length) {
                var low = text.charCodeAt(i + 1);
                if (low >= 0xdc00 && low <= 0xdfff) {
                    c = 0x10000 + ((c - 0xd800) << 10) + (low - 0xdc00);
                    ++i;
                }
            }
            if (c < 0x80) {
                bytes[n++] = c;
            } else if (c < 0x800) {
                bytes[n++] = 0xc0 | (c >> 6);
                bytes[n++] = 0x80 | (c & 0x3f);
            } else if (c < 0x10000) {
                bytes[n++] = 0xe0 | (c >> 12);
                bytes[n++] = 0x80 | ((c >> 6) & 0x3f);
                bytes[n++] = 0x80 | (c & 0x3f);
            } else {
                bytes[n++] = 0xf0 | (c >> 18);
                bytes[n++] = 0x80 | ((c >> 12) & 0x3f);
                bytes[n++] = 0x80 | ((c >> 6) & 0x3f);
                bytes[n++] = 0x80 | (c & 0x3f);
            }
        }
        return bytes.subarray(0, n);
    }

    var texts = ["frequency", "delay", "label", "counter"];

    // The message for choices that are not an object of words (strings) by the table's keys, or
    // null; the engine refuses an unknown key or word.
    function choicesRefused(choices) {
        if (typeof choices !== "object" || choices === null)
            return "request.choices must be an object";
        var key = Object.keys(choices).find(function (k) { return typeof choices[k] !== "string"; });
        return key === undefined ? null : "request.choices[\"" + key + "\"] must be a string";
    }

    // {ok: true, caption} (a message id), the delay field's caption for `choices`.
    Module["delayCaption"] = function (choices) {
        var refused = choicesRefused(choices);
        return refused ? { ok: false, message: refused } : Module["delayCaptionOf"](choices);
    };

    Module["compute"] = function (request) {
        if (typeof request !== "object" || request === null)
            return { ok: false, message: "the request must be an object" };
        for (var i = 0; i < texts.length; ++i)
            if (typeof request[texts[i]] !== "string")
                return { ok: false, message: "request." + texts[i] + " must be a string" };
        if (typeof request.countCallReturn !== "boolean")
            return { ok: false, message: "request.countCallReturn must be true or false" };
        var refused = choicesRefused(request.choices);
        if (refused)
            return { ok: false, message: refused };
        var result = Module["computeBytes"](bytesOf(request.frequency), bytesOf(request.delay),
            bytesOf(request.label), bytesOf(request.counter), request.countCallReturn,
            request.choices);
        if (!result.ok)
            return result;
        return {
            ok: true,
            routine: decoder.decode(result.routineBytes),
            words: result.words,
            fillerInstructions: result.fillerInstructions,
            loopWords: result.loopWords,
            offersLoopFiller: result.offersLoopFiller,
            loopFiller: result.loopFiller,
            fileExtension: result.fileExtension,
        };
    };
})();
