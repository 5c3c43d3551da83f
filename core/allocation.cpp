#include "core/allocation.h"

#include <algorithm>

namespace {

enum class Bound { Free, Lower, Upper };

/// Guards against a loop that might not end; a proper allocation needs a few
/// passes per stratum at most.
constexpr int MaxPasses = 100 * MaxStrata;

using StratumWeights = std::array<std::int64_t, MaxStrata + 1>;

int Lower(const Strata& strata, int h)
{
    return std::min(2, strata.sizes[h]);
}

int Upper(const Strata& strata, int h)
{
    return strata.sizes[h];
}

/// The share a_h = R w_h / W of one free stratum, compared with its bounds and
/// split by W into quotient and remainder (all remainders share the denominator W).
struct Share {
    bool belowLower = false;
    bool aboveUpper = false;
    std::int64_t whole = 0;
    std::int64_t rest = 0;
};

Share ShareOf(std::int64_t rest, std::int64_t weight, std::int64_t total, int lower, int upper)
{
    const std::int64_t product = rest * weight;
    return {product<lower * total, product> upper * total, product / total, product % total};
}

/// Shares n out by whole-number weights: strata whose share falls below L_h
/// (first) or above U_h are fixed there and the rest shared again among the
/// free strata, which get floor(a_h) and the units left by largest remainder.
class Allocator {
public:
    Allocator(int n, const Strata& strata) : n_(n), strata_(strata) {}

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

    /// One pass over the free strata; true when the allocation is complete.
    bool Pass(const StratumWeights& weights)
    {
        const std::int64_t rest = Rest();
        std::int64_t total = 0;
        for (int h = 1; h <= strata_.count; ++h) {
            total += bound_[h] == Bound::Free ? weights[h] : 0;
        }
        std::array<Share, MaxStrata + 1> shares{};
        bool anyBelow = false;
        bool anyAbove = false;
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Free) {
                shares[h] = ShareOf(rest, weights[h], total, Lower(strata_, h), Upper(strata_, h));
                anyBelow = anyBelow || shares[h].belowLower;
                anyAbove = anyAbove || shares[h].aboveUpper;
            }
        }
        if (anyBelow || anyAbove) {
            for (int h = 1; h <= strata_.count; ++h) {
                if (bound_[h] != Bound::Free) {
                    continue;
                }
                if (anyBelow && shares[h].belowLower) {
                    Fix(h, Bound::Lower, Lower(strata_, h));
                } else if (!anyBelow && shares[h].aboveUpper) {
                    Fix(h, Bound::Upper, Upper(strata_, h));
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
    /// remainder, ties to the lower h.
    void GiveWholeParts(const std::array<Share, MaxStrata + 1>& shares, std::int64_t rest)
    {
        std::array<bool, MaxStrata + 1> given{};
        std::int64_t left = rest;
        for (int h = 1; h <= strata_.count; ++h) {
            if (bound_[h] == Bound::Free) {
                sizes_[h] = static_cast<std::int32_t>(shares[h].whole);
                left -= shares[h].whole;
            }
        }
        for (; left > 0; --left) {
            int chosen = 0;
            for (int h = 1; h <= strata_.count; ++h) {
                if (bound_[h] == Bound::Free && !given[h] &&
                    (chosen == 0 || shares[h].rest > shares[chosen].rest)) {
                    chosen = h;
                }
            }
            if (chosen == 0) {
                return;
            }
            given[chosen] = true;
            ++sizes_[chosen];
        }
    }

    int n_;
    const Strata& strata_;
    std::array<Bound, MaxStrata + 1> bound_{};
    StratumCounts sizes_{};
};

std::optional<StratumCounts> AllocateByWholeWeights(int n, const Strata& strata, AllocationCode allocation)
{
    StratumWeights weights{};
    for (int h = 1; h <= strata.count; ++h) {
        weights[h] = allocation == AllocationEqual ? 1 : strata.sizes[h];
    }
    Allocator allocator(n, strata);
    for (int pass = 0; pass < MaxPasses; ++pass) {
        if (!allocator.AnyFree()) {
            if (allocator.Rest() <= 0) {
                return allocator.sizes();
            }
            allocator.FreeLowerStrata();
            continue;
        }
        if (allocator.Pass(weights)) {
            return allocator.sizes();
        }
    }
    return std::nullopt;
}

/// The variance of the stratified mean is sum w_h^2 / n_h (less a constant) over
/// the strata, a sum of convex terms: giving each unit in turn where it lowers
/// that sum most, g_h = w_h^2 / (n_h (n_h + 1)), reaches the smallest sum over all
/// whole-number allocations within the bounds. Every factor is a double, since
/// n_h (n_h + 1) overflows 32 bits for large strata.
StratumCounts AllocateByLargestGain(int n, const Strata& strata, const std::array<double, MaxStrata + 1>& w)
{
    StratumCounts sizes{};
    int given = 0;
    for (int h = 1; h <= strata.count; ++h) {
        sizes[h] = Lower(strata, h);
        given += sizes[h];
    }
    for (; given < n; ++given) {
        int chosen = 0;
        double best = 0.0;
        for (int h = 1; h <= strata.count; ++h) {
            if (sizes[h] >= Upper(strata, h)) {
                continue;
            }
            const double nh = sizes[h];
            const double gain = (w[h] * w[h]) / (nh * (nh + 1.0));
            if (chosen == 0 || gain > best) {
                chosen = h;
                best = gain;
            }
        }
        if (chosen == 0) {
            break;
        }
        ++sizes[chosen];
    }
    return sizes;
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
    if (allocation != AllocationOptimal) {
        return AllocateByWholeWeights(n, strata, allocation);
    }
    std::array<double, MaxStrata + 1> w{};
    bool anyVaries = false;
    for (int h = 1; h <= strata.count; ++h) {
        w[h] = static_cast<double>(strata.sizes[h]) * deviations[h];
        anyVaries = anyVaries || w[h] != 0.0;
    }
    if (!anyVaries) {
        return AllocateByWholeWeights(n, strata, AllocationProportional);
    }
    return AllocateByLargestGain(n, strata, w);
}
