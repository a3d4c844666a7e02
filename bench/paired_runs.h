#pragma once

// Timing a step of Quorrel's against a baseline in the same run, and printing the ratios.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace quorrel::bench {

inline double Median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2),
                     times.end());
    return times[times.size() / 2];
}

// Quorrel's step and its baseline, timed turn about in every iteration, so that whatever else
// the machine and its disk do weighs on both alike; the disk's pace changes by several times
// from one second to the next. The reported time is Quorrel's; the counters give the baseline's
// median and the ratio of the medians.
class Pair {
public:
    explicit Pair(benchmark::State& state) : state_(state) {}

    template <typename Step>
    void Ours(const Step& step)
    {
        ours_.push_back(Time(step));
        state_.SetIterationTime(ours_.back());
    }
    template <typename Step>
    void Baseline(const Step& step)
    {
        baseline_.push_back(Time(step));
    }

    ~Pair()
    {
        if (!ours_.empty() && !baseline_.empty()) {
            state_.counters["baseline_us"] = Median(baseline_) * 1e6;
            state_.counters["ratio"] = Median(ours_) / Median(baseline_);
        }
    }

private:
    template <typename Step>
    static double Time(const Step& step)
    {
        const auto start = std::chrono::steady_clock::now();
        step();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    benchmark::State& state_;
    std::vector<double> ours_;
    std::vector<double> baseline_;
};

// Keeps each benchmark's ratio so that they can be printed together at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ratios;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()) {
                ratios[run.run_name.str()] = ratio->second;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* what, const std::string& benchmark, double goal) const
    {
        const auto ratio = ratios.find(benchmark);
        if (ratio != ratios.end()) {
            std::printf("  %-52s %5.2f (goal %.2f)\n", what, ratio->second, goal);
        }
    }
};

}  // namespace quorrel::bench
