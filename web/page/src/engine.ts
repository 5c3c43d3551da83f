// Typed requests to the engine running in the Web Worker. Every number the
// page shows comes back from here. The requests' fields and the answers'
// types are generated (protocol.ts) from web/protocol.json, the protocol's one
// declaration, to which the driver's tests hold its answers.
import type { Answers, GraphKind, Requests } from "./protocol";

export type * from "./protocol";
export type Comparison = Answers["compare"];
export type Lesson = Answers["lesson"];
export type PlotStyle = Answers["plot_style"];

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
  async request<Op extends keyof Requests>(op: Op, fields: Requests[Op], file?: Uint8Array): Promise<Answers[Op]> {
    const id = this.nextId++;
    const response = await new Promise<Reply["response"]>((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.worker.postMessage({ id, request: JSON.stringify({ op, ...fields }), file });
    });
    if (!response.ok) throw new EngineError(response.message ?? "The engine refused the request.");
    return response as unknown as Answers[Op];
  }

  open(name: string, bytes: Uint8Array) {
    return this.request("open", { name }, bytes);
  }
  importColumns(columns: string[], dropMissing: boolean) {
    return this.request("import", { columns, dropMissing });
  }
  /** The import dialog's count of rows left out, for the ticked columns (0-based). */
  missingRows(columns: number[]) {
    return this.request("missing_rows", { columns }).then((r) => r.text);
  }
  /** The cluster dialog's summary; m and k as the fields hold them. */
  clusterSummary(design: string, variable: number, clusters: string, unitsPerCluster: string, target: number) {
    return this.request("cluster_summary", { design, variable, clusters, unitsPerCluster, target }).then((r) => r.rows);
  }
  configure(args: string[]) {
    return this.request("configure", { arguments: args });
  }
  lesson(text: string) {
    return this.request("lesson", { text });
  }
  applyLesson(text: string) {
    return this.request("apply_lesson", { text });
  }
  /** The session as a lesson file's text; the page's own switches given. */
  saveLesson(slowMotion: boolean, fitScale: boolean) {
    return this.request("save_lesson", { slowMotion, fitScale }).then((r) => r.text);
  }
  begin(graph: GraphKind, fitScale: boolean) {
    return this.request("begin", { graph, fitScale });
  }
  next(count: number) {
    return this.request("next", { count });
  }
  /** Whether a run of the settings in force is open, and how far it is. */
  runState() {
    return this.request("run_state", {}).then((r) => r.run);
  }
  /** Ends the open run, for a change of the page's own that the next run takes. */
  endRun() {
    return this.request("end_run", {}).then((r) => r.run);
  }
  /** The renderer's colours and the plot frame's place, which the page paints with. */
  plotStyle() {
    return this.request("plot_style", {});
  }
  statistics() {
    return this.request("statistics", {});
  }
  sample() {
    return this.request("sample", {});
  }
  compare(variants: string, samples: number, intervals: boolean, mcError: boolean) {
    return this.request("compare", { variants, samples, intervals, mcError });
  }
  text(op: "estimates_csv" | "run_json" | "describe" | "write_population") {
    return this.request(op, {}).then((r) => r.text);
  }
  version() {
    return this.request("version", {}).then((r) => r.version);
  }
}
