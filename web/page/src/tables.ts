// Tables of texts: shown as HTML, copied as tab-separated text, downloaded.
import type { Cell, TextTable } from "./engine";

export function fillTable(table: HTMLTableElement, content: TextTable) {
  table.replaceChildren();
  const head = table.createTHead().insertRow();
  head.hidden = content.columns.every((name) => name === "");
  for (const name of content.columns) {
    const cell = document.createElement("th");
    cell.scope = "col";
    cell.textContent = name;
    head.append(cell);
  }
  const body = table.createTBody();
  for (const row of content.rows) {
    const line = body.insertRow();
    row.forEach((text, i) => {
      const cell = i === 0 ? document.createElement("th") : line.insertCell();
      if (i === 0) {
        (cell as HTMLTableCellElement).scope = "row";
        line.append(cell);
      }
      cell.textContent = String(text);
    });
  }
}

/** The table as the clipboard takes it: a line per row, tabs between cells. */
export function tableText(content: TextTable): string {
  const header = content.columns.some((name) => name !== "") ? [content.columns] : [];
  // A spacer row is an empty line, as tarvek-batch prints it.
  const line = (row: Cell[]) => (row.every((cell) => cell === "") ? "" : row.join("\t"));
  return [...header, ...content.rows].map(line).join("\n") + "\n";
}

export function download(blob: Blob, name: string) {
  const link = document.createElement("a");
  link.href = URL.createObjectURL(blob);
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 0);
}
