#pragma once
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>

// One time bound shared by tries made in turn (the addresses of a name): each try but the
// last gets an equal share of what is left, so that a silent one does not take the whole
// bound from those after it. A negative bound means no bound and is passed on as it is.
class TIdSharedBound {
public:
    explicit TIdSharedBound(int32_t boundMs) : FBound(boundMs), FStarted(std::chrono::steady_clock::now()) {}

    // What is left of the bound: 0 once spent.
    int32_t Left() const
    {
        if (FBound < 0) return FBound;
        const auto spent = std::chrono::steady_clock::now() - FStarted;
        const int64_t spentMs = std::chrono::duration_cast<std::chrono::milliseconds>(spent).count();
        return static_cast<int32_t>(std::max<int64_t>(FBound - spentMs, 0));
    }

    // The wait for the next of `triesLeft` tries: at least 1 ms while any is left.
    int32_t ShareFor(size_t triesLeft) const
    {
        const int32_t left = Left();
        if (left <= 0 || triesLeft <= 1) return left;
        return std::max(left / static_cast<int32_t>(triesLeft), 1);
    }

private:
    int32_t FBound;
    std::chrono::steady_clock::time_point FStarted;
};
