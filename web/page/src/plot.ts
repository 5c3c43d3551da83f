// The simulation graph and the comparison's box plots, painted from the
// engine's pixel geometry. Lines and bars are filled integer rectangles (no
// antialiasing), so the canvas matches the desktop's picture pixel for pixel;
// the same drawing steps write the SVG.
import type { BoxAxis, BoxRow, Frame, Graph } from "./engine";

export const PLOT_WIDTH = 481;
export const PLOT_HEIGHT = 257;
// The plot frame's corner in the window's client coordinates, which the
// engine's geometry uses.
const FRAME_LEFT = 8;
const FRAME_TOP = 8;
const PLOT_STEPS = 30;
const BAR_CAP_STEPS = 29;
const CLASSES = 50;
const INTERVAL_PEN = 2;

const COLOURS = {
  background: "rgb(255,255,204)",
  panel: "rgb(255,255,221)",
  bar: "rgb(0,128,0)",
  mean: "rgb(255,0,0)",
  mark: "rgb(204,0,0)",
  shadow: "rgb(128,128,128)",
  highlight: "rgb(255,255,255)",
  text: "rgb(0,0,0)",
};

// 8 points, as the desktop's scale labels.
const LABEL_FONT = '8pt "Liberation Sans", sans-serif';

/** Where the drawing steps go: a canvas or an SVG document. */
export interface Painter {
  fill(x: number, y: number, width: number, height: number, colour: string): void;
  /** Text with its top-left corner at (x, y). */
  text(x: number, y: number, text: string): void;
  measure(text: string): { width: number; ascent: number; height: number };
}

/** Nearest integer, a half to the even neighbour, as the engine rounds pixels. */
function nearest(x: number): number {
  const floor = Math.floor(x);
  const diff = x - floor;
  if (diff > 0.5) return floor + 1;
  if (diff < 0.5) return floor;
  return floor % 2 === 0 ? floor : floor + 1;
}

const CANVAS_LOW = -1;
const CANVAS_HIGH = 16384;
const onCanvas = (v: number) => Math.min(Math.max(v, CANVAS_LOW), CANVAS_HIGH);

/** The rectangle between two corners; the far column and row are not covered. */
function fillBetween(p: Painter, x1: number, y1: number, x2: number, y2: number, colour: string) {
  const left = onCanvas(Math.min(x1, x2));
  const right = onCanvas(Math.max(x1, x2));
  const top = onCanvas(Math.min(y1, y2));
  const bottom = onCanvas(Math.max(y1, y2));
  if (left < right && top < bottom) p.fill(left, top, right - left, bottom - top, colour);
}

/** A horizontal line with both ends; a width of 2 also covers the row above y. */
function hLine(p: Painter, x1: number, x2: number, y: number, width: number, colour: string) {
  const row = onCanvas(y);
  fillBetween(p, onCanvas(x1), row - width + 1, onCanvas(x2) + 1, row + 1, colour);
}

function vLine(p: Painter, x: number, y1: number, y2: number, colour: string) {
  const column = onCanvas(x);
  fillBetween(p, column, onCanvas(y1), column + 1, onCanvas(y2) + 1, colour);
}

const plotTop = (f: Frame) => f.axisY - PLOT_STEPS * f.stepHeight;
const tickBottom = (f: Frame) => f.axisY + f.stepHeight;
const axisRight = (f: Frame) => f.plotLeft + f.axisLength;

function classEdges(f: Frame, k: number): [number, number] {
  return [f.plotLeft + nearest(((k - 1) * f.axisLength) / CLASSES), f.plotLeft + nearest((k * f.axisLength) / CLASSES)];
}

function frameBorder(p: Painter) {
  const left = FRAME_LEFT;
  const top = FRAME_TOP;
  const right = FRAME_LEFT + PLOT_WIDTH - 1;
  const bottom = FRAME_TOP + PLOT_HEIGHT - 1;
  hLine(p, left, right, top, 1, COLOURS.shadow);
  vLine(p, left, top, bottom, COLOURS.shadow);
  hLine(p, left + 1, right, bottom, 1, COLOURS.highlight);
  vLine(p, right, top + 1, bottom, COLOURS.highlight);
}

function meanLine(p: Painter, f: Frame) {
  vLine(p, f.meanLineX, plotTop(f), tickBottom(f), COLOURS.mean);
  frameBorder(p);
}

function scale(p: Painter, g: Graph) {
  const f = g.frame;
  const labelTop = tickBottom(f);
  const middle = nearest(f.plotLeft + f.axisLength / 2);
  const right = axisRight(f);
  hLine(p, f.plotLeft, right, f.axisY, 1, COLOURS.text);
  for (const x of [f.plotLeft, middle, right]) vLine(p, x, f.axisY, labelTop, COLOURS.text);
  p.text(f.plotLeft, labelTop, g.labels.lower);
  p.text(middle - nearest(p.measure(g.labels.middle).width / 2), labelTop, g.labels.middle);
  p.text(right - p.measure(g.labels.upper).width, labelTop, g.labels.upper);
}

function classFull(count: number, g: Graph): boolean {
  return (count + 1) * g.barUnit > BAR_CAP_STEPS * g.frame.stepHeight;
}

function histogram(p: Painter, g: Graph) {
  const f = g.frame;
  for (let k = 1; k <= CLASSES; ++k) {
    const [left, right] = classEdges(f, k);
    const count = g.counts[k];
    const barTop = f.axisY - count * g.barUnit;
    fillBetween(p, left, f.axisY, right, barTop, COLOURS.bar);
    if (g.options.markFullClasses && classFull(count, g)) {
      // Three rows across the bar, one row clear of its top.
      fillBetween(p, left, barTop - 4, right, barTop - 1, COLOURS.mark);
    }
  }
}

function intervalRows(p: Painter, g: Graph) {
  const f = g.frame;
  g.intervals.forEach((row, index) => {
    if (!row.shown) return;
    const slot = index + 1;
    const y = f.axisY - (PLOT_STEPS + 1 - slot) * f.stepHeight;
    const red = g.options.colourMissedIntervals && row.missed;
    hLine(p, row.left, row.right, y, INTERVAL_PEN, red ? COLOURS.mark : COLOURS.bar);
  });
}

/** The whole plot frame, its top-left corner at (0, 0) of the painter. */
export function paintGraph(p: Painter, g: Graph) {
  const shifted = shift(p, -FRAME_LEFT, -FRAME_TOP);
  shifted.fill(FRAME_LEFT, FRAME_TOP, PLOT_WIDTH, PLOT_HEIGHT, COLOURS.background);
  frameBorder(shifted);
  scale(shifted, g);
  meanLine(shifted, g.frame);
  if (g.kind === "intervals") intervalRows(shifted, g);
  else histogram(shifted, g);
  meanLine(shifted, g.frame);
}

/** A painter whose coordinates are moved by (dx, dy), clipped to the plot. */
function shift(p: Painter, dx: number, dy: number): Painter {
  return {
    fill(x, y, w, h, colour) {
      const left = Math.max(x + dx, 0);
      const top = Math.max(y + dy, 0);
      const right = Math.min(x + dx + w, PLOT_WIDTH);
      const bottom = Math.min(y + dy + h, PLOT_HEIGHT);
      if (left < right && top < bottom) p.fill(left, top, right - left, bottom - top, colour);
    },
    text: (x, y, text) => p.text(x + dx, y + dy, text),
    measure: (text) => p.measure(text),
  };
}

// The comparison picture's geometry, in pixels.
const BOX = {
  width: 640,
  topMargin: 12,
  rowHeight: 24,
  halfHeight: 7,
  capHalfHeight: 4,
  labelLeft: 8,
  labelRoom: 200,
  rightMargin: 24,
  axisGap: 4,
  tickLength: 5,
  bottomRoom: 32,
};

interface BoxScale {
  lo: number;
  hi: number;
  left: number;
  right: number;
}

const boxX = (s: BoxScale, v: number) => onCanvas(s.left + nearest(((v - s.lo) / (s.hi - s.lo)) * (s.right - s.left)));

export function boxPlotSize(p: Painter, rows: BoxRow[]): { width: number; height: number } {
  const labelWidth = Math.max(0, ...rows.map((r) => Math.ceil(p.measure(r.variant).width)));
  const count = Math.max(rows.length, 1);
  return {
    width: BOX.width + Math.max(labelWidth - BOX.labelRoom, 0),
    height: BOX.topMargin + count * BOX.rowHeight + BOX.axisGap + BOX.bottomRoom,
  };
}

function box(p: Painter, s: BoxScale, row: BoxRow, centreY: number) {
  if (row.median === null || row.lowerWhisker === null || row.upperWhisker === null) return;
  const top = centreY - BOX.halfHeight;
  const bottom = centreY + BOX.halfHeight;
  const lw = boxX(s, row.lowerWhisker);
  const uw = boxX(s, row.upperWhisker);
  const lq = boxX(s, row.lowerQuartile ?? row.median);
  const uq = boxX(s, row.upperQuartile ?? row.median);
  hLine(p, lw, uw, centreY, 1, COLOURS.bar);
  vLine(p, lw, centreY - BOX.capHalfHeight, centreY + BOX.capHalfHeight, COLOURS.bar);
  vLine(p, uw, centreY - BOX.capHalfHeight, centreY + BOX.capHalfHeight, COLOURS.bar);
  fillBetween(p, lq, top, uq + 1, bottom + 1, COLOURS.bar);
  fillBetween(p, lq + 1, top + 1, uq, bottom, COLOURS.panel);
  const median = boxX(s, row.median);
  fillBetween(p, median, top, median + 2, bottom + 1, COLOURS.text);
  for (const v of row.outliers) {
    const x = boxX(s, v);
    fillBetween(p, x - 1, centreY - 1, x + 2, centreY + 2, COLOURS.bar);
  }
}

function boxAxis(p: Painter, s: BoxScale, axisY: number, labels: [string, string, string]) {
  const labelTop = axisY + BOX.tickLength;
  const middle = nearest(s.left + (s.right - s.left) / 2);
  hLine(p, s.left, s.right, axisY, 1, COLOURS.text);
  for (const x of [s.left, middle, s.right]) vLine(p, x, axisY, labelTop, COLOURS.text);
  p.text(s.left, labelTop, labels[0]);
  p.text(middle - nearest(p.measure(labels[1]).width / 2), labelTop, labels[1]);
  p.text(s.right - p.measure(labels[2]).width, labelTop, labels[2]);
}

/**
 * One horizontal box per variant on the engine's common axis, the population
 * mean as a red line across them.
 */
export function paintBoxPlots(p: Painter, rows: BoxRow[], axis: BoxAxis, mean: number) {
  const size = boxPlotSize(p, rows);
  p.fill(0, 0, size.width, size.height, COLOURS.background);
  const labelWidth = Math.max(0, ...rows.map((r) => Math.ceil(p.measure(r.variant).width)));
  const plotLeft = BOX.labelLeft + labelWidth + 2 * BOX.labelLeft;
  const s: BoxScale = { lo: axis.low, hi: axis.high, left: plotLeft, right: size.width - BOX.rightMargin };
  const axisY = BOX.topMargin + Math.max(rows.length, 1) * BOX.rowHeight + BOX.axisGap;
  rows.forEach((row, r) => {
    const centreY = BOX.topMargin + r * BOX.rowHeight + BOX.rowHeight / 2;
    p.text(BOX.labelLeft, centreY - Math.trunc(p.measure(row.variant).height / 2), row.variant);
    box(p, s, row, centreY);
  });
  boxAxis(p, s, axisY, axis.labels);
  vLine(p, boxX(s, mean), BOX.topMargin / 2, axisY + BOX.tickLength, COLOURS.mean);
}

/** Paints on a 2D canvas context. */
export function canvasPainter(ctx: CanvasRenderingContext2D): Painter {
  ctx.font = LABEL_FONT;
  ctx.textBaseline = "alphabetic";
  const measure = (text: string) => {
    const m = ctx.measureText(text);
    const ascent = Math.round(m.fontBoundingBoxAscent);
    return { width: Math.round(m.width), ascent, height: ascent + Math.round(m.fontBoundingBoxDescent) };
  };
  return {
    fill(x, y, w, h, colour) {
      ctx.fillStyle = colour;
      ctx.fillRect(x, y, w, h);
    },
    text(x, y, text) {
      ctx.fillStyle = COLOURS.text;
      ctx.fillText(text, x, y + measure(text).ascent);
    },
    measure,
  };
}

const escapeXml = (s: string) =>
  s.replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c] as string);

/** Collects the drawing steps as SVG elements; text is measured on `ctx`. */
export function svgPainter(ctx: CanvasRenderingContext2D): Painter & { document(w: number, h: number): string } {
  const measurer = canvasPainter(ctx);
  const parts: string[] = [];
  return {
    fill(x, y, w, h, colour) {
      parts.push(`<rect x="${x}" y="${y}" width="${w}" height="${h}" fill="${colour}"/>`);
    },
    text(x, y, text) {
      const baseline = y + measurer.measure(text).ascent;
      parts.push(`<text x="${x}" y="${baseline}">${escapeXml(text)}</text>`);
    },
    measure: measurer.measure,
    document(w, h) {
      return (
        `<svg xmlns="http://www.w3.org/2000/svg" width="${w}" height="${h}" viewBox="0 0 ${w} ${h}" ` +
        `shape-rendering="crispEdges" font-family="Liberation Sans, sans-serif" font-size="8pt">\n` +
        parts.join("\n") +
        "\n</svg>\n"
      );
    },
  };
}
