#pragma once

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

// Small helpers the benchmarks share; the tests' helpers (support/) serve them too.
namespace vaddex::bench {

// The middle value of a few timed runs: steadier than the mean on a shared machine.
inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs a benchmark's body; an error ends it with a line saying why and status 1.
template <typename Body>
int RunGuarded(Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        std::printf("benchmark failed: %s\n", e.what());
        return 1;
    }
}

}  // namespace vaddex::bench
