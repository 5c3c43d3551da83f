#pragma once
// The engine of the browser page: one JSON request in, one JSON response out.
// It keeps what one desktop session keeps (the record, the run of the current
// settings, the last delimited table read) and answers with the texts and
// numbers of tarvek-batch's own functions, so that the page computes nothing.
//
// Requests are objects with an "op"; every response has "ok", and "message"
// when a request is refused; a refused request changes nothing. The ops:
//   open {name}                 reads the bytes last put by the name's extension
//   import {columns, dropMissing}
//   missing_rows {columns}      the import dialog's count for the ticked columns
//   cluster_summary {design, variable, clusters, unitsPerCluster, target?}
//   configure {arguments}       tarvek-batch's options for the current population
//   lesson {text}, apply_lesson {text}, save_lesson {slowMotion?, fitScale?}
//   begin {graph?, fitScale?}, next {count}, statistics, sample
//   compare {variants, samples, intervals, mcError}
//   estimates_csv, run_json, describe, write_population, version
//   run_state, end_run, plot_style
// web/protocol.json declares every request's fields and every answer's; the
// page's types are generated from it and the driver's tests hold the answers
// to it.
// Where these differ from the page's first plan:
//   - statistics: no "lines"; "rows" is every line of the table in order, each
//     {"label", "value"} (a spacer row has both empty), as tarvek-batch writes
//     them (the allocation, the design effect, the Monte Carlo errors and the
//     correct intervals among them), with "Simulations" reading "250 of 1000"
//     while the run is incomplete.
//   - configure and apply_lesson: "caption" is the information panel's lines,
//     each {"label", "value"} ("Population:", "MU284 ..."), and "Seed:" once
//     the generator was started at a seed other than 0.
//   - begin: the graph follows the settings (--intervals); a "graph" that
//     differs is refused. With "fitScale": true the run takes the scale fitted
//     to the estimator's theory, as the desktop's "Fit the scale to the
//     estimator" does.
//   - next: "message" holds the refusal text when the run stopped at the bound
//     on rejected draws, else null.
//   - lesson: "arguments" hold the lesson's options without the population;
//     "switches" holds the lesson's view switches (colourMissed, markFull,
//     slowMotion, fitScale), of which the page applies slow motion and the
//     fitted scale itself.
//   - compare: "table" also has "text", the whole table as tarvek-batch prints it;
//     "message" holds the refusal text of designs stopped at the bound, else null;
//     "axis" is the box plots' common scale as the renderer draws it: {"low",
//     "high", "labels": [the texts under its left end, middle and right end]}.
//   - save_lesson -> {"text"}: the lesson file the desktop saves of the session
//     (the population by its file name with N, K and checksum, the columns of an
//     import, every setting, the graph's marks, the page's slow motion and
//     fitted scale as given, and the generator's present seed).
//   - write_population -> {"text"}: the population as a .pop file, as
//     tarvek-batch --write-population writes it.
//   - missing_rows {"columns": [0-based indexes into the last table's columns]}
//     -> {"rows": R, "text": "Rows with a missing value in a ticked column: R of N"},
//     the import dialog's live count of the rows "dropMissing" would leave out.
//   - cluster_summary {"design": "cluster"|"two-stage", "variable": the cluster
//     variable 1..K, "clusters": m and "unitsPerCluster": k as the fields' texts
//     (0 unless a whole number), "target": 1..K (else the record's)} -> {"rows":
//     [{"label", "value"}]}, the cluster dialog's summary (M, cluster sizes,
//     intraclass correlation, units expected, design effects); the record stays.
//   - begin, next, run_state and end_run: "run" says whether a run of the
//     settings in force is "open" (begun, and not ended by new settings, a new
//     population or end_run), how many samples it drew and whether it
//     "finished"; the page asks here rather than keeping its own copy.
//   - begin and next: "graph" also carries the geometry the renderer derives
//     from the frame (the plot's top, the ticks, each class's bar edges and
//     whether it is full, each interval row's y), so the page copies no rule.
//   - plot_style -> {"colours": the renderer's colours by name as CSS rgb(),
//     "frame": the plot frame's place in the window, "intervalPen", "fullMark"
//     and "box": the pictures' pixel rules that no run's frame decides}.
//   - a request's own fields are checked first: a missing or mistyped field
//     is refused with a message naming it.

#include <string>
#include <string_view>
#include <vector>

/// \brief Answers one request (a JSON object) with one JSON object on one line.
std::string HandleRequest(std::string_view json);

/// \brief The names of the requests answered, in order.
std::vector<std::string> RequestNames();

/// \brief Keeps a file's bytes for the next "open".
void PutFile(std::string bytes);
