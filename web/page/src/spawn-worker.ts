// The engine's worker as a file of its own beside the page.
import EngineWorker from "./worker?worker";

export const spawnEngineWorker = () => new EngineWorker();
