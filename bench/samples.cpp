#include "figures.h"

#include <algorithm>
#include <cstdio>

namespace orvh::bench {
namespace {

std::vector<double> Sorted(const std::vector<double>& values) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

} // namespace

double Samples::Min() const { return values.empty() ? 0 : Sorted(values).front(); }
double Samples::Max() const { return values.empty() ? 0 : Sorted(values).back(); }

double Samples::Median() const {
    if (values.empty()) return 0;
    const auto sorted = Sorted(values);
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

void PrintSamples(const char* label, const Samples& samples, const char* unit) {
    std::printf("%s:", label);
    for (double value : samples.values) std::printf(" %.3f", value);
    std::printf("  (min %.3f / median %.3f / max %.3f %s)\n", samples.Min(), samples.Median(), samples.Max(), unit);
    std::fflush(stdout);
}

void PrintFigure(const char* name, double value) {
    std::printf("figure %s: %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace orvh::bench
