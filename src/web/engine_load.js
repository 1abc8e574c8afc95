// Instantiates the embedded WebAssembly from its bytes (prepended to the module's factory).
// The loader would otherwise fetch() the embedded data: address, which a page's content
// security policy may forbid and node's fetch() does not take; no request is made at all.
Module["instantiateWasm"] = function (imports, receiveInstance) {
    WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(
        function (result) { receiveInstance(result.instance, result.module); },
        function (error) { abort(error); });
    return {};
};
