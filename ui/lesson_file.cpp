#include "ui/lesson_file.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <utility>

#include "core/delimited_file.h"
#include "core/population_file.h"
#include "core/simulation_state.h"
#include "ui/example_data.h"

namespace {

QString FromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

/// A lesson's "columns = a,b" line reads the names back only when none of them
/// holds a separator or a line end, or begins or ends with a blank.
bool FitsAColumnsLine(const std::string& name)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !name.empty() && name.find_first_of(",\r\n") == std::string::npos && !blank(name.front()) &&
           !blank(name.back());
}

/// Why a lesson naming `names` would not read `columns` again; "" when it would.
std::string ColumnNamesRefusal(const DelimitedTable& table, const std::vector<std::string>& names,
                               const std::vector<int>& columns)
{
    for (const std::string& name : names) {
        if (!FitsAColumnsLine(name)) {
            return "A lesson cannot name the column '" + name + "' of this file!";
        }
    }
    std::vector<int> found;
    if (const std::string refusal = ColumnsNamed(table, names, found); !refusal.empty()) {
        return "A lesson cannot name these columns: " + refusal + "!";
    }
    if (found != columns) {
        return "A lesson cannot name these columns: an earlier column of the file has the same name!";
    }
    return "";
}

/// The population as a lesson saved at `lessonPath` names it: an example by its
/// file name alone, so that it is found wherever the examples are installed.
std::string PopulationName(const std::string& lessonPath, const std::string& populationPath)
{
    const QString population = FromPath(populationPath);
    if (IsExampleFile(population)) {
        return ToPath(QFileInfo(population).fileName());
    }
    return PopulationPathForLesson(lessonPath, populationPath);
}

/// The lesson's population where it names it or beside the lesson; failing
/// that, an example of that name.
std::string PopulationPathOf(const std::string& lessonPath, const Lesson& lesson)
{
    if (std::string found = ExistingLessonPopulation(lessonPath, lesson); !found.empty()) {
        return found;
    }
    const QString example = ExampleFile(FromPath(LessonPopulationFileName(lesson)));
    return example.isEmpty() ? LessonPopulationPath(lessonPath, lesson) : ToPath(example);
}

/// A run here draws at most MaxSamples samples: a lesson that asks for more
/// (written by tarvek-batch or the page) opens with that many; the notice says so.
std::string LimitSimulations(Lesson& lesson)
{
    if (lesson.simulations <= MaxSamples) {
        return "";
    }
    const std::string asked = std::to_string(lesson.simulations);
    lesson.simulations = MaxSamples;
    const std::string most = std::to_string(MaxSamples);
    return "The lesson asks for " + asked + " simulations; a run here draws at most " + most +
           ", so it opens with " + most + " simulations.";
}

/// The lesson's population from its file: a delimited file's columns by their
/// names (the first usable ones when the lesson names none); `source` learns them.
PopulationContents ReadLessonPopulation(const Lesson& lesson, PopulationSource& source)
{
    const std::string& path = source.path;
    if (!IsDelimitedFileName(path)) {
        if (!lesson.columns.empty()) {
            throw LessonError(LessonColumnsNeedTableMessage(path));
        }
        return ReadPopulationFile(path);
    }
    const DelimitedTable table = ReadDelimitedFile(path);
    std::vector<int> columns = FirstUsableColumns(table);
    if (!lesson.columns.empty()) {
        if (const std::string refusal = ColumnsNamed(table, lesson.columns, columns); !refusal.empty()) {
            throw LessonError(LessonColumnsRefusal(path, refusal));
        }
    }
    NameColumns(source, table, columns, lesson.dropMissing);
    return DelimitedPopulation(table, columns, lesson.dropMissing);
}

}  // namespace

PopulationSource FileSource(const std::string& path)
{
    PopulationSource source;
    source.path = path;
    try {
        source.checksum = PopulationChecksum(ReadFileBytes(path));
    } catch (const LessonError& error) {
        source.lessonRefusal = error.what();
    }
    return source;
}

void NameColumns(PopulationSource& source, const DelimitedTable& table, const std::vector<int>& columns,
                 bool dropMissing)
{
    source.columns.clear();
    for (const int j : columns) {
        source.columns.push_back(table.columns[static_cast<std::size_t>(j)].name);
    }
    source.dropMissing = dropMissing;
    if (source.lessonRefusal.empty()) {
        source.lessonRefusal = ColumnNamesRefusal(table, source.columns, columns);
    }
}

std::string LessonFileText(const std::string& lessonPath, const PopulationSource& source,
                           const LessonSwitches& switches)
{
    if (!source.lessonRefusal.empty()) {
        throw LessonError(source.lessonRefusal);
    }
    Lesson lesson = LessonOfRecord(switches);
    lesson.population = PopulationName(lessonPath, source.path);
    lesson.units = SimulationState.unitCount;
    lesson.variables = SimulationState.variableCount;
    lesson.checksum = source.checksum;
    lesson.columns = source.columns;
    lesson.dropMissing = source.dropMissing;
    return LessonText(lesson);
}

std::string OutsideFolderWarning(const std::string& lessonPath, const PopulationSource& source)
{
    if (!QFileInfo(FromPath(PopulationName(lessonPath, source.path))).isAbsolute()) {
        return "";
    }
    return "The population " + ToPath(QFileInfo(FromPath(source.path)).fileName()) +
           " lies outside the lesson's folder: when you pass the lesson on, put a copy of it beside the "
           "lesson.";
}

OpenedLesson OpenLessonFile(const std::string& lessonPath)
{
    const std::string text = ReadLessonFile(lessonPath);
    OpenedLesson opened;
    try {
        opened.lesson = ParseLesson(text);
    } catch (const LessonError& error) {
        throw LessonError(lessonPath + ": " + error.what());
    }
    opened.notice = LimitSimulations(opened.lesson);
    const Lesson& lesson = opened.lesson;
    PopulationSource& source = opened.source;
    source.path = PopulationPathOf(lessonPath, lesson);
    source.checksum = lesson.checksum;
    if (const std::string refusal = PopulationFileRefusal(lesson, source.path); !refusal.empty()) {
        throw LessonError(refusal);
    }
    PopulationContents population;
    try {
        population = ReadLessonPopulation(lesson, source);
    } catch (const PopulationFileError& error) {
        throw PopulationFileError(source.path + ": " + error.what());
    }
    // The population and every setting change together, or not at all.
    const TSimulationState before = SimulationState;
    AdoptPopulation(std::move(population));
    std::string refusal = PopulationSizeRefusal(lesson);
    if (refusal.empty()) {
        refusal = ApplyLesson(lesson);
    }
    if (!refusal.empty()) {
        SimulationState = before;
        throw LessonError(refusal);
    }
    return opened;
}
