#pragma once
// A typed identifier of entries and events. The values are 32-bit: counters hand
// them out from 0 and wrap back to 0 after 2147483647.

#include <cstdint>
#include <limits>

template <class T>
class BasicID {
public:
    BasicID() = default;
    explicit BasicID(T value) : value_(value) {}

    T GetValue() const { return value_; }
    void SetValue(T value) { value_ = value; }

    /// Hands out the current value and advances the counter; the counter never turns negative.
    BasicID Advance()
    {
        const BasicID issued = *this;
        value_ = value_ >= Largest() || value_ < 0 ? T(0) : T(value_ + 1);
        return issued;
    }

    friend bool operator==(const BasicID& a, const BasicID& b) { return a.value_ == b.value_; }
    friend bool operator!=(const BasicID& a, const BasicID& b) { return a.value_ != b.value_; }
    friend bool operator<(const BasicID& a, const BasicID& b) { return a.value_ < b.value_; }

private:
    static constexpr T Largest() { return T(std::numeric_limits<std::int32_t>::max()); }

    T value_ = 0;
};

using ID = BasicID<long>;
