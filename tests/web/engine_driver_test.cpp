// The browser page's engine driver against tarvek-batch itself: the same
// options give the same statistics, JSON, CSV and comparison texts, and a
// refused request changes neither the population, the settings nor the
// random sequence. Every answer is as web/protocol.json declares it.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/delimited_file.h"
#include "core/simulation_state.h"
#include "engine/cluster_summary_rows.h"
#include "engine/comparison.h"
#include "engine/designs/sampling_design.h"
#include "engine/lesson.h"
#include "web/driver/engine_driver.h"

namespace {

using Json = nlohmann::json;

const std::string Examples = TARVEK_EXAMPLES;

std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

/// tarvek-batch's standard output for `arguments`, run in the examples'
/// folder so that the population's name is the one the driver opened.
std::string Batch(const std::string& arguments)
{
    const std::string command = "cd '" + Examples + "' && '" TARVEK_BATCH "' " + arguments + " 2>/dev/null";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        output.append(buffer, got);
    }
    pclose(pipe);
    return output;
}

/// The response to `request`, which must be one line, as the driver's script
/// writes one response a line.
Json Request(const Json& request)
{
    const std::string response = HandleRequest(request.dump());
    EXPECT_EQ(response.find('\n'), std::string::npos) << request.dump() << " -> " << response;
    return Json::parse(response);
}

/// A request that must be answered; its response.
Json Answered(const Json& request)
{
    const Json response = Request(request);
    EXPECT_TRUE(response["ok"].get<bool>()) << request.dump() << " -> " << response.dump();
    return response;
}

void OpenExample(const std::string& name)
{
    PutFile(FileBytes(Examples + "/" + name));
    Answered({{"op", "open"}, {"name", name}});
}

std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char c : text + " ") {
        if (c != ' ') {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

std::string Hex(std::uint64_t value)
{
    char text[20];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

/// The statistics rows as tarvek-batch writes its table.
std::string TableText(const Json& statistics)
{
    std::string text;
    for (const Json& row : statistics["rows"]) {
        const std::string label = row["label"], value = row["value"];
        text += label.empty() && value.empty() ? "\n" : label + "\t" + value + "\n";
    }
    return text;
}

TEST(EngineDriver, RunsAsTarvekBatchDoes)
{
    struct Case {
        std::string population;
        std::string options;
        std::vector<int> slices;  // the samples each "next" asks for
    };
    const std::vector<Case> cases = {
        {"mu284.pop", "-e ratio -a 2 --seed 7", {1000}},
        {"mu284.pop", "-e ratio -a 2 --intervals --colour-missed --seed 0", {1, 29, 200, 5000}},
        {"classroom.pop",
         "-d stratified -a 4 --allocation optimal -n 12 --intervals --mc-error -s 300 --seed 9",
         {7, 300}},
        {"mu284.pop", "-d cluster --cluster-variable 10 --clusters 5 -e ratio -a units --seed 2", {400, 600}},
        {"mu284.pop", "--nonresponse 2:20:80 -d pps -a 2 --seed 4", {999, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        OpenExample(c.population);
        Answered({{"op", "configure"}, {"arguments", Words(c.options)}});
        Answered({{"op", "begin"}});
        for (const int count : c.slices) {
            Answered({{"op", "next"}, {"count", count}});
        }
        const std::string line = c.options + " " + c.population;
        EXPECT_EQ(TableText(Answered({{"op", "statistics"}})), Batch(line));
        EXPECT_EQ(Answered({{"op", "run_json"}})["text"], Batch("--json " + line));
        EXPECT_EQ(Answered({{"op", "estimates_csv"}})["text"], Batch("--estimates - " + line));
    }
}

TEST(EngineDriver, AppliesALessonAsTarvekBatchDoes)
{
    const std::string population = Examples + "/mu284.pop";
    const std::string lesson = "population = " + population + "\npopulation-check = 284 10 " +
                               Hex(PopulationChecksum(FileBytes(population))) +
                               "\ntarget = 3\nsample-size = 20\ndesign = equal\nestimator = ratio\n"
                               "auxiliary = 2\nsimulations = 500\nintervals = yes\nseed = 31\n";
    const std::string lessonPath = testing::TempDir() + "driver.lesson";
    std::ofstream(lessonPath) << lesson;

    const Json parsed = Answered({{"op", "lesson"}, {"text", lesson}});
    EXPECT_EQ(parsed["population"], population);
    EXPECT_EQ(parsed["arguments"][0], "--target");
    OpenExample("mu284.pop");
    Answered({{"op", "apply_lesson"}, {"text", lesson}});
    Answered({{"op", "begin"}, {"graph", "intervals"}});
    Answered({{"op", "next"}, {"count", 500}});
    EXPECT_EQ(TableText(Answered({{"op", "statistics"}})), Batch(lessonPath));

    // A lesson saved in the middle of a session starts tarvek-batch where the
    // session goes on, beside a copy of its population.
    Answered(
        {{"op", "configure"}, {"arguments", Words("-e regression -a 2 --intervals --colour-missed -s 300")}});
    Answered({{"op", "begin"}});
    Answered({{"op", "next"}, {"count", 50}});
    const Json saved = Answered({{"op", "save_lesson"}, {"slowMotion", true}});
    const std::string savedPath = testing::TempDir() + "saved.lesson";
    std::ofstream(savedPath) << saved["text"].get<std::string>();
    std::ofstream(testing::TempDir() + "mu284.pop", std::ios::binary) << FileBytes(population);
    const Lesson reread = ParseLesson(saved["text"].get<std::string>());
    EXPECT_EQ(reread.population, "mu284.pop");
    EXPECT_EQ(reread.switches, (LessonSwitches{true, false, true, false}));
    Answered({{"op", "begin"}});
    Answered({{"op", "next"}, {"count", 300}});
    EXPECT_EQ(TableText(Answered({{"op", "statistics"}})), Batch(savedPath));
}

// A lesson of a file whatever its name applies to it; without a scale the
// scale is the target's, as the options without --scale give it.
TEST(EngineDriver, AppliesALessonOnAnyFileNameAndWithoutAScale)
{
    OpenExample("mu284.pop");
    const Json expected =
        Answered({{"op", "configure"}, {"arguments", {"-t", "2", "-s", "200"}}})["settings"];
    for (const std::string name : {"-mu284.pop", " mu284.pop", "mu284.pop\t"}) {
        SCOPED_TRACE(name);
        PutFile(FileBytes(Examples + "/mu284.pop"));
        Answered({{"op", "open"}, {"name", name}});
        Answered({{"op", "configure"}, {"arguments", {"-t", "2", "-s", "200"}}});
        std::string text = Answered({{"op", "save_lesson"}})["text"];
        EXPECT_EQ(ParseLesson(text).population, name);
        const std::size_t scale = text.find("\nscale = ");
        text.erase(scale, text.find('\n', scale + 1) - scale);
        Answered({{"op", "configure"}, {"arguments", {"--scale", "1:2"}}});
        const Json applied = Answered({{"op", "apply_lesson"}, {"text", text}})["settings"];
        EXPECT_EQ(applied["scale_lower"], expected["scale_lower"]);
        EXPECT_EQ(applied["scale_upper"], expected["scale_upper"]);
        EXPECT_EQ(Answered({{"op", "lesson"}, {"text", text}})["population"], name);
    }
}

TEST(EngineDriver, ComparesAsTarvekBatchDoes)
{
    struct Case {
        std::string variants;
        int samples;
        bool intervals;
        bool mcError;
    };
    const std::vector<Case> cases = {
        {"equal/direct,equal/ratio:2,pps:2/direct", 500, false, false},
        {"systematic:2/direct,equal/poststrat:9", 300, true, true},
    };
    OpenExample("mu284.pop");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variants);
        const Json request = {{"op", "compare"},
                              {"variants", c.variants},
                              {"samples", c.samples},
                              {"intervals", c.intervals},
                              {"mcError", c.mcError}};
        const std::string line = "--compare " + c.variants + " -s " + std::to_string(c.samples) +
                                 (c.intervals ? " --intervals" : "") + (c.mcError ? " --mc-error" : "") +
                                 " mu284.pop";
        Answered({{"op", "configure"}, {"arguments", {"--seed", "0"}}});
        const Json response = Answered(request);
        EXPECT_EQ(response["result"], Json::parse(Batch("--json " + line)));
        Answered({{"op", "configure"}, {"arguments", {"--seed", "0"}}});
        EXPECT_EQ(Answered(request)["table"]["text"], Batch(line));
        EXPECT_EQ(response["boxes"].size(), std::count(c.variants.begin(), c.variants.end(), ',') + 1u);
        // The axis the renderer draws for these boxes, from the summaries sent.
        std::vector<BoxSummary> boxes;
        for (const Json& box : response["boxes"]) {
            boxes.push_back({true, box["lowerWhisker"], box["lowerQuartile"], box["median"],
                             box["upperQuartile"], box["upperWhisker"], box["outliers"]});
        }
        const BoxAxis axis = BoxAxisFor(boxes, response["result"]["runs"].back()["population_mean"]);
        const std::array<std::string, 3> labels = BoxAxisLabels(axis);
        EXPECT_EQ(response["axis"]["labels"], Json(labels));
        EXPECT_EQ(response["axis"]["low"], axis.low);
        EXPECT_EQ(response["axis"]["high"], axis.high);
    }
}

TEST(EngineDriver, RefusalsChangeNothing)
{
    const std::string NotAPopulation = "Bad\n2 1\nx\n1\nnot-a-number\n";
    const std::string setup = "-e ratio -a 2 --intervals --seed 11";
    // The samples a fresh run of `setup` draws after whatever came before.
    const auto firstSamples = [&](const std::vector<Json>& before) {
        OpenExample("mu284.pop");
        Answered({{"op", "configure"}, {"arguments", Words(setup)}});
        PutFile(NotAPopulation);
        for (const Json& request : before) {
            Request(request);
        }
        Answered({{"op", "begin"}});
        return Answered({{"op", "next"}, {"count", 40}}).dump() + Answered({{"op", "describe"}}).dump();
    };
    struct Refused {
        Json request;
        std::string message;
    };
    const std::vector<Refused> refusals = {
        {{{"op", "configure"}, {"arguments", {"-s", "20", "-n", "1"}}},
         "The sample size must be from 2 to 284!"},
        {{{"op", "configure"}, {"arguments", {"-n", "20", "-e", "ratio"}}},
         "The design pps and the ratio, regression and post-stratification estimators need --auxiliary!"},
        {{{"op", "configure"}, {"arguments", {"--plot", "x.png"}}}, "The option --plot cannot be used here!"},
        {{{"op", "configure"}, {"arguments", {"mu284.pop"}}},
         "only one population file may be given, not also 'mu284.pop'"},
        {{{"op", "next"}, {"count", 1.5}}, "\"count\" must be a whole number from 1 to 1000000!"},
        {{{"op", "begin"}, {"graph", "histogram"}}, "The settings show the graph intervals!"},
        {{{"op", "compare"}, {"variants", "equal/bogus"}, {"samples", 100}},
         "invalid variant 'equal/bogus' for --compare (expected DESIGN/ESTIMATOR, see --help)"},
        {{{"op", "compare"}, {"variants", "equal/direct,stratified:9:proportional/direct"}, {"samples", 100}},
         "The sample size is too small for the strata!"},
        {{{"op", "import"}, {"columns", {"Nothing"}}}, "No CSV, TSV or TXT file has been opened!"},
        {{{"op", "apply_lesson"}, {"text", "population = mu284.pop\npopulation-check = 284 10 1\n"}},
         "The lesson's population mu284.pop has changed since the lesson was saved!"},
        {{{"op", "open"}, {"name", "bad.pop"}}, "Invalid numeric input"},
        {{{"op", "frobnicate"}}, "Unknown request \"frobnicate\"!"},
        {{{"op", "missing_rows"}, {"columns", Json::array()}}, "No CSV, TSV or TXT file has been opened!"},
        {{{"op", "cluster_summary"}, {"design", "pps"}, {"variable", 10}, {"clusters", "5"}},
         "\"design\" must be \"cluster\" or \"two-stage\"!"},
        {{{"op", "cluster_summary"}, {"design", "cluster"}, {"variable", 11}, {"clusters", "5"}},
         "\"variable\" must be a whole number from 1 to 10!"},
    };
    const std::string plain = firstSamples({});
    for (const Refused& refused : refusals) {
        SCOPED_TRACE(refused.request.dump());
        PutFile(NotAPopulation);
        const Json response = Request(refused.request);
        EXPECT_FALSE(response["ok"].get<bool>());
        EXPECT_EQ(response["message"], refused.message);
        EXPECT_EQ(firstSamples({refused.request}), plain);
    }
}

TEST(EngineDriver, ARefusedBeginLeavesTheRunUnderWay)
{
    OpenExample("mu284.pop");
    Answered({{"op", "configure"}, {"arguments", Words("-e ratio -a 2 --intervals -s 100")}});
    Answered({{"op", "begin"}});
    Answered({{"op", "next"}, {"count", 10}});
    int drawn = 10;
    for (const Json& refused :
         {Json{{"op", "begin"}, {"graph", "histogram"}}, Json{{"op", "begin"}, {"fitScale", "yes"}}}) {
        SCOPED_TRACE(refused.dump());
        EXPECT_FALSE(Request(refused)["ok"].get<bool>());
        drawn += 5;
        EXPECT_EQ(Answered({{"op", "next"}, {"count", 5}})["run"]["samplesDrawn"], drawn);
    }
}

TEST(EngineDriver, APopulationWithoutUnitsIsRefusedAndTheOneOpenStays)
{
    OpenExample("mu284.pop");
    const Json before = Answered({{"op", "describe"}});
    const std::string refusal = "The population has no units!";
    for (const std::string bytes : {"", "none\n0 0\n", "old\r2 1\rv\r1\r2\r"}) {
        SCOPED_TRACE(bytes);
        PutFile(bytes);
        EXPECT_EQ(Request({{"op", "open"}, {"name", "empty.pop"}})["message"], refusal);
    }
    PutFile("a,b\n1,\n,2\n");
    Answered({{"op", "open"}, {"name", "gaps.csv"}});
    EXPECT_EQ(Request({{"op", "import"}, {"columns", {"a", "b"}}, {"dropMissing", true}})["message"],
              refusal);
    EXPECT_EQ(Answered({{"op", "describe"}}), before);
}

TEST(EngineDriver, ImportsTheChosenColumnsOfATable)
{
    OpenExample("mu284.pop");
    const Json before = Answered({{"op", "describe"}});
    PutFile("name,score,group\nann,3,a\nbob,,b\ncid,5,a\n");
    const Json table = Answered({{"op", "open"}, {"name", "class.csv"}});
    EXPECT_EQ(table["rows"], 3);
    EXPECT_EQ(table["columns"][0]["categorical"], true);
    EXPECT_EQ(table["columns"][1]["missing"], 1);
    EXPECT_EQ(table["columns"][2]["labels"], 2);

    const Json refused = Request({{"op", "import"}, {"columns", {"group", "score"}}});
    EXPECT_EQ(refused["message"], "Line 3: missing value in column score!");
    EXPECT_EQ(Answered({{"op", "describe"}}), before);

    const Json imported =
        Answered({{"op", "import"}, {"columns", {"group", "score"}}, {"dropMissing", true}});
    EXPECT_EQ(imported["dropped"], 1);
    EXPECT_EQ(imported["population"]["units"], 2);
    EXPECT_EQ(imported["population"]["codes"][0], Json({"a", "b"}));
    EXPECT_EQ(imported["population"]["summary"][1]["mean"], 4);

    OpenExample("classroom.csv");
    Answered({{"op", "import"}, {"columns", {"Travel", "Mark"}}});
    EXPECT_EQ(Answered({{"op", "write_population"}})["text"],
              Batch("--columns Travel,Mark --write-population - classroom.csv"));
}

// The live texts of the import step and the cluster design's settings, as the
// desktop dialogs compute them; neither changes the record.
TEST(EngineDriver, ShowsTheDialogsLiveSummaries)
{
    const std::string csv = "name,score,group,mark\nann,3,a,\nbob,,b,2\ncid,5,,1\ndan,4,a,3\n";
    PutFile(csv);
    Answered({{"op", "open"}, {"name", "class.csv"}});
    const DelimitedTable table = ParseDelimitedText(csv, "class");
    for (const std::vector<int>& ticked : std::vector<std::vector<int>>{{}, {0}, {1}, {1, 3}, {0, 1, 2, 3}}) {
        const Json response = Answered({{"op", "missing_rows"}, {"columns", ticked}});
        EXPECT_EQ(response["rows"], RowsWithMissingValue(table, ticked));
        EXPECT_EQ(response["text"], MissingRowsText(table, ticked));
    }
    EXPECT_EQ(Answered({{"op", "missing_rows"}, {"columns", {1, 3}}})["text"],
              "Rows with a missing value in a ticked column: 2 of 4");
    EXPECT_EQ(Request({{"op", "missing_rows"}, {"columns", {4}}})["message"],
              "\"column\" must be a whole number from 0 to 3!");

    struct Case {
        std::string design;
        int variable;
        std::string clusters, unitsPerCluster;
        int target;  // 0: the record's
    };
    const std::vector<Case> cases = {
        {"cluster", 10, "5", "", 0},  {"two-stage", 10, "8", "3", 0}, {"two-stage", 10, "x", "3", 2},
        {"cluster", 9, "500", "", 4}, {"two-stage", 1, "2", "0", 0},
    };
    OpenExample("mu284.pop");
    const Json before = Answered({{"op", "describe"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.design + " " + c.clusters + " " + c.unitsPerCluster);
        Json request = {{"op", "cluster_summary"},
                        {"design", c.design},
                        {"variable", c.variable},
                        {"clusters", c.clusters},
                        {"unitsPerCluster", c.unitsPerCluster}};
        if (c.target != 0) {
            request["target"] = c.target;
        }
        const Json response = Answered(request);
        const int recordTarget = SimulationState.targetVariable;
        SimulationState.targetVariable = c.target != 0 ? c.target : recordTarget;
        const bool twoStage = c.design == "two-stage";
        const std::vector<StatisticsRow> rows = ClusterSummaryRows(
            {twoStage ? DesignTwoStage : DesignCluster, c.variable, 0, ClusterFieldNumber(c.clusters),
             twoStage ? ClusterFieldNumber(c.unitsPerCluster) : 0});
        SimulationState.targetVariable = recordTarget;
        ASSERT_EQ(response["rows"].size(), rows.size());
        for (std::size_t row = 0; row < rows.size(); ++row) {
            EXPECT_EQ(response["rows"][row]["label"], rows[row].label);
            EXPECT_EQ(response["rows"][row]["value"], rows[row].value);
        }
        EXPECT_EQ(Answered({{"op", "describe"}}), before);
    }
    EXPECT_EQ(Answered({{"op", "cluster_summary"},
                        {"design", "cluster"},
                        {"variable", 10},
                        {"clusters", "5"}})["rows"][0]["value"],
              "50");
}

/// Whether a run is open, what it drew and whether it finished, as the page asks.
TEST(EngineDriver, ReportsWhetherARunIsOpen)
{
    struct Step {
        Json request;
        bool ok;
        std::tuple<bool, int, bool> run;  // open, samples drawn, finished
    };
    const Json configure = {{"op", "configure"}, {"arguments", Words("-s 100")}};
    const Json begin = {{"op", "begin"}};
    const Json next = {{"op", "next"}, {"count", 10}};
    const std::vector<Step> steps = {
        {configure, true, {false, 0, false}},
        {begin, true, {true, 0, false}},
        {next, true, {true, 10, false}},
        // A refused request changes nothing, the open run among it.
        {{{"op", "configure"}, {"arguments", Words("-n 1")}}, false, {true, 10, false}},
        {{{"op", "next"}, {"count", 1000}}, true, {true, 100, true}},
        {configure, true, {false, 0, false}},
        {begin, true, {true, 0, false}},
        {{{"op", "end_run"}}, true, {false, 0, false}},
        {begin, true, {true, 0, false}},
        {{{"op", "open"}, {"name", "mu284.pop"}}, true, {false, 0, false}},
    };
    OpenExample("mu284.pop");
    for (const Step& step : steps) {
        SCOPED_TRACE(step.request.dump());
        PutFile(FileBytes(Examples + "/mu284.pop"));
        EXPECT_EQ(Request(step.request)["ok"].get<bool>(), step.ok);
        const Json run = Answered({{"op", "run_state"}})["run"];
        EXPECT_EQ(std::make_tuple(run["open"].get<bool>(), run["samplesDrawn"].get<int>(),
                                  run["finished"].get<bool>()),
                  step.run);
    }
}

/// The declaration of web/protocol.json, and why a value is not as it declares ("" when it is).
class Protocol {
public:
    Protocol() : declaration_(Json::parse(FileBytes(TARVEK_PROTOCOL))) {}

    const Json& Requests() const { return declaration_["requests"]; }

    std::string Mismatch(const Json& value, const std::string& declared) const
    {
        std::istringstream alternatives(declared);
        std::string why = value.dump().substr(0, 60) + " is not " + declared;
        for (std::string alternative; std::getline(alternatives, alternative, '|');) {
            alternative.erase(0, alternative.find_first_not_of(' '));
            alternative.erase(alternative.find_last_not_of(' ') + 1);
            const std::string mismatch = AlternativeMismatch(value, alternative);
            if (mismatch.empty()) {
                return "";
            }
            why += "; " + mismatch;
        }
        return why;
    }

    /// An object with exactly the declared fields, the optional ones aside.
    std::string FieldsMismatch(const Json& value, const Json& fields) const
    {
        if (!value.is_object()) {
            return value.dump().substr(0, 60) + " is not an object";
        }
        std::set<std::string> declared;
        for (const auto& [key, type] : fields.items()) {
            const bool optional = key.ends_with('?');
            const std::string name = optional ? key.substr(0, key.size() - 1) : key;
            declared.insert(name);
            if (!value.contains(name)) {
                if (optional) {
                    continue;
                }
                return "\"" + name + "\" is missing";
            }
            if (std::string mismatch = Mismatch(value[name], type.get<std::string>()); !mismatch.empty()) {
                return "\"" + name + "\": " + mismatch;
            }
        }
        for (const auto& [key, item] : value.items()) {
            if (!declared.contains(key)) {
                return "\"" + key + "\" is not declared";
            }
        }
        return "";
    }

    /// An answer (without "ok") as declared: a type, an object's fields, or one of a list of them.
    std::string AnswerMismatch(const Json& answer, const Json& declared) const
    {
        if (declared.is_string()) {
            return Mismatch(answer, declared.get<std::string>());
        }
        if (declared.is_object()) {
            return FieldsMismatch(answer, declared);
        }
        std::string why;
        for (const Json& alternative : declared) {
            const std::string mismatch = FieldsMismatch(answer, alternative);
            if (mismatch.empty()) {
                return "";
            }
            why += mismatch + "; ";
        }
        return why;
    }

private:
    std::string AlternativeMismatch(const Json& value, const std::string& type) const
    {
        if (type.ends_with("[]")) {
            if (!value.is_array()) {
                return "not a list";
            }
            for (const Json& item : value) {
                if (std::string mismatch = AlternativeMismatch(item, type.substr(0, type.size() - 2));
                    !mismatch.empty()) {
                    return mismatch;
                }
            }
            return "";
        }
        const std::map<std::string, bool> scalars = {
            {"number", value.is_number()}, {"string", value.is_string()}, {"boolean", value.is_boolean()},
            {"null", value.is_null()},     {"object", value.is_object()},
        };
        if (const auto scalar = scalars.find(type); scalar != scalars.end()) {
            return scalar->second ? "" : "not " + type;
        }
        if (type.size() >= 2 && type.front() == '\'' && type.back() == '\'') {
            return value == type.substr(1, type.size() - 2) ? "" : "not " + type;
        }
        const Json& named = declaration_["types"].at(type);
        return named.is_string() ? Mismatch(value, named.get<std::string>()) : FieldsMismatch(value, named);
    }

    Json declaration_;
};

/// A session that makes every request declared in web/protocol.json, each as
/// declared: every answer is as declared, and the driver answers no other.
TEST(EngineDriver, AnswersAsTheProtocolDeclares)
{
    const Protocol protocol;
    std::set<std::string> declared;
    for (const auto& [op, item] : protocol.Requests().items()) {
        declared.insert(op);
    }
    const std::vector<std::string> answered = RequestNames();
    EXPECT_EQ(std::set<std::string>(answered.begin(), answered.end()), declared);

    const std::string lesson =
        "population = mu284.pop\npopulation-check = 284 10 " +
        Hex(PopulationChecksum(FileBytes(Examples + "/mu284.pop"))) +
        "\ntarget = 3\nsample-size = 20\nsimulations = 100\nmark-full = yes\nslow-motion = yes\n";
    const std::vector<std::pair<std::string, Json>> session = {
        {"", {{"op", "version"}}},
        {"", {{"op", "plot_style"}}},
        {"", {{"op", "run_state"}}},
        {"mu284.pop", {{"op", "open"}, {"name", "mu284.pop"}}},
        {"", {{"op", "describe"}}},
        {"", {{"op", "write_population"}}},
        {"",
         {{"op", "cluster_summary"},
          {"design", "two-stage"},
          {"variable", 10},
          {"clusters", "8"},
          {"unitsPerCluster", "3"},
          {"target", 2}}},
        {"", {{"op", "configure"}, {"arguments", Words("-e ratio -a 2 --intervals -s 50")}}},
        {"", {{"op", "begin"}, {"graph", "intervals"}}},
        {"", {{"op", "next"}, {"count", 60}}},
        {"", {{"op", "statistics"}}},
        {"", {{"op", "sample"}}},
        {"", {{"op", "estimates_csv"}}},
        {"", {{"op", "run_json"}}},
        {"", {{"op", "end_run"}}},
        {"", {{"op", "lesson"}, {"text", lesson}}},
        {"", {{"op", "apply_lesson"}, {"text", lesson}}},
        {"", {{"op", "begin"}, {"fitScale", true}}},
        {"", {{"op", "next"}, {"count", 10}}},
        {"", {{"op", "save_lesson"}, {"slowMotion", true}, {"fitScale", false}}},
        {"",
         {{"op", "compare"},
          {"variants", "equal/direct,equal/ratio:2"},
          {"samples", 50},
          {"intervals", true},
          {"mcError", true}}},
        {"classroom.csv", {{"op", "open"}, {"name", "classroom.csv"}}},
        {"", {{"op", "missing_rows"}, {"columns", {0, 1}}}},
        {"", {{"op", "import"}, {"columns", {"Mark", "Set"}}, {"dropMissing", true}}},
    };
    std::set<std::string> made;
    for (const auto& [file, request] : session) {
        SCOPED_TRACE(request.dump());
        if (!file.empty()) {
            PutFile(FileBytes(Examples + "/" + file));
        }
        const std::string op = request["op"];
        const Json& declaration = protocol.Requests()[op];
        Json fields = request;
        fields.erase("op");
        EXPECT_EQ(protocol.FieldsMismatch(fields, declaration["request"]), "");
        Json answer = Answered(request);
        answer.erase("ok");
        EXPECT_EQ(protocol.AnswerMismatch(answer, declaration["answer"]), "");
        made.insert(op);
    }
    EXPECT_EQ(made, declared);
}

}  // namespace
