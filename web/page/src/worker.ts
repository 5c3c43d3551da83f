// Hosts the engine module: one request in, one JSON response out, in order.
// The engine runs here so that long runs never block the page.
import createTarvekEngine from "tarvek-engine";

interface EngineModule {
  _tarvek_request(json: number): number;
  _tarvek_put_file(bytes: number, length: number): void;
  _malloc(size: number): number;
  _free(pointer: number): void;
  UTF8ToString(pointer: number): string;
  stringToUTF8(text: string, pointer: number, size: number): void;
  lengthBytesUTF8(text: string): number;
  HEAPU8: Uint8Array;
}

const engine: Promise<EngineModule> = createTarvekEngine();

function putFile(module: EngineModule, bytes: Uint8Array) {
  const pointer = module._malloc(Math.max(bytes.length, 1));
  module.HEAPU8.set(bytes, pointer);
  module._tarvek_put_file(pointer, bytes.length);
  module._free(pointer);
}

function request(module: EngineModule, json: string): string {
  const size = module.lengthBytesUTF8(json) + 1;
  const pointer = module._malloc(size);
  module.stringToUTF8(json, pointer, size);
  const reply = module.UTF8ToString(module._tarvek_request(pointer));
  module._free(pointer);
  return reply;
}

// Messages are handled one after the other in arrival order.
let queue = Promise.resolve();
self.onmessage = (event: MessageEvent<{ id: number; request: string; file?: Uint8Array }>) => {
  const { id, request: json, file } = event.data;
  queue = queue.then(async () => {
    try {
      const module = await engine;
      if (file) putFile(module, file);
      self.postMessage({ id, response: JSON.parse(request(module, json)) });
    } catch (error) {
      self.postMessage({ id, response: { ok: false, message: String(error) } });
    }
  });
};
