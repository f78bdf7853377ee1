// The benchmarks written with Google Benchmark: run them with the usual console table, then print
// a summary from each one's time.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace xunda::bench {

// Each benchmark's real time in seconds by its name, after the run.
class Times {
  public:
    // 0 for a benchmark that did not run.
    double Seconds(const std::string& name) const {
        const auto it = seconds_.find(name);
        return it == seconds_.end() ? 0 : it->second;
    }
    void Set(const std::string& name, double seconds) { seconds_[name] = seconds; }

  private:
    std::map<std::string, double> seconds_;
};

// The usual console table, and each benchmark's real time (the median of its repetitions when it
// is repeated) kept by the name it was registered with.
class TimesReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.repetitions > 1 ? run.aggregate_name == "median" : run.run_type == Run::RT_Iteration)
                times_.Set(run.run_name.function_name,
                           run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit));
        ConsoleReporter::ReportRuns(runs);
    }
    const Times& times() const { return times_; }

  private:
    Times times_;
};

// Runs the registered benchmarks (those the command line selects) with the console table and
// returns their times, for the summary the benchmark prints after the table.
inline Times RunBenchmarks(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.times();
}

// Times a shell pipeline that prints numbers one per line (a benchmark's anchor outside the
// program) and sets the counter "numbers" to how many it printed, counted into `countFile`.
inline void TimeNumbersPipeline(benchmark::State& state, const std::string& pipeline,
                                const std::filesystem::path& countFile) {
    const std::string command = pipeline + " | wc -l > '" + countFile.string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the pipeline failed");
    double numbers = 0;
    std::ifstream(countFile) >> numbers;
    state.counters["numbers"] = numbers;
}

}  // namespace xunda::bench
