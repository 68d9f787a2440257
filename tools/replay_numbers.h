#pragma once

#include <string>

// The longest replay accepted, in frames: far beyond any round, and small
// enough that frame counts never overflow.
constexpr long MaxReplayFrames = 100000000;

// Reads text made only of an optional sign and decimal digits, within
// [min, max]. Anything else (spaces, a fraction, an exponent, overflow) is
// refused.
bool ParseWholeNumber(const std::string& text, long min, long max, long* value);
