// The demo location that `make run` opens is made by kestrel-samples from
// parts that register themselves: each samples/*.cpp adds its files with
// KESTREL_SAMPLE, using the project's own writers.
#pragma once

#include <string>
#include <vector>

namespace kestrel::samples {

// Writes this part's files into the demo directory; false on failure (with a
// line on stderr). Parts run in ascending order.
using SampleFn = bool (*)(const std::string& demoDir);

struct Sample {
    int order;
    const char* name;
    SampleFn make;
};

bool RegisterSample(const Sample& sample);
std::vector<Sample>& Samples();

} // namespace kestrel::samples

#define KESTREL_SAMPLE_CONCAT2(a, b) a##b
#define KESTREL_SAMPLE_CONCAT(a, b) KESTREL_SAMPLE_CONCAT2(a, b)
#define KESTREL_SAMPLE(order, name, fn)                                                         \
    static const bool KESTREL_SAMPLE_CONCAT(kSampleRegistered_, __LINE__) =                     \
        ::kestrel::samples::RegisterSample({order, name, fn})
