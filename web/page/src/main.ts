// The page: population, settings, the run with its graph and statistics, and
// the comparison. Every number shown comes from the engine in the worker.
import "./style.css";
import { Engine, EngineError } from "./engine";
import type { Configured, DrawnSample, Graph, Labelled, Lesson, PlotStyle, Population, Run, TextTable } from "./engine";
import { canvasPainter, paintGraph, svgPainter } from "./plot";
import { argumentsFromForm, clusterSettings, formFromArguments, showRelevantFields, showVariables } from "./settings";
import { showComparison, wireComparisonButtons } from "./comparison";
import { download, tableText, fillTable } from "./tables";
import { showImport, showImportRefusal, showMissingRows, tickedColumns } from "./import-step";
import mu284 from "../../../data/mu284.pop?raw";
import classroom from "../../../data/classroom.pop?raw";
import schools from "../../../data/schools.pop?raw";
import belgium from "../../../data/belgium.pop?raw";

const EXAMPLES: Record<string, string> = {
  "mu284.pop": mu284,
  "classroom.pop": classroom,
  "schools.pop": schools,
  "belgium.pop": belgium,
};

// Slow motion's pace, in samples a second.
const SLOW_RATE = 200;
// Automatic's slices aim at this many milliseconds each, so the page repaints
// and Stop is heard between them.
const SLICE_MS = 30;

const byId = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;
// The engine's worker is a module of its own; the single-file build inlines it
// as a data URL (Chromium refuses module workers from blob URLs on file://).
const engine = new Engine(new Worker(new URL("./worker.ts", import.meta.url), { type: "module" }));

let population: Population | null = null;
let graph: Graph | null = null;
// The renderer's colours and the plot frame's place, asked for once.
let plotStyle: Promise<PlotStyle> | null = null;
const style = () => (plotStyle ??= engine.plotStyle());
let stopRequested = false;
// How Automatic draws now: slowly, at full speed, or not at all.
type Pace = "slow" | "fast" | null;
let pace: Pace = null;
let automaticRun: Promise<void> = Promise.resolve();
// The settings last accepted, without the seed: what a probe of the engine restores.
let acceptedArguments: string[] = [];
let seedChanged = false;
let statisticsTable: TextTable | null = null;
let pendingLesson: (Lesson & { text: string }) | null = null;

function showError(error: unknown) {
  const box = byId("error");
  box.textContent = error instanceof Error ? error.message : String(error);
  box.hidden = false;
  if (!(error instanceof EngineError)) console.error(error);
}

function clearError() {
  byId("error").hidden = true;
}

/** The engine's answer, or its refusal as a value; other failures are thrown. */
async function orRefusal<T>(request: Promise<T>): Promise<T | EngineError> {
  try {
    return await request;
  } catch (error) {
    if (error instanceof EngineError) return error;
    throw error;
  }
}

/** Runs an action; the engine's refusal is shown, not thrown. */
async function guarded(action: () => Promise<void>) {
  try {
    await action();
  } catch (error) {
    showError(error);
  }
}

const graphKind = () =>
  (document.querySelector<HTMLInputElement>('input[name="graph"]:checked')?.value ?? "histogram") as
    | "histogram"
    | "intervals";

// ---- Population ----

async function adoptPopulation(adopted: Population) {
  population = adopted;
  byId("population-description").textContent = `${adopted.description}: ${adopted.units} units, ${adopted.variables} variables`;
  byId("summary").textContent = await engine.text("describe");
  // The settings start afresh for the new population; the seed field keeps the
  // seed in force, which opening a population does not change.
  const seed = byId<HTMLInputElement>("seed").value;
  byId<HTMLFormElement>("settings").reset();
  byId<HTMLInputElement>("seed").value = seed;
  acceptedArguments = [];
  showVariables(adopted);
  byId("import").hidden = true;
  await showClusterSummary();
}

function bytesOf(text: string) {
  return new TextEncoder().encode(text);
}

async function openExample(name: string) {
  const opened = await engine.open(name, bytesOf(EXAMPLES[name]));
  if (opened.kind === "population") await adoptPopulation(opened.population);
}

/** A refused import keeps the step open, its ticks kept and the refusal shown in it. */
async function importTicked() {
  const imported = await orRefusal(engine.importColumns(tickedColumns(), byId<HTMLInputElement>("drop-missing").checked));
  if (imported instanceof EngineError) return showImportRefusal(imported.message);
  await adoptPopulation(imported.population);
  if (imported.dropped > 0) byId("population-description").append(`; ${imported.dropped} rows with a missing value left out`);
  await configure();
}

async function openLesson(text: string) {
  const lesson = await engine.lesson(text);
  pendingLesson = { text, ...lesson };
  // A lesson names its population as a path; an example is known by its file name.
  const example = lesson.population.split(/[\\/]/).pop() ?? "";
  if (EXAMPLES[example]) {
    await openExample(example);
    await finishLesson(pendingLesson);
  } else {
    showError(new Error(`This lesson uses ${lesson.population}: open that file now.`));
  }
}

/** The lesson's file is open: its columns imported (a table's), the lesson applied. */
async function finishLesson(lesson: Lesson & { text: string }) {
  pendingLesson = null;
  if (lesson.columns.length > 0) {
    const imported = await engine.importColumns(lesson.columns, lesson.dropMissing);
    await adoptPopulation(imported.population);
  }
  const applied = await engine.applyLesson(lesson.text);
  const intervals = formFromArguments(lesson.arguments, population!);
  await showClusterSummary();
  byId<HTMLInputElement>("slow").checked = lesson.switches.slowMotion;
  byId<HTMLInputElement>("fit-scale").checked = lesson.switches.fitScale;
  document.querySelector<HTMLInputElement>(`input[name="graph"][value="${intervals ? "intervals" : "histogram"}"]`)!.checked = true;
  showConfigured(applied.caption, applied.settings);
  clearError();
}

async function openFile(file: File) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  if (file.name.toLowerCase().endsWith(".lesson")) {
    await openLesson(new TextDecoder().decode(bytes));
    return;
  }
  const opened = await engine.open(file.name, bytes);
  if (opened.kind === "population") await adoptPopulation(opened.population);
  if (pendingLesson) await finishLesson(pendingLesson);
  else if (opened.kind === "table") await showImport(engine, opened.rows, opened.columns);
  else await configure();
}

// ---- Settings ----

function showConfigured(caption: Labelled[], settings: Record<string, unknown>) {
  fillTable(byId("caption"), { columns: ["", ""], rows: caption.map((line) => [line.label, line.value]) });
  const sizes = settings["allocation_sizes"];
  const allocation = byId("allocation-table");
  allocation.hidden = !Array.isArray(sizes);
  if (Array.isArray(sizes)) {
    allocation.replaceChildren(Object.assign(document.createElement("table"), { id: "allocation-sizes" }));
    fillTable(byId("allocation-sizes"), {
      columns: ["Stratum", "Sample size"],
      rows: sizes.map((size, i) => [String(i + 1), String(size)]),
    });
  }
  clearError();
  clearRefusal();
}

/** A refused setting's message by the settings, the control at fault marked; the form keeps the entry. */
function refuseSetting(message: string, control: Element | null) {
  clearRefusal();
  const box = byId("settings-refusal");
  box.textContent = message;
  box.hidden = false;
  control?.setAttribute("aria-invalid", "true");
}

function clearRefusal() {
  byId("settings-refusal").hidden = true;
  for (const marked of document.querySelectorAll("#settings [aria-invalid]")) marked.removeAttribute("aria-invalid");
}

/** Under a cluster design, the cluster dialog's summary of the settings shown, as they change. */
async function showClusterSummary() {
  const table = byId<HTMLTableElement>("cluster-summary");
  const shown = population ? clusterSettings() : null;
  table.hidden = shown === null;
  if (!shown) return;
  const rows = await engine.clusterSummary(shown.design, shown.variable, shown.clusters, shown.unitsPerCluster, shown.target);
  fillTable(table, { columns: ["", ""], rows: rows.map((row) => [row.label, row.value]) });
}

const formArguments = (withSeed = seedChanged) => argumentsFromForm(graphKind() === "intervals", withSeed);

/** The form's settings, `control` the one just changed: accepted and shown, or refused by the settings. */
async function configure(control: Element | null = null) {
  if (!population) return;
  const list = listToPreselect(control);
  const { answer, culprit } = list
    ? await preselect(list, control)
    : { answer: await orRefusal(engine.configure(formArguments())), culprit: control };
  if (answer instanceof EngineError) return refuseSetting(answer.message, culprit);
  seedChanged = false;
  acceptedArguments = formArguments(false);
  showConfigured(answer.caption, answer.settings);
}

/** The engine's answer to the settings, and the control a refusal is marked on. */
interface SettingsOutcome {
  answer: Configured | EngineError;
  culprit: Element | null;
}

/** The list of variables a design or estimator just chosen needs one of that forms strata. */
function listToPreselect(control: Element | null): HTMLSelectElement | null {
  const chosen = (id: string, value: string) => control?.id === id && byId<HTMLSelectElement>(id).value === value;
  if (chosen("design", "stratified")) return byId<HTMLSelectElement>("design-variable");
  if (chosen("estimator", "poststrat")) return byId<HTMLSelectElement>("auxiliary");
  return null;
}

/**
 * Selects the first of the list's variables the engine accepts, `control`
 * having asked for one. When it accepts none with the form's sample size, the
 * first it accepts with every unit sampled stays selected and the sample size
 * is what is refused; when none at all, the choice of `control` is.
 */
async function preselect(list: HTMLSelectElement, control: Element | null): Promise<SettingsOutcome> {
  const original = list.value;
  const accepted = await firstAccepted(list, () => formArguments());
  if (accepted) return { answer: accepted, culprit: null };
  const everyUnit = () =>
    formArguments(false).map((arg, i, args) => (args[i - 1] === "-n" ? String(population!.units) : arg));
  const formsStrata = acceptedArguments.length > 0 && (await firstAccepted(list, everyUnit));
  // The probe's settings are undone: a refusal changes nothing.
  if (formsStrata) await engine.configure(acceptedArguments);
  else list.value = original;
  return { answer: await orRefusal(engine.configure(formArguments())), culprit: formsStrata ? byId("sample-size") : control };
}

/** Tries the list's variables in order; the first the engine accepts stays selected. */
async function firstAccepted(list: HTMLSelectElement, args: () => string[]): Promise<Configured | null> {
  for (const option of list.options) {
    list.value = option.value;
    const answer = await orRefusal(engine.configure(args()));
    if (!(answer instanceof EngineError)) return answer;
  }
  return null;
}

/** New settings, once the engine accepts them, end its open run: the next key starts a new one. */
function reconfigure(control: Element | null) {
  guarded(() => configure(control));
}

// ---- The run ----

async function drawGraph(g: Graph) {
  graph = g;
  const canvas = byId<HTMLCanvasElement>("plot");
  paintGraph(canvasPainter(canvas.getContext("2d")!), await style(), g);
  canvas.setAttribute(
    "aria-label",
    `Graph of the simulation from ${g.labels.lower} to ${g.labels.upper}, population mean ${g.labels.mean}`,
  );
}

function showProgress(run: Run) {
  const bar = byId("progress");
  bar.setAttribute("aria-valuemax", String(run.simulations));
  bar.setAttribute("aria-valuenow", String(run.samplesDrawn));
  bar.setAttribute("aria-valuetext", run.progress);
  byId("progress-fill").style.width = `${(100 * run.samplesDrawn) / Math.max(run.simulations, 1)}%`;
  byId("progress-text").textContent = run.progress;
}

async function showStatistics() {
  const statistics = await engine.statistics();
  byId("statistics-title").textContent = statistics.title;
  const table: TextTable = { columns: [], rows: statistics.rows.map((r) => [r.label, r.value]) };
  fillTable(byId("statistics"), table);
  statisticsTable = table;
}

/** Whether the engine's run goes on: open, and not finished. */
const goesOnDrawing = (run: Run) => run.open && !run.finished;

/** The engine's run, begun anew when none goes on. */
async function ensureRun(): Promise<Run> {
  const run = await engine.runState();
  if (goesOnDrawing(run)) return run;
  const begun = await engine.begin(graphKind(), byId<HTMLInputElement>("fit-scale").checked);
  await drawGraph(begun.graph);
  showProgress(begun.run);
  return begun.run;
}

/** Draws up to `count` samples and shows them. */
async function draw(count: number) {
  const drawn = await engine.next(count);
  await drawGraph(drawn.graph);
  showProgress(drawn.run);
  if (drawn.message) showError(new EngineError(drawn.message));
  return drawn;
}

/**
 * Disables what must wait while Automatic draws: the settings and the graph's
 * choices (which would end the run), and at full speed every key of the run.
 */
function setPace(next: Pace) {
  pace = next;
  for (const id of ["next", "automatic", "show-statistics"]) byId<HTMLButtonElement>(id).disabled = next === "fast";
  byId<HTMLButtonElement>("stop").disabled = next === null;
  for (const id of ["settings-fields", "graph-fields", "fit-scale"]) {
    byId<HTMLInputElement | HTMLFieldSetElement>(id).disabled = next !== null;
  }
  byId("simulation-section").setAttribute("aria-busy", String(next !== null));
}

/** Whether Automatic goes on drawing `run` at this pace. */
const goesOn = (at: Pace, run: Run) => pace === at && !stopRequested && goesOnDrawing(run);

async function next() {
  await ensureRun();
  const newest = (await draw(1)).last.at(-1);
  byId("last-sample").textContent = newest ? describeSample(newest) : "";
  await showStatistics();
  // The listing, once shown, follows every Next, as the desktop's sample window does.
  if (!byId("sample-listing").hidden) await showSample();
}

/** The sample just drawn, in words, for the live region that screen readers announce. */
function describeSample(sample: DrawnSample): string {
  const interval = sample.lower === null || sample.upper === null ? "" : `, interval ${sample.lower} to ${sample.upper}`;
  return `Sample ${sample.number}: estimate ${sample.estimate}${interval}`;
}

/** Draws in slices sized to take about SLICE_MS each. */
async function drawAll(run: Run) {
  let slice = 200;
  while (goesOn("fast", run)) {
    const started = performance.now();
    run = (await draw(slice)).run;
    const took = performance.now() - started;
    if (took < SLICE_MS / 2) slice = Math.min(slice * 2, 100000);
    else if (took > SLICE_MS * 2) slice = Math.max(Math.floor(slice / 2), 1);
  }
}

const nextFrame = () => new Promise<number>((resolve) => requestAnimationFrame(resolve));

/** Draws SLOW_RATE samples a second, as many each frame as time has come for; the run as left. */
async function drawSlowly(run: Run): Promise<Run> {
  let last = await nextFrame();
  let owed = 1;
  while (goesOn("slow", run)) {
    const count = Math.floor(owed);
    owed -= count;
    if (count > 0) run = (await draw(count)).run;
    const now = await nextFrame();
    owed += ((now - last) / 1000) * SLOW_RATE;
    last = now;
  }
  return run;
}

/**
 * Draws the run's samples, in slow motion when ticked; during slow motion
 * Automatic finishes the run at full speed, as on the desktop.
 */
async function automatic() {
  if (pace === "slow") return setPace("fast");
  if (pace) return;
  stopRequested = false;
  setPace(byId<HTMLInputElement>("slow").checked ? "slow" : "fast");
  automaticRun = drawAutomatically();
  await automaticRun;
}

/** The buttons come back only with the statistics of the samples drawn shown. */
async function drawAutomatically() {
  try {
    const run = await ensureRun();
    await drawAll(pace === "slow" ? await drawSlowly(run) : run);
    await showStatistics();
  } finally {
    setPace(null);
  }
}

/** The table of the samples drawn; slow motion pauses for it, as on the desktop, and Automatic resumes it. */
async function statisticsClicked() {
  if (pace === "slow") {
    stopRequested = true;
    await automaticRun;
  } else {
    await showStatistics();
  }
  byId("statistics").focus();
}

// ---- Saving ----

function savePng() {
  byId<HTMLCanvasElement>("plot").toBlob((blob) => blob && download(blob, "tarvek.png"));
}

async function saveSvg() {
  if (!graph) return;
  const painter = svgPainter(byId<HTMLCanvasElement>("plot").getContext("2d")!);
  const shown = await style();
  paintGraph(painter, shown, graph);
  download(new Blob([painter.document(shown.frame.width, shown.frame.height)], { type: "image/svg+xml" }), "tarvek.svg");
}

async function downloadText(op: "estimates_csv" | "run_json" | "write_population", name: string, type: string) {
  download(new Blob([await engine.text(op)], { type }), name);
}

async function saveLesson() {
  const text = await engine.saveLesson(byId<HTMLInputElement>("slow").checked, byId<HTMLInputElement>("fit-scale").checked);
  download(new Blob([text], { type: "text/plain" }), "tarvek.lesson");
}

async function showSample() {
  const sample = await engine.sample();
  fillTable(byId("sample"), sample);
  byId("sample-listing").hidden = false;
}

/** A seed from the clock (its milliseconds modulo 2^32, as the desktop program proposes), shown in the seed field and applied. */
function newRandomStart() {
  const seed = byId<HTMLInputElement>("seed");
  seed.value = String(Date.now() % 2 ** 32);
  seed.dispatchEvent(new Event("change", { bubbles: true }));
}

// ---- Wiring ----

function onClick(id: string, action: () => Promise<void> | void) {
  byId(id).addEventListener("click", () => guarded(async () => action()));
}

/** N, A and S (Next, Automatic, Statistics) as on the desktop, unless the focus is in a field that takes text. */
function onShortcut(event: KeyboardEvent) {
  const target = event.target as HTMLElement;
  const typing =
    target instanceof HTMLSelectElement ||
    target instanceof HTMLTextAreaElement ||
    (target instanceof HTMLInputElement && !["checkbox", "radio", "button", "file"].includes(target.type));
  if (typing || event.ctrlKey || event.metaKey || event.altKey) return;
  const button = { n: "next", a: "automatic", s: "show-statistics", escape: "stop" }[event.key.toLowerCase()];
  if (!button) return;
  event.preventDefault();
  byId<HTMLButtonElement>(button).click();
}

function wireDrop() {
  document.addEventListener("dragover", (event) => event.preventDefault());
  document.addEventListener("drop", (event) => {
    event.preventDefault();
    const file = event.dataTransfer?.files[0];
    if (file) guarded(() => openFile(file));
  });
}

function wire() {
  byId<HTMLSelectElement>("example").addEventListener("change", (event) => {
    const name = (event.target as HTMLSelectElement).value;
    if (name) guarded(async () => (await openExample(name), await configure()));
  });
  byId<HTMLInputElement>("file").addEventListener("change", (event) => {
    const file = (event.target as HTMLInputElement).files?.[0];
    if (file) guarded(() => openFile(file));
  });
  byId("import-columns").addEventListener("change", () => guarded(() => showMissingRows(engine)));
  byId("import").addEventListener("submit", (event) => {
    event.preventDefault();
    guarded(importTicked);
  });
  const settings = byId<HTMLFormElement>("settings");
  settings.addEventListener("submit", (event) => event.preventDefault());
  settings.addEventListener("input", () => guarded(showClusterSummary));
  settings.addEventListener("change", (event) => {
    const control = event.target as HTMLElement;
    if (control.id === "seed") seedChanged = true;
    showRelevantFields();
    reconfigure(control);
  });
  for (const radio of document.querySelectorAll('input[name="graph"]')) radio.addEventListener("change", () => reconfigure(null));
  // The fitted scale is the page's own switch, which the next run takes.
  byId("fit-scale").addEventListener("change", () => guarded(async () => void (await engine.endRun())));
  onClick("next", next);
  onClick("automatic", automatic);
  onClick("show-statistics", statisticsClicked);
  onClick("stop", () => void (stopRequested = true));
  onClick("new-seed", newRandomStart);
  onClick("save-png", savePng);
  onClick("save-svg", saveSvg);
  onClick("estimates-csv", () => downloadText("estimates_csv", "estimates.csv", "text/csv"));
  onClick("run-json", () => downloadText("run_json", "run.json", "application/json"));
  onClick("show-sample", showSample);
  onClick("save-lesson", saveLesson);
  onClick("save-population", () => downloadText("write_population", `${population?.description ?? "population"}.pop`, "text/plain"));
  onClick("copy-statistics", async () => {
    if (statisticsTable) await navigator.clipboard.writeText(tableText(statisticsTable));
  });
  byId("compare-form").addEventListener("submit", (event) => {
    event.preventDefault();
    guarded(async () => showComparison(engine, await style()));
  });
  document.addEventListener("keydown", onShortcut);
  wireComparisonButtons();
  wireDrop();
}

async function start() {
  wire();
  showRelevantFields();
  byId("version").textContent = `Tarvek ${await engine.version()}`;
  byId("loading").hidden = true;
  byId("app").setAttribute("aria-busy", "false");
  document.body.dataset.ready = "true";
}

guarded(start);
