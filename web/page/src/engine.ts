// Typed requests to the engine running in the Web Worker. Every number the
// page shows comes back from here.

export interface Frame {
  lower: number;
  upper: number;
  range: number;
  populationMean: number;
  plotLeft: number;
  axisY: number;
  axisLength: number;
  stepHeight: number;
  meanLineX: number;
}

export interface IntervalRow {
  left: number;
  right: number;
  shown: boolean;
  missed: boolean;
}

export interface Graph {
  kind: "histogram" | "intervals";
  frame: Frame;
  barUnit: number;
  counts: number[];
  intervals: IntervalRow[];
  options: { colourMissedIntervals: boolean; markFullClasses: boolean };
  labels: { lower: string; middle: string; upper: string; mean: string };
}

export interface Run {
  samplesDrawn: number;
  simulations: number;
  finished: boolean;
  stoppedByBound: boolean;
  correctPercentage: number | null;
  progress: string;
}

export interface DrawnSample {
  number: number;
  estimate: number;
  se: number | null;
  lower: number | null;
  upper: number | null;
  correct: boolean | null;
  class: number;
}

export interface Population {
  description: string;
  units: number;
  variables: number;
  names: string[];
  codes: string[][];
  summary: { name: string; mean: number; sd: number; min: number; max: number }[];
}

export interface TableColumn {
  name: string;
  categorical: boolean;
  labels: number;
  missing: number;
}

type Settings = Record<string, unknown>;

export interface BoxRow {
  variant: string;
  lowerWhisker: number | null;
  lowerQuartile: number | null;
  median: number | null;
  upperQuartile: number | null;
  upperWhisker: number | null;
  outliers: number[];
}

/** The box plots' common scale and the texts under its ends and middle. */
export interface BoxAxis {
  low: number;
  high: number;
  labels: [string, string, string];
}

export interface TextTable {
  columns: string[];
  rows: string[][];
}

export type Opened =
  | { kind: "population"; population: Population }
  | { kind: "table"; rows: number; columns: TableColumn[] };

/** A line of a two-column text table; a spacer line has both empty. */
export interface Labelled {
  label: string;
  value: string;
}

export interface Configured {
  settings: Settings;
  caption: Labelled[];
}

export interface Statistics {
  title: string;
  rows: Labelled[];
}

export interface Lesson {
  population: string;
  columns: string[];
  dropMissing: boolean;
  arguments: string[];
  /** The view switches the page applies itself. */
  switches: { slowMotion: boolean; fitScale: boolean };
}

export interface Comparison {
  result: { runs?: { population_mean?: number }[] } & Record<string, unknown>;
  boxes: BoxRow[];
  axis: BoxAxis;
  table: TextTable & { text: string };
  /** Why some designs stopped early, or null. */
  message: string | null;
}

/** The engine's own refusal: its message is the program's text. */
export class EngineError extends Error {}

interface Reply {
  id: number;
  response: { ok: boolean; message?: string } & Record<string, unknown>;
}

export class Engine {
  private nextId = 1;
  private pending = new Map<number, { resolve: (r: Reply["response"]) => void; reject: (e: Error) => void }>();

  constructor(private worker: Worker) {
    worker.onmessage = (event: MessageEvent<Reply>) => {
      const waiting = this.pending.get(event.data.id);
      this.pending.delete(event.data.id);
      waiting?.resolve(event.data.response);
    };
    worker.onerror = (event) => {
      const error = new Error(event.message || "The engine could not be started.");
      for (const waiting of this.pending.values()) waiting.reject(error);
      this.pending.clear();
    };
  }

  /** Sends one request (with a file's bytes first when given). */
  async request<T>(body: Record<string, unknown>, file?: Uint8Array): Promise<T> {
    const id = this.nextId++;
    const response = await new Promise<Reply["response"]>((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.worker.postMessage({ id, request: JSON.stringify(body), file });
    });
    if (!response.ok) throw new EngineError(response.message ?? "The engine refused the request.");
    return response as unknown as T;
  }

  open(name: string, bytes: Uint8Array) {
    return this.request<Opened>({ op: "open", name }, bytes);
  }
  importColumns(columns: string[], dropMissing: boolean) {
    return this.request<{ population: Population; dropped: number }>({ op: "import", columns, dropMissing });
  }
  /** The import dialog's count of rows left out, for the ticked columns (0-based). */
  missingRows(columns: number[]) {
    return this.request<{ rows: number; text: string }>({ op: "missing_rows", columns }).then((r) => r.text);
  }
  /** The cluster dialog's summary; m and k as the fields hold them. */
  clusterSummary(design: string, variable: number, clusters: string, unitsPerCluster: string, target: number) {
    const request = { op: "cluster_summary", design, variable, clusters, unitsPerCluster, target };
    return this.request<{ rows: Labelled[] }>(request).then((r) => r.rows);
  }
  configure(args: string[]) {
    return this.request<Configured>({ op: "configure", arguments: args });
  }
  lesson(text: string) {
    return this.request<Lesson>({ op: "lesson", text });
  }
  applyLesson(text: string) {
    return this.request<Configured>({ op: "apply_lesson", text });
  }
  /** The session as a lesson file's text; the page's own switches given. */
  saveLesson(slowMotion: boolean, fitScale: boolean) {
    return this.request<{ text: string }>({ op: "save_lesson", slowMotion, fitScale }).then((r) => r.text);
  }
  begin(graph: "histogram" | "intervals", fitScale: boolean) {
    return this.request<{ run: Run; graph: Graph }>({ op: "begin", graph, fitScale });
  }
  next(count: number) {
    return this.request<{ run: Run; graph: Graph; last: DrawnSample[]; message: string | null }>({ op: "next", count });
  }
  statistics() {
    return this.request<Statistics>({ op: "statistics" });
  }
  sample() {
    return this.request<TextTable>({ op: "sample" });
  }
  compare(variants: string, samples: number, intervals: boolean, mcError: boolean) {
    return this.request<Comparison>({ op: "compare", variants, samples, intervals, mcError });
  }
  text(op: "estimates_csv" | "run_json" | "describe" | "write_population") {
    return this.request<{ text: string }>({ op }).then((r) => r.text);
  }
  version() {
    return this.request<{ version: string }>({ op: "version" }).then((r) => r.version);
  }
}
