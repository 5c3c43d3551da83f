// Runs a script of engine requests through the WebAssembly driver in node, as
// driver_script does through the native one: a line "put PATH" puts that file's
// bytes, every other line is a request, and each response is written on a line.
//
//   node driver_script.js ENGINE_MODULE SCRIPT
'use strict';
const fs = require('fs');
const path = require('path');

const [modulePath, scriptPath] = process.argv.slice(2);
require(path.resolve(modulePath))().then((engine) => {
    const request = engine.cwrap('tarvek_request', 'string', ['string']);
    const put = (bytes) => {
        const address = engine._malloc(Math.max(bytes.length, 1));
        engine.HEAPU8.set(bytes, address);
        engine._tarvek_put_file(address, bytes.length);
        engine._free(address);
    };
    for (const line of fs.readFileSync(scriptPath, 'utf8').split('\n')) {
        if (line.startsWith('put ')) {
            put(fs.readFileSync(line.slice(4)));
        } else if (line !== '') {
            process.stdout.write(request(line) + '\n');
        }
    }
});
