// The comparison of variants on the same samples: the engine's table and the
// box plots of each variant's estimates.
import type { Comparison, Engine, PlotStyle } from "./engine";
import { boxPlotSize, canvasPainter, paintBoxPlots } from "./plot";
import { variantFromForm } from "./settings";
import { fillTable } from "./tables";

const byId = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

// The table as tarvek-batch --compare prints it, for the clipboard.
let shownText: string | null = null;

function populationMean(comparison: Comparison): number {
  // The result is tarvek-batch's JSON document, of which the page reads this.
  const runs = (comparison.result as { runs?: { population_mean?: number }[] }).runs ?? [];
  return runs[runs.length - 1]?.population_mean ?? 0;
}

function drawBoxes(comparison: Comparison, style: PlotStyle) {
  const canvas = byId<HTMLCanvasElement>("boxes");
  const size = boxPlotSize(canvasPainter(canvas.getContext("2d")!), style.box, comparison.boxes);
  canvas.width = size.width;
  canvas.height = size.height;
  // Resizing resets the context, so the painter is made anew.
  const painter = canvasPainter(canvas.getContext("2d")!);
  paintBoxPlots(painter, style, comparison.boxes, comparison.axis, populationMean(comparison));
}

export async function showComparison(engine: Engine, style: PlotStyle) {
  const variants = byId<HTMLInputElement>("variants").value;
  const samples = Number(byId<HTMLInputElement>("compare-samples").value);
  const intervals = byId<HTMLInputElement>("compare-intervals").checked;
  const mcError = byId<HTMLInputElement>("compare-mc").checked;
  const comparison = await engine.compare(variants, samples, intervals, mcError);
  shownText = comparison.table.text;
  fillTable(byId("comparison"), comparison.table);
  drawBoxes(comparison, style);
  const error = byId("error");
  error.textContent = comparison.message ?? "";
  error.hidden = !comparison.message;
}

/** Appends the settings' design and estimator to the variants, so that no one needs to learn their syntax. */
function addVariantOfSettings() {
  const variants = byId<HTMLInputElement>("variants");
  const listed = variants.value.trim();
  variants.value = listed ? `${listed},${variantFromForm()}` : variantFromForm();
}

export function wireComparisonButtons() {
  byId("add-variant").addEventListener("click", addVariantOfSettings);
  byId("copy-comparison").addEventListener("click", () => {
    if (shownText) void navigator.clipboard.writeText(shownText);
  });
}
