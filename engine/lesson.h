#pragma once
// A lesson: the population and every setting of a simulation in one small text
// file of "key = value" lines that a teacher can read and edit, written and read
// without Qt so that the desktop program and tarvek-batch share it. The keys are
// tarvek-batch's long option names, their values written as its options take them.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/designs/sampling_design.h"

/// \brief The extension of lesson files, with its dot.
inline constexpr const char* LessonExtension = ".lesson";

/// \brief A lesson file that cannot be read or understood; what() names the line.
class LessonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// \brief Whether `path` names a lesson file: a name ending in LessonExtension.
bool IsLessonFileName(std::string_view path);

/// \brief The teaching switches a lesson keeps. tarvek-batch draws its pictures
/// with the first two and has no use for slow motion or a fitted scale.
struct LessonSwitches {
    bool colourMissed = false;
    bool markFull = false;
    bool slowMotion = false;
    bool fitScale = false;
    bool operator==(const LessonSwitches&) const = default;
};

struct Lesson {
    /// The population file as written: relative to the lesson's folder, or absolute.
    std::string population;
    int units = 0;                     ///< N when saved
    int variables = 0;                 ///< K when saved
    std::uint64_t checksum = 0;        ///< PopulationChecksum of the file's bytes
    std::vector<std::string> columns;  ///< of a delimited file; empty for a .pop file
    bool dropMissing = false;
    int target = 0;
    int sampleSize = 0;
    DesignChoice design;
    std::int32_t estimator = EstimatorDirect;
    int auxiliary = 0;  ///< 0: none, or the units under the cluster designs
    bool nonresponse = false;
    int nonresponseVariable = 0;
    int percentAtMinimum = 0;
    int percentAtMaximum = 0;
    int simulations = 0;
    bool intervals = false;
    double scaleLower = 0.0;
    double scaleUpper = 0.0;
    bool scaleFromTarget = false;  ///< no scale given: the target's minimum and maximum
    int compression = 1;
    LessonSwitches switches;
    std::uint32_t seed = 0;
    bool operator==(const Lesson&) const = default;
};

/// \brief The longest line a lesson may hold, in bytes: room for any path.
inline constexpr std::size_t MaxLessonLineLength = 8192;

/// \brief `text` as a message quotes it: whole up to about 60 characters, else
/// its start and its end around "...", so that no message grows with a value.
std::string ShortText(std::string_view text);

/// \brief The 64-bit FNV-1a hash of a file's bytes.
std::uint64_t PopulationChecksum(std::string_view bytes);

/// \brief The record's settings, the generator's seed and `switches` as a lesson
/// of `population` (N, K and the checksum filled by the caller).
Lesson LessonOfRecord(const LessonSwitches& switches);

/// \brief The lesson as text: a comment header, then one "key = value" line a setting.
std::string LessonText(const Lesson& lesson);

/// \brief Reads a lesson's text (a UTF-8 byte-order mark skipped; lines ended by
/// LF, CR LF or CR alone); a key not given keeps Lesson's default. Throws
/// LessonError ("Line 3: ...") for an unknown key, a malformed value or a line
/// longer than MaxLessonLineLength.
Lesson ParseLesson(std::string_view text);

/// \brief The bytes of a regular file; throws LessonError when it cannot be
/// read, or before opening it when the path names a folder, a FIFO or a device.
std::string ReadFileBytes(const std::string& path);

/// \brief The text of the lesson file at `path`, as ReadFileBytes reads it;
/// refuses a file too large to be a lesson before reading it.
std::string ReadLessonFile(const std::string& path);

/// \brief The population path as a lesson at `lessonPath` writes it: relative
/// when the population lies in the lesson's folder or below, else absolute.
std::string PopulationPathForLesson(const std::string& lessonPath, const std::string& populationPath);

/// \brief The population file a lesson at `lessonPath` names.
std::string LessonPopulationPath(const std::string& lessonPath, const Lesson& lesson);

/// \brief The population's file name alone, after the last / or \ of the path
/// the lesson names, whichever system wrote it.
std::string LessonPopulationFileName(const Lesson& lesson);

/// \brief The lesson's population where it names it or, when that path does not
/// exist, a file of the same name beside the lesson, as when a lesson is passed
/// on with its data; "" when neither exists.
std::string ExistingLessonPopulation(const std::string& lessonPath, const Lesson& lesson);

/// \brief "" when the file at `path` holds the lesson's population (its bytes'
/// checksum), else why the lesson is refused.
std::string PopulationFileRefusal(const Lesson& lesson, const std::string& path);

/// \brief "" when `bytes`, the file at `path`, hold the lesson's population,
/// else why the lesson is refused.
std::string PopulationBytesRefusal(const Lesson& lesson, const std::string& path, std::string_view bytes);

/// \brief Why a lesson's columns do not fit the file at `path` (`refusal`, as
/// ColumnsNamed gives it).
std::string LessonColumnsRefusal(const std::string& path, const std::string& refusal);

/// \brief The refusal of a lesson that names columns of a file at `path` that
/// is not a delimited file.
std::string LessonColumnsNeedTableMessage(const std::string& path);

/// \brief "" when the record's population has the lesson's N and K, else why
/// the lesson is refused.
std::string PopulationSizeRefusal(const Lesson& lesson);

/// \brief Applies the lesson's settings to the record (its population read)
/// with the dialogs' checks, and starts the generator at its seed. Returns ""
/// or the first refusal's message; after a refusal the settings are as before.
std::string ApplyLesson(const Lesson& lesson);

/// \brief The lesson as tarvek-batch's options, without the population: callers
/// add it after "--", so that no file name is ever read as an option.
std::vector<std::string> LessonArguments(const Lesson& lesson);
