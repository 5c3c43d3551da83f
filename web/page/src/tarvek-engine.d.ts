// The engine module built from the C++ sources (an emscripten ES module factory).
declare module "tarvek-engine" {
  export default function createTarvekEngine(options?: Record<string, unknown>): Promise<any>;
}
