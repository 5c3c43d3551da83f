#include "core/systematic_sampling.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "core/ordering.h"
#include "core/random_sampling.h"
#include "core/simulation_state.h"

std::vector<std::int32_t> SystematicOrder(int k)
{
    std::vector<std::int32_t> order(PopulationSize());
    std::iota(order.begin(), order.end(), 1);
    if (k < 1 || k > MaxVariables) {
        return order;
    }
    // NaN counts as the largest value, so that the order stays a strict weak one.
    const auto before = [k](std::int32_t a, std::int32_t b) {
        const double x = UnitValue(a, k);
        const double y = UnitValue(b, k);
        return x < y || (std::isnan(y) && !std::isnan(x));
    };
    std::stable_sort(order.begin(), order.end(), before);
    return order;
}

std::vector<std::int32_t> RandomSystematicOrder()
{
    std::vector<std::int32_t> units(PopulationSize());
    std::iota(units.begin(), units.end(), 1);
    std::vector<std::int32_t> order(units.size());
    DrawFromList(units, order);
    SimulationState.shuffledOrder = order;
    return order;
}

std::vector<std::int32_t> SystematicTheoryOrder(int k)
{
    if (k != SystematicRandomOrder) {
        return SystematicOrder(k);
    }
    const std::vector<std::int32_t>& shuffled = SimulationState.shuffledOrder;
    return shuffled.size() == static_cast<std::size_t>(PopulationSize()) ? shuffled
                                                                         : std::vector<std::int32_t>{};
}

int DrawSystematicSample(std::span<const std::int32_t> order, int n, std::span<std::int32_t> sample)
{
    const auto units = static_cast<int>(order.size());
    if (n < 1 || n > units || sample.size() < static_cast<std::size_t>(n)) {
        return 0;
    }
    const double step = static_cast<double>(units) / n;
    const double start = RandomFraction() * step;
    const double last = units - 1;
    for (int j = 1; j <= n; ++j) {
        const double place = std::min(std::floor(start + (j - 1) * step), last);
        sample[j - 1] = order[static_cast<std::size_t>(place)];
    }
    return n;
}

void DrawSampleSystematic(std::span<const std::int32_t> order)
{
    const int positions = SamplePositions();
    std::int32_t* const units = SimulationState.sampleUnits.Room(positions);
    const int drawn =
        DrawSystematicSample(order, positions, std::span(units + 1, static_cast<std::size_t>(positions)));
    for (int j = drawn + 1; j <= positions; ++j) {
        units[j] = 0;
    }
    SimulationState.respondentCount = drawn;
    if (SimulationState.nonresponseOn) {
        GenerateNonresponse();
    }
}

namespace {

/// The running sums of the current sample. All sums are recomputed from the
/// places after every n moves, so that rounding does not build up along the N
/// samples.
class SystematicSums {
public:
    explicit SystematicSums(const SystematicTheoryInput& input)
        : input_(input), units_(static_cast<int>(input.target.size()))
    {
        const int n = input.sampleSize;
        sums_.n = n;
        places_.resize(n);
        const std::int64_t N = units_;
        for (int j = 0; j < n; ++j) {
            places_[j] = static_cast<int>((1 + 2 * std::int64_t{j} * N) / (2 * std::int64_t{n}));
        }
        double sum = 0.0;
        for (const double y : input.target) {
            sum += y;
        }
        sums_.targetShift = sum / units_;
        if (input.strata > 0) {
            stratumAt_.resize(units_);
            for (int p = 0; p < units_; ++p) {
                const int h = PostStratumOf(input.auxiliary[p]);
                stratumAt_[p] = h >= 1 && h <= input.strata ? h : 0;
            }
        }
        Recompute();
    }

    /// Place j (0-based) steps to the next unit of the list.
    void Move(int j)
    {
        Account(j, -1);
        ++places_[j];
        Account(j, +1);
        if (++movesSinceRecompute_ >= sums_.n) {
            Recompute();
        }
    }

    std::optional<double> Estimate() const
    {
        const std::optional<double> estimate = input_.estimate(sums_, input_);
        if (!estimate || !std::isfinite(*estimate)) {
            return std::nullopt;
        }
        return estimate;
    }

private:
    double X(int place) const { return input_.auxiliary[place]; }
    double Y(int place) const { return input_.target[place]; }

    /// Whether the x of places j and j + 1 differ (the sample's x are all equal
    /// exactly when no neighbours differ: the places are in increasing order).
    int Unequal(int j) const
    {
        if (j < 0 || j + 1 >= sums_.n) {
            return 0;
        }
        return X(places_[j]) != X(places_[j + 1]) ? 1 : 0;
    }

    /// Adds (sign +1) or removes (-1) the unit at place j and its neighbour pairs.
    void Account(int j, int sign)
    {
        const int place = places_[j];
        const double y = Y(place);
        sums_.sumY += sign * y;
        if (!input_.readsAuxiliary) {
            return;
        }
        const double x = X(place);
        const double dx = x - input_.auxiliaryMean;
        const double dy = y - sums_.targetShift;
        sums_.sumX += sign * x;
        sums_.centredX += sign * dx;
        sums_.centredY += sign * dy;
        sums_.centredXX += sign * dx * dx;
        sums_.centredXY += sign * dx * dy;
        sums_.unequalNeighbours += sign * (Unequal(j - 1) + Unequal(j));
        if (!stratumAt_.empty() && stratumAt_[place] != 0) {
            sums_.stratumCount[stratumAt_[place]] += sign;
            sums_.stratumTotal[stratumAt_[place]] += sign * y;
        }
    }

    void Recompute()
    {
        sums_.sumY = sums_.sumX = sums_.centredX = sums_.centredY = sums_.centredXX = sums_.centredXY = 0.0;
        sums_.unequalNeighbours = 0;
        sums_.stratumCount.fill(0);
        sums_.stratumTotal.fill(0.0);
        for (int j = 0; j < sums_.n; ++j) {
            Account(j, +1);
        }
        // Account counted each neighbour pair twice: once for each of its places.
        sums_.unequalNeighbours /= 2;
        movesSinceRecompute_ = 0;
    }

    const SystematicTheoryInput& input_;
    int units_;
    SystematicSampleSums sums_;
    std::vector<int> places_;
    std::vector<int> stratumAt_;
    int movesSinceRecompute_ = 0;
};

/// The places j (0-based) whose unit changes between samples c and c + 1 are those
/// with n | (c + 1 + jN): grouped here by jN mod n, found for each c by -(c + 1) mod n.
class MovingPlaces {
public:
    MovingPlaces(int n, int units) : n_(n), first_(n + 1, 0), places_(n)
    {
        for (int j = 0; j < n; ++j) {
            ++first_[Residue(j, units) + 1];
        }
        std::partial_sum(first_.begin(), first_.end(), first_.begin());
        std::vector<int> next(first_.begin(), first_.end() - 1);
        for (int j = 0; j < n; ++j) {
            places_[next[Residue(j, units)]++] = j;
        }
    }

    std::span<const int> After(int c) const
    {
        const int residue = static_cast<int>((n_ - (std::int64_t{c} + 1) % n_) % n_);
        return std::span(places_).subspan(first_[residue], first_[residue + 1] - first_[residue]);
    }

private:
    int Residue(int j, int units) const { return static_cast<int>(std::int64_t{j} * units % n_); }

    int n_;
    std::vector<int> first_;
    std::vector<int> places_;
};

}  // namespace

TheoryValues SystematicTheory(const SystematicTheoryInput& input)
{
    const auto units = static_cast<int>(input.target.size());
    const int n = input.sampleSize;
    const bool auxiliaryMissing = input.readsAuxiliary && input.auxiliary.size() != input.target.size();
    if (n < 1 || n > units || auxiliaryMissing || input.estimate == nullptr) {
        return {};
    }
    SystematicSums sums(input);
    const MovingPlaces moving(n, units);
    std::vector<double> estimates(units);
    for (int c = 0; c < units; ++c) {
        const std::optional<double> estimate = sums.Estimate();
        if (!estimate) {
            return {};
        }
        estimates[c] = *estimate;
        if (c + 1 < units) {
            for (const int j : moving.After(c)) {
                sums.Move(j);
            }
        }
    }
    double sum = 0.0;
    for (const double e : estimates) {
        sum += e;
    }
    const double mean = sum / units;
    double squares = 0.0;
    for (const double e : estimates) {
        squares += (e - mean) * (e - mean);
    }
    return {mean, std::sqrt(squares / units)};
}
