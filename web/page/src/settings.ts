// The settings form as tarvek-batch's options and back: the engine parses and
// checks them with the program's own parser.
import type { Population } from "./engine";

const byId = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;
const input = (id: string) => byId<HTMLInputElement>(id);
const select = (id: string) => byId<HTMLSelectElement>(id);

const CLUSTER_DESIGNS = ["cluster", "two-stage"];

function fillVariables(id: string, population: Population, first?: [string, string]) {
  const list = select(id);
  list.replaceChildren();
  if (first) list.add(new Option(first[1], first[0]));
  population.names.forEach((name, i) => list.add(new Option(`${i + 1}. ${name}`, String(i + 1))));
}

/** Puts the population's variables into every list that names one. */
export function showVariables(population: Population) {
  for (const id of ["target", "design-variable", "cluster-variable", "nonresponse-variable"]) {
    fillVariables(id, population);
  }
  fillVariables("order", population, ["", "File order"]);
  select("order").add(new Option("Random, shuffled once per run", "random"));
  fillVariables("auxiliary", population, ["units", "Units (the mean per unit)"]);
  select("auxiliary").value = population.variables > 1 ? "2" : "1";
  select("design-variable").value = select("auxiliary").value;
  input("sample-size").value = String(Math.min(10, population.units));
  showRelevantFields();
}

/** Shows only the fields the chosen design, estimator and nonresponse use. */
export function showRelevantFields() {
  const design = select("design").value;
  const estimator = select("estimator").value;
  const nonresponse = input("nonresponse").checked;
  for (const label of document.querySelectorAll<HTMLElement>("#settings label")) {
    const designs = label.dataset.for?.split(" ");
    const estimators = label.dataset.estimator?.split(" ");
    label.hidden =
      (designs !== undefined && !designs.includes(design)) ||
      (estimators !== undefined && !estimators.includes(estimator)) ||
      (label.dataset.nonresponse !== undefined && !nonresponse);
  }
  const units = select("auxiliary").querySelector<HTMLOptionElement>('option[value="units"]');
  if (units) units.hidden = !CLUSTER_DESIGNS.includes(design);
}

/** The cluster design's settings as the form shows them, or null under another design. */
export function clusterSettings() {
  const design = select("design").value;
  if (!CLUSTER_DESIGNS.includes(design)) return null;
  return {
    design,
    variable: Number(select("cluster-variable").value),
    clusters: input("clusters").value,
    unitsPerCluster: input("units-per-cluster").value,
    target: Number(select("target").value),
  };
}

/** The form as tarvek-batch's options; the seed only when asked for. */
export function argumentsFromForm(intervals: boolean, withSeed: boolean): string[] {
  const design = select("design").value;
  const estimator = select("estimator").value;
  const args = ["-t", select("target").value, "-n", input("sample-size").value, "-d", design];
  if (design === "pps" || design === "stratified") args.push("-a", select("design-variable").value);
  if (design === "stratified") args.push("--allocation", select("allocation").value);
  if (design === "stratified" && select("strata-classes").value) {
    args.push("--strata-classes", select("strata-classes").value);
  }
  if (design === "systematic" && select("order").value) args.push("--order", select("order").value);
  if (CLUSTER_DESIGNS.includes(design)) {
    args.push("--cluster-variable", select("cluster-variable").value, "--clusters", input("clusters").value);
  }
  if (design === "two-stage") args.push("--units-per-cluster", input("units-per-cluster").value);
  args.push("-e", estimator);
  if (estimator !== "direct") args.push("-a", select("auxiliary").value);
  if (input("nonresponse").checked) {
    const by = select("nonresponse-variable").value;
    args.push("--nonresponse", `${by}:${input("nonresponse-min").value}:${input("nonresponse-max").value}`);
  }
  args.push("-s", input("simulations").value);
  if (intervals) args.push("--intervals");
  const low = input("scale-low").value.trim();
  const high = input("scale-high").value.trim();
  if (low || high) args.push("--scale", `${low}:${high}`);
  args.push("--compression", select("compression").value);
  if (input("colour-missed").checked) args.push("--colour-missed");
  if (input("mark-full").checked) args.push("--mark-full");
  if (withSeed) args.push("--seed", input("seed").value);
  return args;
}

/** The design and estimator of the form as one variant of tarvek-batch's --compare (DESIGN/ESTIMATOR). */
export function variantFromForm(): string {
  const design = select("design").value;
  const fields = [design];
  if (design === "pps" || design === "stratified") fields.push(select("design-variable").value);
  if (design === "stratified") fields.push(select("allocation").value);
  if (design === "stratified" && select("strata-classes").value) fields.push(select("strata-classes").value);
  if (design === "systematic" && select("order").value) fields.push(select("order").value);
  if (CLUSTER_DESIGNS.includes(design)) fields.push(select("cluster-variable").value, input("clusters").value);
  if (design === "two-stage") fields.push(input("units-per-cluster").value);
  const estimator = select("estimator").value;
  const auxiliary = estimator === "direct" ? "" : `:${select("auxiliary").value}`;
  return `${fields.join(":")}/${estimator}${auxiliary}`;
}

/** A variable given by number or by name, as the list's value. */
function variableValue(value: string, population: Population): string {
  const index = population.names.indexOf(value);
  return index >= 0 ? String(index + 1) : value;
}

const LONG_NAMES: Record<string, string> = {
  "--target": "-t",
  "--sample-size": "-n",
  "--design": "-d",
  "--auxiliary": "-a",
  "--estimator": "-e",
  "--simulations": "-s",
};

/** Sets the form from options such as a lesson's; returns whether they ask for intervals. */
export function formFromArguments(args: string[], population: Population): boolean {
  let auxiliaryOf: "design" | "estimator" = "design";
  let intervals = false;
  const variable = (value: string) => variableValue(value, population);
  // Without --scale the engine takes the target's minimum and maximum.
  input("scale-low").value = "";
  input("scale-high").value = "";
  for (let i = 0; i < args.length; ++i) {
    const option = LONG_NAMES[args[i]] ?? args[i];
    const value = args[i + 1] ?? "";
    const setters: Record<string, () => void> = {
      "-t": () => (select("target").value = variable(value)),
      "-n": () => (input("sample-size").value = value),
      "-d": () => {
        select("design").value = value;
        auxiliaryOf = "design";
      },
      "-e": () => {
        select("estimator").value = value;
        auxiliaryOf = "estimator";
      },
      "-a": () => (select(auxiliaryOf === "design" ? "design-variable" : "auxiliary").value = variable(value)),
      "--allocation": () => (select("allocation").value = value),
      "--strata-classes": () => (select("strata-classes").value = value),
      "--order": () => (select("order").value = variable(value)),
      "--cluster-variable": () => (select("cluster-variable").value = variable(value)),
      "--clusters": () => (input("clusters").value = value),
      "--units-per-cluster": () => (input("units-per-cluster").value = value),
      "--nonresponse": () => {
        const [by, low, high] = value.split(":");
        input("nonresponse").checked = true;
        select("nonresponse-variable").value = variable(by);
        input("nonresponse-min").value = low;
        input("nonresponse-max").value = high;
      },
      "-s": () => (input("simulations").value = value),
      "--scale": () => {
        const [low, high] = value.split(":");
        input("scale-low").value = low;
        input("scale-high").value = high;
      },
      "--compression": () => (select("compression").value = value),
      "--seed": () => (input("seed").value = value),
    };
    const flags: Record<string, () => void> = {
      "--intervals": () => (intervals = true),
      "--colour-missed": () => (input("colour-missed").checked = true),
      "--mark-full": () => (input("mark-full").checked = true),
    };
    if (flags[option]) flags[option]();
    else if (setters[option]) {
      setters[option]();
      ++i;
    }
  }
  showRelevantFields();
  return intervals;
}
