// The simulation graph and the comparison's box plots, painted by the
// engine's pixel geometry and in the renderer's colours, all handed over by
// the engine. Lines and bars are filled integer rectangles (no antialiasing),
// so the canvas matches the desktop's picture pixel for pixel; the same
// drawing steps write the SVG.
import type { BoxAxis, BoxGeometry, BoxRow, Graph, PlotColours, PlotStyle } from "./engine";

// 8 points, as the desktop's scale labels.
const LABEL_FONT = '8pt "Liberation Sans", sans-serif';

/** Where the drawing steps go: a canvas or an SVG document. */
export interface Painter {
  fill(x: number, y: number, width: number, height: number, colour: string): void;
  /** Text with its top-left corner at (x, y). */
  text(x: number, y: number, text: string, colour: string): void;
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

function frameBorder(p: Painter, { colours, frame }: PlotStyle) {
  const right = frame.left + frame.width - 1;
  const bottom = frame.top + frame.height - 1;
  hLine(p, frame.left, right, frame.top, 1, colours.shadow);
  vLine(p, frame.left, frame.top, bottom, colours.shadow);
  hLine(p, frame.left + 1, right, bottom, 1, colours.highlight);
  vLine(p, right, frame.top + 1, bottom, colours.highlight);
}

function meanLine(p: Painter, style: PlotStyle, g: Graph) {
  vLine(p, g.frame.meanLineX, g.frame.plotTop, g.frame.tickBottom, style.colours.mean);
  frameBorder(p, style);
}

function scale(p: Painter, c: PlotColours, g: Graph) {
  const f = g.frame;
  hLine(p, f.plotLeft, f.axisRight, f.axisY, 1, c.text);
  for (const x of [f.plotLeft, f.middleX, f.axisRight]) vLine(p, x, f.axisY, f.tickBottom, c.text);
  p.text(f.plotLeft, f.tickBottom, g.labels.lower, c.text);
  p.text(f.middleX - nearest(p.measure(g.labels.middle).width / 2), f.tickBottom, g.labels.middle, c.text);
  p.text(f.axisRight - p.measure(g.labels.upper).width, f.tickBottom, g.labels.upper, c.text);
}

function histogram(p: Painter, { colours, fullMark }: PlotStyle, g: Graph) {
  g.classes.forEach(({ left, right, full }, index) => {
    const barTop = g.frame.axisY - g.counts[index + 1] * g.barUnit;
    fillBetween(p, left, g.frame.axisY, right, barTop, colours.bar);
    if (g.options.markFullClasses && full) {
      fillBetween(p, left, barTop - fullMark.gap - fullMark.rows, right, barTop - fullMark.gap, colours.mark);
    }
  });
}

function intervalRows(p: Painter, { colours, intervalPen }: PlotStyle, g: Graph) {
  for (const row of g.intervals) {
    if (!row.shown) continue;
    const red = g.options.colourMissedIntervals && row.missed;
    hLine(p, row.left, row.right, row.y, intervalPen, red ? colours.mark : colours.bar);
  }
}

/** The whole plot frame, its top-left corner at (0, 0) of the painter. */
export function paintGraph(p: Painter, style: PlotStyle, g: Graph) {
  const { colours, frame } = style;
  const shifted = shift(p, frame);
  shifted.fill(frame.left, frame.top, frame.width, frame.height, colours.background);
  frameBorder(shifted, style);
  scale(shifted, colours, g);
  meanLine(shifted, style, g);
  if (g.kind === "intervals") intervalRows(shifted, style, g);
  else histogram(shifted, style, g);
  meanLine(shifted, style, g);
}

/** A painter in the window's coordinates onto `p`, whose (0, 0) is the frame's corner, clipped to the frame. */
function shift(p: Painter, frame: PlotStyle["frame"]): Painter {
  return {
    fill(x, y, w, h, colour) {
      const left = Math.max(x - frame.left, 0);
      const top = Math.max(y - frame.top, 0);
      const right = Math.min(x - frame.left + w, frame.width);
      const bottom = Math.min(y - frame.top + h, frame.height);
      if (left < right && top < bottom) p.fill(left, top, right - left, bottom - top, colour);
    },
    text: (x, y, text, colour) => p.text(x - frame.left, y - frame.top, text, colour),
    measure: (text) => p.measure(text),
  };
}

interface BoxScale {
  lo: number;
  hi: number;
  left: number;
  right: number;
}

const boxX = (s: BoxScale, v: number) => onCanvas(s.left + nearest(((v - s.lo) / (s.hi - s.lo)) * (s.right - s.left)));

export function boxPlotSize(p: Painter, box: BoxGeometry, rows: BoxRow[]): { width: number; height: number } {
  const labelWidth = Math.max(0, ...rows.map((r) => Math.ceil(p.measure(r.variant).width)));
  const count = Math.max(rows.length, 1);
  return {
    width: box.width + Math.max(labelWidth - box.labelRoom, 0),
    height: box.topMargin + count * box.rowHeight + box.axisGap + box.bottomRoom,
  };
}

function box(p: Painter, { colours: c, box: geo }: PlotStyle, s: BoxScale, row: BoxRow, centreY: number) {
  if (row.median === null || row.lowerWhisker === null || row.upperWhisker === null) return;
  const top = centreY - geo.halfHeight;
  const bottom = centreY + geo.halfHeight;
  const lw = boxX(s, row.lowerWhisker);
  const uw = boxX(s, row.upperWhisker);
  const lq = boxX(s, row.lowerQuartile ?? row.median);
  const uq = boxX(s, row.upperQuartile ?? row.median);
  hLine(p, lw, uw, centreY, 1, c.bar);
  vLine(p, lw, centreY - geo.capHalfHeight, centreY + geo.capHalfHeight, c.bar);
  vLine(p, uw, centreY - geo.capHalfHeight, centreY + geo.capHalfHeight, c.bar);
  fillBetween(p, lq, top, uq + 1, bottom + 1, c.bar);
  fillBetween(p, lq + 1, top + 1, uq, bottom, c.panel);
  const median = boxX(s, row.median);
  fillBetween(p, median, top, median + 2, bottom + 1, c.text);
  for (const v of row.outliers) {
    const x = boxX(s, v);
    fillBetween(p, x - 1, centreY - 1, x + 2, centreY + 2, c.bar);
  }
}

/** The axis with the texts under its left end, middle and right end. */
function boxAxis(p: Painter, { colours: c, box: geo }: PlotStyle, s: BoxScale, axisY: number, labels: string[]) {
  const [low, middleText, high] = labels;
  const labelTop = axisY + geo.tickLength;
  const middle = nearest(s.left + (s.right - s.left) / 2);
  hLine(p, s.left, s.right, axisY, 1, c.text);
  for (const x of [s.left, middle, s.right]) vLine(p, x, axisY, labelTop, c.text);
  p.text(s.left, labelTop, low, c.text);
  p.text(middle - nearest(p.measure(middleText).width / 2), labelTop, middleText, c.text);
  p.text(s.right - p.measure(high).width, labelTop, high, c.text);
}

/**
 * One horizontal box per variant on the engine's common axis, the population
 * mean as a red line across them.
 */
export function paintBoxPlots(p: Painter, style: PlotStyle, rows: BoxRow[], axis: BoxAxis, mean: number) {
  const { colours: c, box: geo } = style;
  const size = boxPlotSize(p, geo, rows);
  p.fill(0, 0, size.width, size.height, c.background);
  const labelWidth = Math.max(0, ...rows.map((r) => Math.ceil(p.measure(r.variant).width)));
  const plotLeft = geo.labelLeft + labelWidth + 2 * geo.labelLeft;
  const s: BoxScale = { lo: axis.low, hi: axis.high, left: plotLeft, right: size.width - geo.rightMargin };
  const axisY = geo.topMargin + Math.max(rows.length, 1) * geo.rowHeight + geo.axisGap;
  rows.forEach((row, r) => {
    const centreY = geo.topMargin + r * geo.rowHeight + geo.rowHeight / 2;
    p.text(geo.labelLeft, centreY - Math.trunc(p.measure(row.variant).height / 2), row.variant, c.text);
    box(p, style, s, row, centreY);
  });
  boxAxis(p, style, s, axisY, axis.labels);
  vLine(p, boxX(s, mean), geo.topMargin / 2, axisY + geo.tickLength, c.mean);
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
    text(x, y, text, colour) {
      ctx.fillStyle = colour;
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
    text(x, y, text, colour) {
      const baseline = y + measurer.measure(text).ascent;
      parts.push(`<text x="${x}" y="${baseline}" fill="${colour}">${escapeXml(text)}</text>`);
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
