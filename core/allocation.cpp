#include "core/allocation.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

enum class Bound { Free, Lower, Upper };

/// Guards against a loop that rounding might keep from ending; a proper
/// allocation needs a few passes per stratum at most.
constexpr int MaxPasses = 100 * MaxStrata;

template <typename Weight>
using StratumWeights = std::array<Weight, MaxStrata + 1>;

/// The share a_h = R w_h / W of one free stratum, in the arithmetic of its weights:
/// whole numbers compare R w_h with L_h W and split it by W into quotient and
/// remainder (all remainders share the denominator W); doubles use a_h itself.
template <typename Weight>
struct Share {
    bool belowLower = false;
    bool aboveUpper = false;
    std::int64_t whole = 0;
    Weight rest{};
};

template <typename Weight>
Share<Weight> ShareOf(std::int64_t rest, Weight weight, Weight total, int lower, int upper)
{
    Share<Weight> share;
    if constexpr (std::is_integral_v<Weight>) {
        const std::int64_t product = rest * weight;
        share.belowLower = product < lower * total;
        share.aboveUpper = product > upper * total;
        share.whole = product / total;
        share.rest = product % total;
    } else {
        double a = (static_cast<double>(rest) * weight) / total;
        if (!std::isfinite(a)) {
            a = 0.0;  // only weights beyond the largest double come here
        }
        const double whole = std::floor(a);
        share.belowLower = a < lower;
        share.aboveUpper = a > upper;
        share.whole = static_cast<std::int64_t>(std::clamp(whole, 0.0, static_cast<double>(upper)));
        share.rest = a - whole;
    }
    return share;
}

class Allocator {
public:
    Allocator(int n, const Strata& strata) : n_(n), strata_(strata) {}

    int Lower(int h) const { return std::min(2, strata_.sizes[h]); }
    int Upper(int h) const { return strata_.sizes[h]; }

    /// R: n minus the n_h of the fixed strata.
    std::int64_t Rest() const
    {
        std::int64_t rest = n_;
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] != Bound::Free) {
                rest -= sizes_[h];
            }
        }
        return rest;
    }

    bool AnyFree() const
    {
        return std::any_of(bound_.begin() + 1, bound_.begin() + 1 + strata_.count,
                           [](Bound b) { return b == Bound::Free; });
    }

    void FreeLowerStrata()
    {
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Lower) {
                bound_[h] = Bound::Free;
            }
        }
    }

    template <typename Weight>
    Weight FreeTotal(const StratumWeights<Weight>& weights) const
    {
        Weight total{};
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Free) {
                total += weights[h];
            }
        }
        return total;
    }

    /// One pass over the free strata; true when the allocation is complete.
    template <typename Weight>
    bool Pass(const StratumWeights<Weight>& weights)
    {
        const std::int64_t rest = Rest();
        const Weight total = FreeTotal(weights);
        std::array<Share<Weight>, MaxStrata + 1> shares{};
        bool anyBelow = false;
        bool anyAbove = false;
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Free) {
                shares[h] = ShareOf(rest, weights[h], total, Lower(h), Upper(h));
                anyBelow = anyBelow || shares[h].belowLower;
                anyAbove = anyAbove || shares[h].aboveUpper;
            }
        }
        if (anyBelow || anyAbove) {
            for (int h = 1; h <= strata_.count; ++h) {
                const Share<Weight>& share = shares[h];
                if (bound_[h] != Bound::Free) {
                    continue;
                }
                if (anyBelow && share.belowLower) {
                    Fix(h, Bound::Lower, Lower(h));
                } else if (!anyBelow && share.aboveUpper) {
                    Fix(h, Bound::Upper, Upper(h));
                }
            }
            return false;
        }
        GiveWholeParts(shares, rest);
        return true;
    }

    const StratumCounts& sizes() const { return sizes_; }

private:
    void Fix(int h, Bound bound, int size)
    {
        bound_[h] = bound;
        sizes_[h] = size;
    }

    /// floor(a_h) to each free stratum, then the units left one each by largest
    /// remainder, ties to the lower h. Rounding of double shares could leave one
    /// unit too many given: it is taken back from the smallest remainder.
    template <typename Weight>
    void GiveWholeParts(const std::array<Share<Weight>, MaxStrata + 1>& shares, std::int64_t rest)
    {
        std::array<bool, MaxStrata + 1> adjusted{};
        std::int64_t left = rest;
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Free) {
                sizes_[h] = static_cast<std::int32_t>(shares[h].whole);
                left -= shares[h].whole;
            }
        }
        for (; left != 0; left += left > 0 ? -1 : 1) {
            int chosen = 0;
            for (int h = 1; h <= strata_.count; ++h) {
                if (bound_[h] != Bound::Free || adjusted[h]) {
                    continue;
                }
                const bool better =
                    left > 0 ? shares[h].rest > shares[chosen].rest : shares[h].rest <= shares[chosen].rest;
                if (chosen == 0 || better) {
                    chosen = h;
                }
            }
            if (chosen == 0) {
                return;
            }
            adjusted[chosen] = true;
            sizes_[chosen] += left > 0 ? 1 : -1;
        }
    }

    int n_;
    const Strata& strata_;
    std::array<Bound, MaxStrata + 1> bound_{};
    StratumCounts sizes_{};
};

StratumWeights<std::int64_t> WholeWeights(const Strata& strata, AllocationCode allocation)
{
    StratumWeights<std::int64_t> weights{};
    for (int h = 1; h <= strata.count; ++h) {
        weights[h] = allocation == AllocationEqual ? 1 : strata.sizes[h];
    }
    return weights;
}

StratumWeights<double> OptimalWeights(const Strata& strata, const StratumValues& deviations)
{
    StratumWeights<double> weights{};
    for (int h = 1; h <= strata.count; ++h) {
        weights[h] = strata.sizes[h] * deviations[h];
    }
    return weights;
}

int UnitsOf(const Strata& strata)
{
    int units = 0;
    for (int h = 1; h <= strata.count; ++h) {
        units += strata.sizes[h];
    }
    return units;
}

}  // namespace

std::optional<StratumCounts> AllocateSample(int n, const Strata& strata, AllocationCode allocation,
                                            const StratumValues& deviations)
{
    if (strata.count < 1 || strata.count > MaxStrata || n < MinimumStratifiedSampleSize(strata) ||
        n > UnitsOf(strata)) {
        return std::nullopt;
    }
    const bool optimal = allocation == AllocationOptimal;
    const StratumWeights<std::int64_t> whole =
        WholeWeights(strata, optimal ? AllocationProportional : allocation);
    const StratumWeights<double> real = OptimalWeights(strata, deviations);
    Allocator allocator(n, strata);
    for (int pass = 0; pass < MaxPasses; ++pass) {
        if (!allocator.AnyFree()) {
            if (allocator.Rest() <= 0) {
                return allocator.sizes();
            }
            allocator.FreeLowerStrata();
            continue;
        }
        // Optimal weights all 0 among the free strata: they share by size.
        const bool useReal = optimal && allocator.FreeTotal(real) != 0.0;
        if (useReal ? allocator.Pass(real) : allocator.Pass(whole)) {
            return allocator.sizes();
        }
    }
    return std::nullopt;
}
