// Hands emscripten's loader the WebAssembly module beside this script as bytes,
// so that it does not fetch() a file path (as it would under node 18 and newer).
Module['wasmBinary'] = require('fs').readFileSync(__filename.replace(/\.js$/, '.wasm'));
