#pragma once
// What the benchmarks under Wine share: a machine with many services, a
// clock, and the way results are printed.
#include <windows.h>

#include <vector>

namespace bench {

const int kServices = 500;

// Milliseconds from the performance counter.
double Now();
// Registers kServices stopped services, after removing any an earlier run left.
bool RegisterBenchServices(SC_HANDLE manager);
void DeleteBenchServices(SC_HANDLE manager);
double Median(std::vector<double> values);
// "what  ours  bare  ratio (target)", medians of the samples.
void Report(const char* what, const std::vector<double>& ours, const std::vector<double>& bare,
            double target);

}  // namespace bench
