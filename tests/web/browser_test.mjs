// The page in headless Chromium against the native tarvek-batch: the same
// statistics, estimates and picture; a CSV through the file input; slow
// motion; keyboard and screen-reader access; the single file from disk; no
// request leaving the machine.
//
//   node browser_test.mjs ROOT NATIVE_BATCH WEB_DIR
import { execFileSync, spawn } from "node:child_process";
import { createRequire } from "node:module";
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { pathToFileURL } from "node:url";

const [root, nativeBatch, webDir] = process.argv.slice(2);
const { chromium } = createRequire(join(root, "web/page/package.json"))("playwright-core");

const work = mkdtempSync(join(tmpdir(), "tarvek-browser-"));
const failures = [];
let checks = 0;

function check(condition, what) {
  ++checks;
  if (!condition) {
    failures.push(what);
    console.log(`FAILED: ${what}`);
  }
}

/** tarvek-batch's standard output for these options on a shipped population. */
function batch(args, population = "mu284.pop") {
  return execFileSync(nativeBatch, [...args, join(root, "data", population)], { encoding: "utf8" });
}

function startServer() {
  const server = spawn(process.execPath, [join(root, "web/page/serve.mjs"), webDir, "0"], {
    stdio: ["ignore", "pipe", "inherit"],
  });
  return new Promise((resolve, reject) => {
    server.stdout.once("data", (data) => resolve({ server, address: String(data).trim() }));
    server.once("exit", (code) => reject(new Error(`the server stopped with ${code}`)));
  });
}

/** Records every request; anything but the allowed schemes and hosts is refused. */
async function watchRequests(context, allowed) {
  const outside = [];
  await context.route("**/*", (route) => {
    const url = new URL(route.request().url());
    if (allowed(url)) return route.continue();
    outside.push(url.href);
    return route.abort();
  });
  return outside;
}

const ready = (page) => page.waitForSelector("body[data-ready=true]");

/** A key pressed with the focus on no field, as on the page's background. */
async function pressKey(page, key) {
  await page.evaluate(() => document.activeElement?.blur());
  await page.keyboard.press(key);
}

/** Waits until a run has ended: the buttons are back and every sample is drawn. */
async function runEnded(page) {
  await page.waitForFunction(() => {
    const bar = document.getElementById("progress");
    return (
      !document.getElementById("automatic").disabled &&
      bar.getAttribute("aria-valuenow") === bar.getAttribute("aria-valuemax") &&
      document.querySelectorAll("#statistics tbody tr").length > 0
    );
  });
}

async function chooseMu284Ratio(page) {
  await page.locator("#example").selectOption("mu284.pop");
  await page.waitForFunction(() => document.querySelectorAll("#caption tr").length > 0);
  await page.locator("#estimator").selectOption("ratio");
  await page.locator("#auxiliary").selectOption("2");
  await page.waitForFunction(() => [...document.querySelectorAll("#caption tr")].some((row) => /Ratio/.test(row.textContent)));
}

/** The statistics table as tarvek-batch prints it: label, tab, value; spacers empty. */
async function pageStatistics(page) {
  const rows = await page.$$eval("#statistics tbody tr", (rows) =>
    rows.map((row) => [...row.cells].map((cell) => cell.textContent)),
  );
  return rows.map(([label, value]) => (label || value ? `${label}\t${value}` : "")).join("\n") + "\n";
}

/** The plot canvas against a PNG, outside the band of the scale's labels. */
async function comparePicture(page, pngPath, textTop, what) {
  const png = readFileSync(pngPath).toString("base64");
  const differences = await page.evaluate(
    async ({ png, textTop }) => {
      const image = new Image();
      image.src = `data:image/png;base64,${png}`;
      await image.decode();
      const reference = new OffscreenCanvas(image.width, image.height).getContext("2d");
      reference.drawImage(image, 0, 0);
      const plot = document.getElementById("plot");
      const expected = reference.getImageData(0, 0, image.width, image.height).data;
      const actual = plot.getContext("2d").getImageData(0, 0, plot.width, plot.height).data;
      if (image.width !== plot.width || image.height !== plot.height) return [`size ${image.width}x${image.height}`];
      const found = [];
      for (let y = 0; y < image.height; ++y) {
        for (let x = 0; x < image.width; ++x) {
          const inText = y > textTop && y < image.height - 1 && x > 0 && x < image.width - 1;
          const i = 4 * (y * image.width + x);
          const same = [0, 1, 2].every((c) => expected[i + c] === actual[i + c]);
          if (!inText && !same) found.push(`(${x},${y})`);
        }
      }
      return found;
    },
    { png, textTop },
  );
  check(differences.length === 0, `${what}: ${differences.length} pixels differ, e.g. ${differences.slice(0, 5).join(" ")}`);
}

async function download(page, button) {
  const [file] = await Promise.all([page.waitForEvent("download"), page.getByRole("button", { name: button, exact: true }).click()]);
  return readFileSync(await file.path(), "utf8");
}

/** Every control has an accessible name, as Chromium's accessibility tree computes it. */
async function checkNames(page) {
  const cdp = await page.context().newCDPSession(page);
  const { nodes } = await cdp.send("Accessibility.getFullAXTree");
  const controls = ["button", "checkbox", "combobox", "textbox", "spinbutton", "radio", "link", "slider", "progressbar"];
  const unnamed = nodes.filter(
    (n) => !n.ignored && controls.includes(n.role?.value) && !String(n.name?.value ?? "").trim(),
  );
  check(unnamed.length === 0, `controls without a name: ${unnamed.map((n) => n.role.value).join(", ")}`);
}

/** Tab reaches every enabled, visible control of the page. */
async function checkTabbing(page) {
  const expected = await page.$$eval("input, select, button, a[href], summary", (all) =>
    all.filter((e) => !e.disabled && e.getClientRects().length > 0).length,
  );
  const reached = new Set();
  for (let i = 0; i < expected + 5; ++i) {
    await page.keyboard.press("Tab");
    reached.add(await page.evaluate(() => {
      const e = document.activeElement;
      return e === document.body ? "" : `${e.tagName}#${e.id}:${e.name ?? ""}:${e.value ?? ""}:${e.textContent?.slice(0, 20)}`;
    }));
  }
  reached.delete("");
  // The radio group is one tab stop.
  check(reached.size >= expected - 1, `tab reaches ${reached.size} of ${expected} controls`);
}

async function servedPage(browser, address) {
  const context = await browser.newContext({ acceptDownloads: true });
  await context.grantPermissions(["clipboard-read", "clipboard-write"]);
  const outside = await watchRequests(context, (url) => url.hostname === "127.0.0.1" || ["data:", "blob:"].includes(url.protocol));
  context.setDefaultTimeout(WAIT_LIMIT_MS);
  const page = await context.newPage();
  await page.goto(address);
  await ready(page);
  await checkNames(page);
  await checkTabbing(page);

  // mu284, ratio estimator on variable 2, full classes marked, Automatic from the keyboard.
  await chooseMu284Ratio(page);
  await page.locator("#mark-full").check();
  await pressKey(page, "a");
  await runEnded(page);
  const statistics = await pageStatistics(page);
  check(statistics === batch(["-e", "ratio", "-a", "2"]), `the statistics table:\n${statistics}`);
  await page.getByRole("button", { name: "Copy statistics", exact: true }).click();
  await page.waitForFunction(async (text) => (await navigator.clipboard.readText()) === text, statistics, { polling: 100 });

  const estimates = join(work, "estimates.csv");
  batch(["-e", "ratio", "-a", "2", "--estimates", estimates]);
  check((await download(page, "Download estimates (CSV)")) === readFileSync(estimates, "utf8"), "the estimates' CSV");

  const histogram = join(work, "histogram.png");
  batch(["-e", "ratio", "-a", "2", "--mark-full", "--plot", histogram]);
  // The labels start on the row where the ticks end, axisY + stepHeight less the frame's top.
  await comparePicture(page, histogram, 235 + 7 - 8, "the histogram");

  // The interval graph with missed intervals in red: a new run of the same settings.
  await page.locator("input[name=graph][value=intervals]").check();
  await page.locator("#colour-missed").check();
  await pressKey(page, "a");
  await runEnded(page);
  const intervals = join(work, "intervals.png");
  // The page's second run continues the random sequence, as tarvek-batch's second run does.
  batch(["-e", "ratio", "-a", "2", "--intervals", "--colour-missed", "--runs", "2", "--plot", intervals]);
  await comparePicture(page, intervals, 241 + 7 - 8, "the intervals");

  await slowMotion(page);
  await refusedSettings(page);
  await newRandomStart(page);
  await openLesson(page);
  await dropPopulation(page);
  await openCsv(page);
  await missingRows(page);
  await helpExamples(page);
  await context.close();
  return outside;
}

const slowMotionRuns = (page, running) =>
  page.waitForFunction((on) => document.getElementById("stop").disabled !== on, running);

/**
 * Slow motion grows the histogram sample by sample until stopped; Statistics
 * pauses it with the table of the samples drawn, Automatic resumes it and,
 * pressed again, finishes the run at full speed.
 */
async function slowMotion(page) {
  await page.locator("input[name=graph][value=histogram]").check();
  await page.locator("#simulations").fill("100000");
  await page.locator("#simulations").press("Tab");
  const picture = () => page.evaluate(() => document.getElementById("plot").toDataURL());
  await page.locator("#slow").check();
  await pressKey(page, "a");
  await page.waitForFunction(() => Number(document.getElementById("progress").getAttribute("aria-valuenow")) >= 3);
  await pressKey(page, "s");
  await slowMotionRuns(page, false);
  const paused = await page.evaluate(() => [
    document.getElementById("progress-text").textContent,
    [...document.querySelectorAll("#statistics tbody tr")].find((row) => row.cells[0].textContent === "Simulations")?.cells[1].textContent,
  ]);
  check(paused[0] === paused[1] && / of 100000$/.test(paused[1]), `statistics pause slow motion: ${paused}`);
  await pressKey(page, "a");
  await slowMotionRuns(page, true);
  const early = await picture();
  await page.waitForFunction((before) => document.getElementById("plot").toDataURL() !== before, early);
  await pressKey(page, "Escape");
  await slowMotionRuns(page, false);
  const drawn = Number(await page.getAttribute("#progress", "aria-valuenow"));
  check(drawn >= 1 && drawn < 100000, `slow motion drew ${drawn} samples before Stop`);
  await pressKey(page, "a");
  await slowMotionRuns(page, true);
  await pressKey(page, "a");
  await runEnded(page);
  await page.locator("#slow").uncheck();
}

/** Presses Next and waits for the sample it drew; the sample's number. */
async function nextSample(page) {
  const shown = () => page.evaluate(() => document.getElementById("last-sample").textContent);
  const before = await shown();
  await pressKey(page, "n");
  await page.waitForFunction((b) => document.getElementById("last-sample").textContent !== b, before);
  return Number(/^Sample (\d+):/.exec(await shown())?.[1]);
}

/**
 * A refused setting is shown under the settings with its control marked and
 * the entry kept, until a setting is accepted, and the run it would have ended
 * goes on; the stratified design and post-stratification start on a variable
 * that forms strata.
 */
async function refusedSettings(page) {
  await freshExample(page, "mu284.pop", "MU284", "0");
  await nextSample(page);
  const drawn = await nextSample(page);
  const refusal = () => page.evaluate(() => {
    const box = document.getElementById("settings-refusal");
    const marked = [...document.querySelectorAll("#settings [aria-invalid=true]")].map((e) => e.id);
    return box.hidden ? `none ${marked}` : `${box.textContent} ${marked}`;
  });
  const settled = (text) => page.waitForFunction((t) => {
    const box = document.getElementById("settings-refusal");
    return (box.hidden ? "" : box.textContent) === t;
  }, text);
  await page.locator("#sample-size").fill("1");
  await page.locator("#sample-size").press("Tab");
  await settled("The sample size must be from 2 to 284!");
  check((await refusal()) === "The sample size must be from 2 to 284! sample-size", `the refusal: ${await refusal()}`);
  check((await page.locator("#sample-size").inputValue()) === "1", "the refused entry kept");
  const after = await nextSample(page);
  check(after === drawn + 1, `Next after a refused setting drew sample ${after} of the run at ${drawn}`);
  await page.locator("#sample-size").fill("40");
  await page.locator("#sample-size").press("Tab");
  await settled("");
  await page.locator("#design").selectOption("stratified");
  await page.waitForFunction(() => /Stratified/i.test(document.getElementById("caption").textContent));
  await page.locator("#design").selectOption("equal");
  await page.locator("#estimator").selectOption("poststrat");
  await page.waitForFunction(() => /Post-strat/i.test(document.getElementById("caption").textContent));
  const chosen = [await page.locator("#design-variable").inputValue(), await page.locator("#auxiliary").inputValue(), await refusal()];
  check(chosen.join("|") === "9|9|none ", `the variables that form strata: ${chosen}`);
}

/** The lesson files' check of a population: 64-bit FNV-1a of its bytes. */
function checksum(bytes) {
  let hash = 14695981039346656037n;
  for (const byte of bytes) hash = ((hash ^ BigInt(byte)) * 1099511628211n) & 0xffffffffffffffffn;
  return hash.toString(16);
}

/** A teacher's lesson sets every setting and the seed: the run is tarvek-batch's run of it. */
async function openLesson(page) {
  const population = join(work, "mu284.pop");
  copyFileSync(join(root, "data/mu284.pop"), population);
  const lesson = join(work, "ratio.lesson");
  writeFileSync(
    lesson,
    [
      "population = mu284.pop",
      `population-check = 284 10 ${checksum(readFileSync(population))}`,
      "target = 1",
      "sample-size = 20",
      "design = equal",
      "estimator = ratio",
      "auxiliary = 2",
      "nonresponse = off",
      "simulations = 500",
      "intervals = yes",
      "scale = 0:100",
      "compression = 1",
      "colour-missed = yes",
      "mark-full = no",
      "seed = 7",
      "",
    ].join("\n"),
  );
  await page.setInputFiles("#file", lesson);
  await page.waitForFunction(() => document.getElementById("seed").value === "7");
  check((await page.locator("input[name=graph]:checked").getAttribute("value")) === "intervals", "the lesson's intervals");
  await pressKey(page, "a");
  await runEnded(page);
  const expected = execFileSync(nativeBatch, [lesson], { encoding: "utf8" });
  check((await pageStatistics(page)) === expected, `the lesson's statistics:\n${await pageStatistics(page)}`);

  // Saved now, a lesson starts tarvek-batch where the page goes on.
  const saved = join(work, "saved.lesson");
  writeFileSync(saved, await download(page, "Save lesson"));
  await pressKey(page, "a");
  await runEnded(page);
  const again = execFileSync(nativeBatch, [saved], { encoding: "utf8" });
  check((await pageStatistics(page)) === again, `the saved lesson's statistics:\n${await pageStatistics(page)}`);
}

/** A file dropped anywhere on the page opens as one chosen in the file input. */
async function dropPopulation(page) {
  const text = readFileSync(join(root, "data/schools.pop"), "utf8");
  await page.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], "schools.pop"));
    document.getElementById("guide").dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
  }, text);
  await page.waitForFunction(() => /^Schools: 1000 Californian schools: 1000 units/.test(document.getElementById("population-description").textContent));
}

/** A CSV through the file input, its columns chosen in the import step. */
async function openCsv(page) {
  await page.setInputFiles("#file", join(root, "data/classroom.csv"));
  await page.waitForSelector("#import:not([hidden])");
  const columns = await page.$$eval("#import-columns input", (boxes) => boxes.map((b) => b.value));
  check(columns.join(",") === "Mark,Last mark,Homework,Set,Travel", `the CSV's columns: ${columns}`);
  await page.locator("#import-columns input[value=Travel]").uncheck();
  await page.getByRole("button", { name: "Import", exact: true }).click();
  await page.waitForFunction(() => /20 units, 4 variables/.test(document.getElementById("population-description").textContent));
  const targets = await page.$$eval("#target option", (options) => options.map((o) => o.textContent));
  check(targets.join("|") === "1. Mark|2. Last mark|3. Homework|4. Set", `the imported variables: ${targets}`);
  const written = batch(["--columns", "Mark,Last mark,Homework,Set", "--write-population", "-"], "classroom.csv");
  check((await download(page, "Save population (.pop)")) === written, "the imported population saved as a .pop file");
}

/** The import step counts, tick by tick, the rows a missing value would drop, as the desktop's dialog does. */
async function missingRows(page) {
  const table = join(work, "gaps.csv");
  writeFileSync(table, "a,b,c\n1,,x\n2,3,\n,4,y\n5,6,z\n");
  await page.setInputFiles("#file", table);
  await page.waitForSelector("#import:not([hidden])");
  const shown = (text) => page.waitForFunction((t) => document.getElementById("missing-rows").textContent === t, text);
  await shown("Rows with a missing value in a ticked column: 3 of 4");
  await page.locator("#import-columns input[value=b]").uncheck();
  await shown("Rows with a missing value in a ticked column: 2 of 4");
  await page.locator("#import-columns input[value=c]").uncheck();
  await shown("Rows with a missing value in a ticked column: 1 of 4");

  // Refused, the import keeps its step open with the ticks and says why inside it.
  await page.getByRole("button", { name: "Import", exact: true }).click();
  await page.waitForSelector("#import #import-refusal:not([hidden])");
  const kept = await page.evaluate(() => [
    document.getElementById("import").hidden,
    document.getElementById("import-refusal").textContent,
    [...document.querySelectorAll("#import-columns input:checked")].map((box) => box.value).join(","),
  ]);
  check(kept.join("|") === "false|Line 4: missing value in column a!|a", `the refused import: ${kept}`);
}

/** New random start puts a seed from the clock in the seed field, and the information panel shows it in force. */
async function newRandomStart(page) {
  await page.locator("#new-seed").click();
  await page.waitForFunction(() => document.getElementById("seed").value !== "0");
  const seed = await page.locator("#seed").inputValue();
  await page.waitForFunction(
    (s) => [...document.querySelectorAll("#caption tr")].some((row) => row.textContent.replace(/\s+/g, "") === `Seed:${s}`),
    seed,
  );
}

/** A shipped population chosen afresh, its random sequence started at `seed`. */
async function freshExample(page, name, description, seed) {
  await page.locator("#example").selectOption("");
  await page.locator("#example").selectOption(name);
  await page.waitForFunction((d) => document.getElementById("population-description").textContent.startsWith(d), description);
  await page.locator("#seed").fill(seed);
  await page.locator("#seed").press("Tab");
}

/** Two of the help's examples step by step: the page's numbers are tarvek-batch's and the desktop dialog's. */
async function helpExamples(page) {
  // Stratified and systematic samples: systematic, ordered by Last mark, intervals.
  await freshExample(page, "classroom.pop", "Classroom", "3");
  await page.locator("#design").selectOption("systematic");
  await page.locator("#order").selectOption("2");
  await page.locator("#sample-size").fill("10");
  await page.locator("#sample-size").press("Tab");
  await page.locator("input[name=graph][value=intervals]").check();
  await pressKey(page, "a");
  await runEnded(page);
  const systematic = batch(["--seed", "3", "-d", "systematic", "--order", "2", "-n", "10", "--intervals"], "classroom.pop");
  check((await pageStatistics(page)) === systematic, `the systematic example:\n${await pageStatistics(page)}`);

  // Cluster sampling: MU284 in 5 of its 50 clusters; the cluster dialog's summary, then the run.
  await freshExample(page, "mu284.pop", "MU284", "4");
  await page.locator("input[name=graph][value=histogram]").check();
  await page.locator("#design").selectOption("cluster");
  await page.locator("#cluster-variable").selectOption("10");
  await page.locator("#clusters").fill("5");
  await page.locator("#clusters").press("Tab");
  const clusters = batch(["--seed", "4", "-d", "cluster", "--cluster-variable", "10", "--clusters", "5"]);
  const designEffect = clusters.match(/^Design effect \(theoretical\)\t(.*)$/m)[1];
  const summary = [
    ["Clusters (M)", "50"],
    ["Smallest cluster", "5"],
    ["Mean cluster size", "5.680"],
    ["Intraclass correlation", "0.077"],
    ["Expected units", "28.400"],
    ["Design effect, direct", designEffect],
  ];
  await page.waitForFunction(
    (rows) => {
      const shown = new Map([...document.querySelectorAll("#cluster-summary tr")].map((r) => [r.cells[0].textContent, r.cells[1].textContent]));
      return rows.every(([label, value]) => shown.get(label) === value);
    },
    summary,
  );
  await page.locator("#clusters").fill("");
  await page.waitForFunction(() => /Expected units\s*0\.000/.test(document.getElementById("cluster-summary").textContent));
  await page.locator("#clusters").fill("5");
  await page.locator("#clusters").press("Tab");
  await pressKey(page, "a");
  await runEnded(page);
  check((await pageStatistics(page)) === clusters, `the cluster example:\n${await pageStatistics(page)}`);
  await page.locator("#design").selectOption("equal");
  check(await page.locator("#cluster-summary").isHidden(), "the cluster summary only under the cluster designs");
}

/** The comparison of variants on the module's first samples: tarvek-batch --compare's table. */
async function compareVariants(page) {
  const variants = "equal/direct,equal/ratio:2,pps:2/direct";
  await page.locator("#example").selectOption("mu284.pop");
  await page.waitForFunction(() => document.querySelectorAll("#caption tr").length > 0);
  // The last variant is the settings' own, added by the button.
  await page.locator("#variants").fill("equal/direct,equal/ratio:2");
  await page.locator("#design").selectOption("pps");
  await page.locator("#design-variable").selectOption("2");
  await page.locator("#add-variant").click();
  check((await page.locator("#variants").inputValue()) === variants, "the settings added as a variant");
  await page.getByRole("button", { name: "Compare", exact: true }).click();
  await page.waitForFunction(() => document.querySelectorAll("#comparison tbody tr").length > 0);
  const rows = await page.$$eval("#comparison tr", (rows) => rows.map((row) => [...row.cells].map((c) => c.textContent).join("\t")));
  const expected = batch(["--compare", variants]).split("\n\n")[1].trimEnd().split("\n");
  check(rows.join("\n") === expected.join("\n"), `the comparison table:\n${rows.join("\n")}`);
}

/** tarvek.html from disk: no server, nothing fetched, the same numbers. */
async function singleFile(browser) {
  const context = await browser.newContext();
  const outside = await watchRequests(context, (url) => ["file:", "data:", "blob:"].includes(url.protocol));
  context.setDefaultTimeout(WAIT_LIMIT_MS);
  const page = await context.newPage();
  await page.goto(pathToFileURL(join(webDir, "tarvek.html")).href);
  await ready(page);
  await compareVariants(page);
  // The comparison went on with the one random sequence; the seed field starts
  // a sequence anew, as tarvek-batch's --seed does.
  await page.locator("#seed").fill("5");
  await page.locator("#seed").press("Tab");
  await chooseMu284Ratio(page);
  await page.getByRole("button", { name: "Automatic", exact: true }).click();
  await runEnded(page);
  const statistics = await pageStatistics(page);
  check(statistics === batch(["--seed", "5", "-e", "ratio", "-a", "2"]), `the statistics table of tarvek.html:\n${statistics}`);
  await context.close();
  return outside;
}

const { server, address } = await startServer();
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox"] });
// Waits are for conditions; this bound only ends a test that hangs, on a
// machine however busy.
const WAIT_LIMIT_MS = 120000;
try {
  const outside = [...(await servedPage(browser, address)), ...(await singleFile(browser))];
  check(outside.length === 0, `requests leaving the machine: ${outside.join(" ")}`);
} catch (error) {
  failures.push(String(error));
  console.log(error);
} finally {
  await browser.close();
  server.kill();
  rmSync(work, { recursive: true, force: true });
}
console.log(`${checks - failures.length} passed, ${failures.length} failed`);
process.exit(failures.length === 0 ? 0 : 1);
