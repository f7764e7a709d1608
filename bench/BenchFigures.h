#pragma once
// Per-round figures of a benchmark: their median and their spread.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace testing_support {

struct RoundFigures {
    double median = 0, lowest = 0, highest = 0;
    std::size_t rounds = 0;
};

inline RoundFigures Summarize(std::vector<double> perRound) {
    RoundFigures f;
    f.rounds = perRound.size();
    if (perRound.empty()) return f;
    std::sort(perRound.begin(), perRound.end());
    const std::size_t n = perRound.size();
    f.median = n % 2 ? perRound[n / 2] : (perRound[n / 2 - 1] + perRound[n / 2]) / 2;
    f.lowest = perRound.front();
    f.highest = perRound.back();
    return f;
}

// "1.23 (5 rounds from 1.10 to 1.40)".
inline std::string MedianAndSpread(const RoundFigures& figures, const char* format = "%.2f") {
    char median[32], low[32], high[32], text[128];
    std::snprintf(median, sizeof(median), format, figures.median);
    std::snprintf(low, sizeof(low), format, figures.lowest);
    std::snprintf(high, sizeof(high), format, figures.highest);
    std::snprintf(text, sizeof(text), "%s (%zu rounds from %s to %s)", median, figures.rounds, low, high);
    return text;
}

}  // namespace testing_support
