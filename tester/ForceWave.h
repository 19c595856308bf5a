// The force wave patterns of buttons 1 to 8 and the force a wave asks for at a given moment,
// as plain values and a plain function, so the wave tick stays a thin step over them.
#pragma once

#include <cstdint>

// Patterns, one per button: row i belongs to button i + 1.
const int WavePatternCount = 8;

// The eight magnitudes (force units, 10000 is full force), then the eight half periods (ms of
// wave time), one of each per row.
constexpr std::int32_t WavePatterns[2 * WavePatternCount] = {
    1000, 7425, 10000, 2285, 8710, 3570, 4855, 6140, // magnitudes
    10,   100,  300,   1000, 50,   500,  200,  25,   // half periods
};

inline int WaveMagnitude(int row)
{
    return WavePatterns[row];
}

inline int WaveHalfPeriod(int row)
{
    return WavePatterns[WavePatternCount + row];
}

// The square wave of a row with `remaining` (not negative) milliseconds of wave time left:
// counted in half periods back from the end, even ones push one way (+m), odd ones the other
// (-m).
inline int WaveForce(int row, int remaining)
{
    const int halfPeriodsLeft = remaining / WaveHalfPeriod(row);
    return halfPeriodsLeft % 2 != 0 ? -WaveMagnitude(row) : WaveMagnitude(row);
}
