// What every benchmark prints for `make bench` to gather into one table: one
// line per figure, tab-separated after the tag,
//   RESULT  name  measured  floor-name  floor  ratio  goal  spread
// where measured and floor are milliseconds (medians of runs in which each
// measurement ran right beside its floor), ratio is measured / floor, goal
// the ratio aimed for (0: none) and spread the lowest and highest ratio of
// single runs, which says how noisy the machine was. Anything else a
// benchmark prints is kept as its own note.
#pragma once

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace kestrel::bench
{

// Processor time of this process so far (user and system), in seconds.
inline double CpuNow()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// measured and floor in seconds, one value per run, taken in pairs.
inline void PrintResult(const std::string &name, const std::vector<double> &measured,
                        const std::string &floorName, const std::vector<double> &floor, double goal)
{
    double lowest = 0, highest = 0;
    for (size_t i = 0; i < measured.size() && i < floor.size(); ++i) {
        double ratio = floor[i] > 0 ? measured[i] / floor[i] : 0;
        lowest = i == 0 ? ratio : std::min(lowest, ratio);
        highest = i == 0 ? ratio : std::max(highest, ratio);
    }
    double m = Median(measured), f = Median(floor);
    std::printf("RESULT\t%s\t%.3f\t%s\t%.3f\t%.3f\t%.2f\t%.2f-%.2f\n", name.c_str(), m * 1e3,
                floorName.c_str(), f * 1e3, f > 0 ? m / f : 0, goal, lowest, highest);
    std::fflush(stdout);
}

} // namespace kestrel::bench
