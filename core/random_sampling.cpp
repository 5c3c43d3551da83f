#include "core/random_sampling.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/simulation_state.h"

TRandomGenerator RandomGenerator;

namespace {

constexpr std::uint32_t Multiplier = 134775813u;
constexpr double TwoToMinus32 = 1.0 / 4294967296.0;

std::uint32_t AdvanceSeed(TRandomGenerator& generator)
{
    generator.seed = generator.seed * Multiplier + 1u;
    return generator.seed;
}

/// Positions n+1.. of an equal-probability draw that has fewer units than
/// positions are marked as nonrespondents.
void MarkPositionsEmpty(int from, int to)
{
    for (int j = from; j <= to; ++j) {
        SimulationState.sampleUnits[j] = 0;
    }
}

/// The partial shuffle over a fresh list of all units, in place in sampleUnits:
/// one random number per position, positions beyond the sample left holding the
/// units not drawn. The sample lies on the heap, apart from the generator's seed:
/// saying so lets the seed stay in a register through the loop.
void ShuffleAllUnits(std::int32_t* __restrict sample, int units, int drawn)
{
    for (int i = 1; i <= units; ++i) {
        sample[i] = i;
    }
    for (int i = 1; i <= drawn; ++i) {
        const int j = i + RandomIndex(units - i + 1) - 1;
        std::swap(sample[i], sample[j]);
    }
}

/// The same shuffle for a sample that is a small part of the population: it works
/// on a list of its own that holds 1..N between draws, and puts back the at most
/// 2n entries it exchanged, so that a draw costs n and not N. The list is laid
/// out anew only when N changes. Only positions 1..n of sampleUnits are written.
void ShuffleFewUnits(int units, int drawn)
{
    static std::vector<std::int32_t> order;
    static std::vector<std::int32_t> exchanged;
    if (order.size() != static_cast<std::size_t>(units) + 1) {
        order.resize(units + 1);
        for (int i = 0; i <= units; ++i) {
            order[i] = i;
        }
    }
    exchanged.resize(drawn);
    for (int i = 1; i <= drawn; ++i) {
        const int j = i + RandomIndex(units - i + 1) - 1;
        std::swap(order[i], order[j]);
        exchanged[i - 1] = j;
        SimulationState.sampleUnits[i] = order[i];
    }
    for (int i = 1; i <= drawn; ++i) {
        order[exchanged[i - 1]] = exchanged[i - 1];
        order[i] = i;
    }
}

/// Below this share of the population or list (1 in 8) a sample is drawn without
/// laying the whole out (ShuffleFewUnits, ShuffleListSparsely).
constexpr int FewUnitsRatio = 8;

/// Where a partial shuffle has moved units, by place in the list: a place holds
/// the unit put there in the current draw, or else its own unit of the list. The
/// draw's number tells its records from older ones, so that neither starting nor
/// ending a draw touches the places it did not use.
class MovedUnits {
public:
    /// A new draw over a list of `places` places, none of them moved yet.
    void StartDraw(std::size_t places)
    {
        if (slots_.size() < places) {
            slots_.resize(places);
        }
        ++draw_;
        if (draw_ == 0) {
            std::fill(slots_.begin(), slots_.end(), Slot{});
            draw_ = 1;
        }
    }

    /// The unit at `place`, `laidOut` being the one there before the draw.
    std::int32_t At(std::size_t place, std::int32_t laidOut) const
    {
        const Slot& slot = slots_[place];
        return slot.draw == draw_ ? slot.unit : laidOut;
    }

    void Put(std::size_t place, std::int32_t unit) { slots_[place] = Slot{draw_, unit}; }

private:
    struct Slot {
        std::uint32_t draw = 0;
        std::int32_t unit = 0;
    };
    std::vector<Slot> slots_;
    std::uint32_t draw_ = 0;
};

/// The partial shuffle over a copy of the whole list: drawn[i - 1] = the unit at
/// place i after exchanging places i and j = i + RandomIndex(N - i + 1) - 1.
void ShuffleLaidOutList(TRandomGenerator& generator, std::span<const std::int32_t> list,
                        std::span<std::int32_t> drawn)
{
    static std::vector<std::int32_t> laidOut;
    laidOut.assign(list.begin(), list.end());
    const int size = static_cast<int>(list.size());
    const int take = static_cast<int>(drawn.size());
    for (int i = 1; i <= take; ++i) {
        const int j = i + RandomIndex(generator, size - i + 1) - 1;
        std::swap(laidOut[i - 1], laidOut[j - 1]);
    }
    std::copy_n(laidOut.begin(), take, drawn.begin());
}

/// The same shuffle, with the same random numbers and units, keeping only the
/// places it has changed: place i is never read again once drawn, so only the
/// unit that moves to place j needs keeping.
void ShuffleListSparsely(TRandomGenerator& generator, std::span<const std::int32_t> list,
                         std::span<std::int32_t> drawn)
{
    static MovedUnits moved;
    moved.StartDraw(list.size());
    const int size = static_cast<int>(list.size());
    const int take = static_cast<int>(drawn.size());
    for (int i = 1; i <= take; ++i) {
        const int j = i + RandomIndex(generator, size - i + 1) - 1;
        const std::int32_t atI = moved.At(i - 1, list[i - 1]);
        drawn[i - 1] = moved.At(j - 1, list[j - 1]);
        moved.Put(j - 1, atI);
    }
}

/// Column 0 holds only zeros and so never accepts a trial.
bool SizeColumnUsable(int variable)
{
    return variable >= 0 && variable <= MaxVariables;
}

/// Whether a trial of the size-proportional draw can be accepted at all.
bool TrialsCanSucceed(const ProportionalToSizePlan& plan)
{
    return PopulationSize() > 0 && SizeColumnUsable(plan.sizeVariable) && plan.largest > 0.0;
}

/// A sample without respondents, which every caller rejects.
void LeaveNoRespondents(int positions)
{
    MarkPositionsEmpty(1, positions);
    SimulationState.respondentCount = 0;
}

double LargestValue(int units, int variable)
{
    double largest = 0.0;
    for (int i = 1; i <= units; ++i) {
        largest = std::max(largest, UnitValue(i, variable));
    }
    return largest;
}

void ApplyNonresponseIfOn()
{
    if (SimulationState.nonresponseOn) {
        GenerateNonresponse();
    }
}

}  // namespace

void SetRandomSeed(std::uint32_t seed)
{
    RandomGenerator.seed = seed;
}

std::int32_t RandomInteger(TRandomGenerator& generator, std::int32_t n)
{
    const std::uint64_t product = std::uint64_t{AdvanceSeed(generator)} * static_cast<std::uint32_t>(n);
    return static_cast<std::int32_t>(product >> 32);
}

std::int32_t RandomIndex(TRandomGenerator& generator, std::int32_t n)
{
    if (n <= 0) {
        return 0;
    }
    return RandomInteger(generator, n) + 1;
}

std::int32_t RandomInteger(std::int32_t n)
{
    return RandomInteger(RandomGenerator, n);
}

double RandomFraction()
{
    return AdvanceSeed(RandomGenerator) * TwoToMinus32;
}

std::int32_t RandomIndex(std::int32_t n)
{
    return RandomIndex(RandomGenerator, n);
}

// With more positions than units (a sample size above N) only N units can be
// drawn; the surplus positions hold 0, i.e. count as nonrespondents. Nothing
// reads the positions beyond the sample.
void DrawSampleEqualProbabilities()
{
    const int units = PopulationSize();
    const int positions = SamplePositions();
    const int drawn = std::min(positions, units);
    if (drawn * FewUnitsRatio < units) {
        ShuffleFewUnits(units, drawn);
    } else {
        ShuffleAllUnits(SimulationState.sampleUnits.Room(units), units, drawn);
    }
    MarkPositionsEmpty(drawn + 1, positions);
    SimulationState.respondentCount = drawn;
    ApplyNonresponseIfOn();
}

void DrawSampleProportionalToSize()
{
    DrawSampleProportionalToSize(PrepareProportionalToSizePlan(SimulationState.auxiliaryVariable));
}

ProportionalToSizePlan PrepareProportionalToSizePlan(int sizeVariable)
{
    return {sizeVariable,
            SizeColumnUsable(sizeVariable) ? LargestValue(PopulationSize(), sizeVariable) : 0.0};
}

// Without a positive size no trial could ever be accepted: the draw then consumes
// no random numbers and returns a sample without respondents, which the callers
// reject like any sample with fewer than two respondents. A draw stopped on the
// way returns such a sample too.
bool DrawSampleProportionalToSize(const ProportionalToSizePlan& plan, const std::function<bool()>& keepGoing)
{
    const int units = PopulationSize();
    const int positions = SamplePositions();
    if (!TrialsCanSucceed(plan)) {
        LeaveNoRespondents(positions);
        return true;
    }
    SimulationState.respondentCount = positions;
    int accepted = 0;
    std::uint64_t trials = 0;
    while (accepted < positions) {
        if (++trials % TrialsPerSlice == 0 && keepGoing && !keepGoing()) {
            LeaveNoRespondents(positions);
            return false;
        }
        const int unit = RandomIndex(units);
        const double threshold = RandomFraction() * plan.largest;
        const double size = UnitValue(unit, plan.sizeVariable);
        if (threshold <= size && size > 0.0) {
            SimulationState.sampleUnits[++accepted] = unit;
        }
    }
    ApplyNonresponseIfOn();
    return true;
}

// Each trial accepts with probability sum(x) / (N max(x)), and a sample takes n
// accepted trials.
double ExpectedProportionalToSizeTrials(const ProportionalToSizePlan& plan, int n)
{
    if (!TrialsCanSucceed(plan)) {
        return 0.0;
    }
    const int units = PopulationSize();
    double total = 0.0;
    for (int unit = 1; unit <= units; ++unit) {
        total += std::max(UnitValue(unit, plan.sizeVariable), 0.0);
    }
    return static_cast<double>(n) * units * plan.largest / total;
}

void DrawFromList(std::span<const std::int32_t> list, std::span<std::int32_t> drawn)
{
    DrawFromList(RandomGenerator, list, drawn);
}

void DrawFromList(TRandomGenerator& generator, std::span<const std::int32_t> list,
                  std::span<std::int32_t> drawn)
{
    drawn = drawn.first(std::min(drawn.size(), list.size()));
    if (drawn.size() * FewUnitsRatio < list.size()) {
        ShuffleListSparsely(generator, list, drawn);
    } else {
        ShuffleLaidOutList(generator, list, drawn);
    }
}

// Positions that already hold 0 have no unit to ask and consume no random number
// (they only occur when the sample size exceeded N). A nonresponse variable
// outside 1..10 removes nobody.
void GenerateNonresponse()
{
    const int positions = SamplePositions();
    std::int32_t* const sample = SimulationState.sampleUnits.Room(positions);
    std::copy_n(sample, positions + 1, SimulationState.drawnUnits.Room(positions));
    const int variable = SimulationState.nonresponseVariable;
    if (variable < 1 || variable > MaxVariables) {
        return;
    }
    for (int j = 1; j <= positions; ++j) {
        const int unit = sample[j];
        if (unit == 0) {
            continue;
        }
        const double probability = UnitValue(unit, variable) * SimulationState.nonresponseSlope +
                                   SimulationState.nonresponseIntercept;
        if (RandomFraction() < probability) {
            sample[j] = 0;
            --SimulationState.respondentCount;
        }
    }
}
