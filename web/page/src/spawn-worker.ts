// The engine's worker, a module of its own (inlined as a data URL by the
// single-file build: Chromium refuses module workers from blob URLs on file://).
export const spawnEngineWorker = () => new Worker(new URL("./worker.ts", import.meta.url), { type: "module" });
