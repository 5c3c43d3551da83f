#pragma once
// The program's single random generator and the two sample-selection schemes.

#include <cstdint>
#include <functional>
#include <span>

/// \brief State of the 32-bit linear congruential generator: seed 0 at program
/// start, never reseeded by the program (tests set it to start from a known point).
struct TRandomGenerator {
    std::uint32_t seed = 0;
};
extern TRandomGenerator RandomGenerator;

/// \brief Starts the generator from `seed` (the batch simulator's --seed; the
/// desktop program never calls it).
void SetRandomSeed(std::uint32_t seed);

/// \brief Advances the seed once; a whole number in 0..n-1 for n >= 1.
std::int32_t RandomInteger(std::int32_t n);
/// \brief Advances the seed once; a real in [0, 1).
double RandomFraction();
/// \brief 0 for n <= 0 (seed not advanced), otherwise RandomInteger(n) + 1.
std::int32_t RandomIndex(std::int32_t n);

/// \brief RandomInteger on `generator` instead of the program's generator.
std::int32_t RandomInteger(TRandomGenerator& generator, std::int32_t n);
/// \brief RandomIndex on `generator` instead of the program's generator.
std::int32_t RandomIndex(TRandomGenerator& generator, std::int32_t n);

/// \brief Draws sampleSize distinct units by partial shuffle, then nonresponse.
void DrawSampleEqualProbabilities();
/// \brief The same partial shuffle over `list` instead of 1..N: drawn.size() units
/// (at most N; places beyond are left as they are) with RandomIndex(N - i + 1),
/// i = 1, 2, ..., into `drawn` in the order drawn. A list much longer than the
/// sample is never laid out: the draw then costs about drawn.size().
void DrawFromList(std::span<const std::int32_t> list, std::span<std::int32_t> drawn);
/// \brief DrawFromList with the random numbers of `generator`.
void DrawFromList(TRandomGenerator& generator, std::span<const std::int32_t> list,
                  std::span<std::int32_t> drawn);
/// \brief Draws sampleSize units with replacement, probability proportional to
/// the auxiliary variable (acceptance-rejection), then nonresponse.
void DrawSampleProportionalToSize();

/// \brief What the size-proportional draw needs of the population, computed once
/// per run: the size variable and its largest value (0 when it has no positive one
/// or names no column).
struct ProportionalToSizePlan {
    int sizeVariable = 0;
    double largest = 0.0;
};
/// \brief The plan of `sizeVariable` over the population in memory.
ProportionalToSizePlan PrepareProportionalToSizePlan(int sizeVariable);
/// \brief Trials between two questions of a draw whether to go on: a few
/// milliseconds of drawing.
inline constexpr std::uint64_t TrialsPerSlice = std::uint64_t{1} << 20;
/// \brief The size-proportional draw with the plan's size variable: its trials
/// only, no pass over the population. The record-based draw above is this draw
/// with the plan of the auxiliary variable. `keepGoing`, when given, is asked
/// after every TrialsPerSlice trials; when it answers false the draw ends at once
/// with a sample without respondents and returns false. The trials and their
/// random numbers are the same with or without it.
bool DrawSampleProportionalToSize(const ProportionalToSizePlan& plan,
                                  const std::function<bool()>& keepGoing = {});
/// \brief The expected number of trials of one size-proportional sample of n
/// units, n N max(x) / sum(x); 0 when no trial can be accepted.
double ExpectedProportionalToSizeTrials(const ProportionalToSizePlan& plan, int n);

/// \brief Removes the nonrespondents of the drawn sample (one RandomFraction per
/// position); part of both drawing operations. The units as drawn stay in
/// drawnUnits.
void GenerateNonresponse();
