// Figures of the browser page in headless Chromium, for BENCHMARKS.md: time to
// a usable page, Automatic of 1,000 samples, reading a 100,000-unit CSV, a
// million samples and the memory after them.
//
//   node bench/web_page_bench.mjs WEB_DIR      (after scripts/web.sh --build-only WEB_DIR)
import { execSync, spawn } from "node:child_process";
import { createRequire } from "node:module";
import { mkdtempSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const root = join(dirname(fileURLToPath(import.meta.url)), "..");
const webDir = process.argv[2];
const { chromium } = createRequire(join(root, "web/page/package.json"))("playwright-core");

const server = spawn(process.execPath, [join(root, "web/page/serve.mjs"), webDir, "0"], { stdio: ["ignore", "pipe", "inherit"] });
const address = await new Promise((resolve) => server.stdout.once("data", (d) => resolve(String(d).trim())));
const browser = await chromium.launch({ executablePath: "/usr/bin/chromium", args: ["--no-sandbox"] });
const page = await browser.newPage();

const seconds = (ms) => `${(ms / 1000).toFixed(2)} s`;

async function timed(what, action) {
  const started = Date.now();
  await action();
  console.log(`${what}: ${seconds(Date.now() - started)}`);
}

async function runToEnd() {
  await page.click("#automatic");
  await page.waitForFunction(() => {
    const bar = document.getElementById("progress");
    return !document.getElementById("automatic").disabled && bar.getAttribute("aria-valuenow") === bar.getAttribute("aria-valuemax");
  }, undefined, { timeout: 0 });
}

/** Proportional set size (shared pages counted once) of this browser's child processes, in MB. */
async function chromiumMemory() {
  const cdp = await browser.newBrowserCDPSession();
  const { processInfo } = await cdp.send("SystemInfo.getProcessInfo");
  await cdp.detach();
  const pids = processInfo.map((p) => p.id).join(" ");
  const kb = execSync(`for p in ${pids}; do grep '^Pss:' /proc/$p/smaps_rollup; done | awk '{s+=$2} END {print s}'`, {
    encoding: "utf8",
    shell: "/bin/bash",
  });
  return `${Math.round(Number(kb) / 1024)} MB in ${processInfo.length} processes`;
}

await timed("usable page (load to engine ready)", async () => {
  await page.goto(address);
  await page.waitForSelector("body[data-ready=true]");
});
await page.selectOption("#example", "mu284.pop");
await page.selectOption("#estimator", "ratio");
await page.waitForFunction(() => document.querySelectorAll("#caption tr").length > 0);
await timed("Automatic, 1,000 samples, mu284 ratio", runToEnd);

const csv = join(mkdtempSync(join(tmpdir(), "tarvek-bench-")), "large.csv");
const lines = ["y,x,group"];
for (let i = 0; i < 100000; ++i) lines.push(`${(i * 7919) % 10007},${(i * 104729) % 1009},g${i % 7}`);
writeFileSync(csv, lines.join("\n") + "\n");
await timed("100,000-unit CSV: open and import", async () => {
  await page.setInputFiles("#file", csv);
  await page.waitForSelector("#import:not([hidden])");
  await page.click("#import-button");
  await page.waitForFunction(() => /100000 units/.test(document.getElementById("population-description").textContent));
});
console.log(`memory before a million samples: ${await chromiumMemory()}`);
await page.fill("#simulations", "1000000");
await page.press("#simulations", "Tab");
await page.waitForFunction(() => [...document.querySelectorAll("#caption tr")].some((row) => /1000000/.test(row.textContent)));
await timed("1,000,000 samples, 100,000 units, n = 10", runToEnd);
console.log(`memory after a million samples: ${await chromiumMemory()}`);

await browser.close();
server.kill();
