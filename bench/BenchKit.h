#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

// Small helpers the benchmarks share.
namespace vaddex::bench {

// The middle value of a few timed runs: steadier than the mean on a shared machine.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Readable text of exactly `size` bytes, different along its length.
inline std::string Pattern(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += "block " + std::to_string(i) + ";";
    }
    text.resize(size);
    return text;
}

}  // namespace vaddex::bench
