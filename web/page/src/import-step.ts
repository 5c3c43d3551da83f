// The import step of a CSV, TSV or TXT table: the columns to read as
// variables, ticked as the desktop's import dialog ticks them.
import type { Engine, TableColumn } from "./engine";

const MAX_VARIABLES = 10;

const body = () => document.getElementById("import-columns") as HTMLTableSectionElement;

function columnType(column: TableColumn, rows: number) {
  if (column.missing >= rows) return "no values";
  if (!column.categorical) return "numeric";
  return `categorical, ${column.labels} label${column.labels === 1 ? "" : "s"}`;
}

/** Lists the table's columns, the first ten with values ticked, and shows the step. */
export async function showImport(engine: Engine, rows: number, columns: TableColumn[]) {
  body().replaceChildren();
  showImportRefusal("");
  let ticked = 0;
  for (const [index, column] of columns.entries()) {
    const row = body().insertRow();
    const box = document.createElement("input");
    box.type = "checkbox";
    box.value = column.name;
    box.dataset.index = String(index);
    box.checked = column.missing < rows && ticked < MAX_VARIABLES;
    if (box.checked) ++ticked;
    const label = document.createElement("label");
    label.append(box, ` ${column.name}`);
    row.insertCell().append(label);
    row.insertCell().textContent = columnType(column, rows);
    row.insertCell().textContent = String(column.missing);
  }
  await showMissingRows(engine);
  document.getElementById("import")!.hidden = false;
  body().querySelector("input")?.focus();
}

/** The engine's refusal of the ticked columns, shown in the step; an empty message hides it. */
export function showImportRefusal(message: string) {
  const box = document.getElementById("import-refusal")!;
  box.textContent = message;
  box.hidden = !message;
}

/** The rows a ticked column's missing value would leave out, counted by the engine as the desktop counts them. */
export async function showMissingRows(engine: Engine) {
  const ticked = [...body().querySelectorAll<HTMLInputElement>("input:checked")].map((box) => Number(box.dataset.index));
  document.getElementById("missing-rows")!.textContent = await engine.missingRows(ticked);
}

/** The ticked columns' names, in the table's order. */
export function tickedColumns(): string[] {
  return [...body().querySelectorAll<HTMLInputElement>("input:checked")].map((box) => box.value);
}
