#include "ratio_report.h"

#include <cstdio>
#include <sstream>

void RatioReporter::ReportRuns(const std::vector<Run>& reports) {
  ConsoleReporter::ReportRuns(reports);
  for (const Run& run : reports) {
    if (run.error_occurred || run.iterations <= 0) continue;
    // Processor time, not wall time: on a shared machine the wall clock also
    // counts the time other programs held the processor.
    double perIteration = run.cpu_accumulated_time / static_cast<double>(run.iterations);
    if (run.run_type == Run::RT_Aggregate) {
      // Only aggregates are reported with --benchmark_report_aggregates_only.
      if (run.aggregate_name == "median") medians_[run.run_name.str()] = perIteration;
      continue;
    }
    auto found = seconds_.find(run.benchmark_name());
    if (found == seconds_.end() || perIteration < found->second)
      seconds_[run.benchmark_name()] = perIteration;
  }
}

// The faster of several benchmarks when the name lists them with "|".
double RatioReporter::Seconds(const std::string& names) const {
  double best = 0;
  std::stringstream list(names);
  for (std::string name; std::getline(list, name, '|');) {
    const std::map<std::string, double>& source = seconds_.count(name) ? seconds_ : medians_;
    auto found = source.find(name);
    if (found != source.end() && (best == 0 || found->second < best)) best = found->second;
  }
  return best;
}

void RatioReporter::Finalize() {
  std::FILE* out = stdout;
  std::fprintf(out, "\nRatios of processor time per iteration (fastest repetition of each,\n"
                   "or the median when only aggregates are reported; a | between names\n"
                   "takes the faster of the two):\n");
  for (const RatioLine& line : lines_) {
    double numerator = Seconds(line.numerator);
    double denominator = Seconds(line.denominator);
    if (numerator == 0 || denominator == 0) {
      std::fprintf(out, "  %-44s not measured\n", line.label.c_str());
      continue;
    }
    std::fprintf(out, "  %-44s %6.2f  %s\n", line.label.c_str(), numerator / denominator,
                 line.target.empty() ? "" : ("target " + line.target).c_str());
  }
  std::fflush(out);
  ConsoleReporter::Finalize();
}
