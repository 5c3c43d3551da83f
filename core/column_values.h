#pragma once
// The values of one column of a delimited file, stored compactly: a column of
// whole numbers (and a categorical column's codes) as 32-bit integers, any other
// numeric column as doubles.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

class ColumnValues {
public:
    /// \brief Whether `value` is stored exactly as a whole number: finite, integral,
    /// not -0 and within the 32-bit range (less its lowest value, which marks a
    /// missing value).
    static bool IsWhole(double value)
    {
        return value > MissingWhole && value <= std::numeric_limits<std::int32_t>::max() &&
               value == std::trunc(value) && !(value == 0.0 && std::signbit(value));
    }

    /// \brief Room for `rows` values, as whole numbers or as doubles.
    void Reserve(std::size_t rows, bool whole)
    {
        whole_ = whole;
        if (whole) {
            wholes_.reserve(rows);
        } else {
            reals_.reserve(rows);
        }
    }

    /// \brief Appends a value; NaN is missing. A column stored as whole numbers
    /// takes only values for which IsWhole holds.
    void Append(double value)
    {
        if (!whole_) {
            reals_.push_back(value);
        } else {
            wholes_.push_back(std::isnan(value) ? MissingWhole : static_cast<std::int32_t>(value));
        }
    }

    /// \brief Replaces every stored whole number w by `replacement[w]` (not the
    /// missing values): a categorical column's first-seen order becomes its codes.
    void Recode(const std::vector<std::int32_t>& replacement)
    {
        for (std::int32_t& value : wholes_) {
            if (value != MissingWhole) {
                value = replacement[static_cast<std::size_t>(value)];
            }
        }
    }

    [[nodiscard]] std::size_t size() const { return whole_ ? wholes_.size() : reals_.size(); }

    /// \brief The value of a row (from 0); NaN when missing.
    [[nodiscard]] double operator[](std::size_t row) const
    {
        if (!whole_) {
            return reals_[row];
        }
        const std::int32_t value = wholes_[row];
        return value == MissingWhole ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(value);
    }

    /// \brief The bytes the values take.
    [[nodiscard]] std::size_t StoredBytes() const
    {
        return wholes_.capacity() * sizeof(std::int32_t) + reals_.capacity() * sizeof(double);
    }

    class Iterator {
    public:
        Iterator(const ColumnValues& values, std::size_t row) : values_(&values), row_(row) {}
        double operator*() const { return (*values_)[row_]; }
        Iterator& operator++()
        {
            ++row_;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const ColumnValues* values_;
        std::size_t row_;
    };

    [[nodiscard]] Iterator begin() const { return {*this, 0}; }
    [[nodiscard]] Iterator end() const { return {*this, size()}; }

private:
    static constexpr std::int32_t MissingWhole = std::numeric_limits<std::int32_t>::min();

    bool whole_ = false;
    std::vector<std::int32_t> wholes_;
    std::vector<double> reals_;
};
