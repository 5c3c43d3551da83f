#pragma once
// Lesson files in the desktop program: where the record's population came from,
// the lesson text that names that file again, and the opening of a lesson, which
// either takes effect whole or changes nothing.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/lesson.h"

struct DelimitedTable;

/// \brief The file the record's population was read from, as a lesson names it.
struct PopulationSource {
    std::string path;                  ///< empty while no population was read from a file
    std::uint64_t checksum = 0;        ///< of the file's bytes when it was read
    std::vector<std::string> columns;  ///< the imported columns' names; empty for a .pop file
    bool dropMissing = false;
    std::string lessonRefusal;  ///< why no lesson can name this population; "" when one can
};

/// \brief The source of the population just read from `path`, with the
/// checksum of the file's bytes.
PopulationSource FileSource(const std::string& path);

/// \brief Names the columns (0-based indexes) of `table` that were read from
/// `source`'s file; sets lessonRefusal when a lesson's column names would not
/// find exactly these columns again.
void NameColumns(PopulationSource& source, const DelimitedTable& table, const std::vector<int>& columns,
                 bool dropMissing);

/// \brief The record's settings, the generator's seed and `switches` as the text
/// of a lesson to be saved at `lessonPath`. An example population is named by its
/// file name alone, any other file relative to the lesson's folder when it lies
/// below it, else by its absolute path. Throws LessonError when no lesson can
/// name the population.
std::string LessonFileText(const std::string& lessonPath, const PopulationSource& source,
                           const LessonSwitches& switches);

/// \brief "" unless a lesson saved at `lessonPath` names `source`'s population
/// by its full path, outside the lesson's folder: then the warning that the
/// lesson opens elsewhere only with a copy of the population beside it.
std::string OutsideFolderWarning(const std::string& lessonPath, const PopulationSource& source);

/// \brief A lesson that was opened and the source of its population.
struct OpenedLesson {
    Lesson lesson;
    PopulationSource source;
    std::string notice;  ///< what was changed to open the lesson; "" when nothing was
};

/// \brief Reads the lesson at `lessonPath` and its population, makes that the
/// record's population, applies the settings with the dialogs' checks and starts
/// the generator at the lesson's seed. A population whose path does not exist is
/// looked for by its file name beside the lesson, then among the examples. A
/// lesson of more than MaxSamples simulations opens with MaxSamples. Throws
/// the refusal (LessonError, PopulationFileError), after which the record and
/// the generator are as they were.
OpenedLesson OpenLessonFile(const std::string& lessonPath);
