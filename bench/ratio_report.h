// Prints Google Benchmark's usual table and then, once every benchmark has
// run, each measured ratio next to its target.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

struct RatioLine {
  std::string label;
  std::string numerator;    // benchmark names, "a|b" for the faster of two
  std::string denominator;
  std::string target;       // e.g. "<= 1.3", or "" when there is none
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<RatioLine> lines) : lines_(std::move(lines)) {}
  void ReportRuns(const std::vector<Run>& reports) override;
  void Finalize() override;

 private:
  double Seconds(const std::string& name) const;

  std::vector<RatioLine> lines_;
  // Processor time per iteration: the fastest repetition, or the median
  // when only aggregates are reported.
  std::map<std::string, double> seconds_;
  std::map<std::string, double> medians_;
};
