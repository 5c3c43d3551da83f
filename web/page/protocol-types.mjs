// Writes src/protocol.ts, the page's types of the worker protocol, from
// web/protocol.json, the one declaration the engine driver's tests also hold
// its answers to. The build runs it before the type check, so the page
// compiles against the declaration as it is.
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, resolve } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const protocol = JSON.parse(readFileSync(resolve(here, "../protocol.json"), "utf8"));

const SCALARS = {
  number: "number",
  string: "string",
  boolean: "boolean",
  null: "null",
  object: "Record<string, unknown>",
};

/** One declared type in TypeScript: alternatives, lists, literals, names. */
function typeOf(declared) {
  return declared
    .split("|")
    .map((alternative) => {
      const trimmed = alternative.trim();
      const base = trimmed.replace(/(\[\])+$/, "");
      const lists = trimmed.slice(base.length);
      const literal = /^'(.*)'$/.exec(base);
      if (literal) return JSON.stringify(literal[1]) + lists;
      if (base in SCALARS) return (lists && base === "object" ? `(${SCALARS[base]})` : SCALARS[base]) + lists;
      if (!(base in protocol.types)) throw new Error(`web/protocol.json: unknown type ${base}`);
      return base + lists;
    })
    .join(" | ");
}

function objectOf(fields) {
  const lines = Object.entries(fields).map(([name, declared]) => {
    const optional = name.endsWith("?");
    return `${optional ? name.slice(0, -1) : name}${optional ? "?" : ""}: ${typeOf(declared)}`;
  });
  return lines.length === 0 ? "Record<string, never>" : `{ ${lines.join("; ")} }`;
}

function answerOf(answer) {
  if (typeof answer === "string") return typeOf(answer);
  if (Array.isArray(answer)) return answer.map(objectOf).join(" | ");
  return objectOf(answer);
}

const out = ["// Generated from web/protocol.json by protocol-types.mjs: do not edit.", ""];
for (const [name, declared] of Object.entries(protocol.types)) {
  out.push(`export type ${name} = ${typeof declared === "string" ? typeOf(declared) : objectOf(declared)};`);
}
out.push("", "/** Each request's fields besides its op. */", "export interface Requests {");
for (const [op, { request }] of Object.entries(protocol.requests)) out.push(`  ${op}: ${objectOf(request)};`);
out.push("}", "", "/** Each request's answer besides ok. */", "export interface Answers {");
for (const [op, { answer }] of Object.entries(protocol.requests)) out.push(`  ${op}: ${answerOf(answer)};`);
out.push("}", "");
writeFileSync(resolve(here, "src/protocol.ts"), out.join("\n"));
