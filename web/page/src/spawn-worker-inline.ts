// The engine's worker inlined into the page, for the single-file build.
import EngineWorker from "./worker?worker&inline";

export const spawnEngineWorker = () => new EngineWorker();
