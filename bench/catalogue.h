#pragma once
// What the benchmarks share: a generated catalogue and the process's memory figures.
#include <QString>

#include <vector>

namespace bench {

// A new catalogue at path: films with Czech titles and texts of usual lengths,
// films/20 clients (at least one), every tenth film out on loan with as many
// returned loans. loans >= 0 sets the number of loan rows instead: the open
// ones stay at most one per tenth film, the rest are returned loans.
void FillCatalogue(const QString& path, int films, int loans = -1);

// A /proc/self/status figure in kB ("VmHWM", "VmRSS"), -1 when unknown.
long StatusKb(const char* key);
// Starts the peak over from the present size (Linux: "5" to clear_refs).
bool ResetPeak();

// The middle one of some timings.
double Median(std::vector<double> values);

} // namespace bench
