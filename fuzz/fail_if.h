#pragma once
#include <cstdlib>

// A property of the code under fuzzing that does not hold: libFuzzer keeps the input.
inline void FailIf(bool fault)
{
    if (fault) std::abort();
}
