// Shared by the benchmarks: generated ROM folders and a reporter that pairs each measurement
// of the project's code with its floor and prints the ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bench {

// A folder of n files: half ".vb", a tenth ".zip", the rest other names, with the mixed-case,
// blank-filled names of real collections. Kept between runs under $TMPDIR.
inline std::string romFolder(int n)
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalmora-bench";
    const std::string folder = base + "/roms-" + std::to_string(n);
    const std::string done = base + "/roms-" + std::to_string(n) + ".complete";
    if (::access(done.c_str(), F_OK) == 0)
        return folder;
    ::mkdir(base.c_str(), 0755);
    ::mkdir(folder.c_str(), 0755);
    static const char* const titles[] = {"Mario Clash", "Wario Land", "Red Alarm", "Teleroboxer", "Galactic Pinball",
                                         "Jack Bros", "Vertical Force", "Golf", "Panic Bomber", "Space Squash"};
    static const char* const others[] = {".txt", ".sav", ".nfo", ".png", ".srm", ".ips", ".7z", ".jpg"};
    for (int i = 0; i < n; ++i) {
        std::string name = std::string(titles[i % 10]) + " (" + (i % 3 ? "USA" : "Japan") + ") #" + std::to_string(i);
        if (i % 2 == 0)
            name += (i % 4 ? ".VB" : ".vb");
        else if (i % 10 == 1)
            name += ".zip";
        else
            name += others[i % 8];
        const int fd = ::open((folder + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    std::ofstream(done) << n << '\n';
    return folder;
}

inline std::string emptyFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/kalmora-bench";
    ::mkdir(base.c_str(), 0755);
    ::mkdir((base + "/empty").c_str(), 0755);
    return base + "/empty";
}

struct Goal {
    std::string text;  // as printed, e.g. "<= 1.3"
    double limit;
};

// A run that ended in an error: Google Benchmark 1.8 turned error_occurred into skipped.
template <class Run>
bool failed(const Run& run)
{
    if constexpr (requires { run.skipped; })
        return static_cast<bool>(run.skipped);
    else
        return run.error_occurred;
}

// Collects the adjusted real time of every run; names end in "/project" or "/floor".
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions the median stands for the run: this machine's noise is one-sided.
        for (const Run& run : runs) {
            if (failed(run))
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.function_name;  // without "/min_time:…" and the like
            if (median || (run.run_type == Run::RT_Iteration && !m_fromMedian.count(name))) {
                m_seconds[name] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                if (median)
                    m_fromMedian.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    const std::map<std::string, double>& seconds() const { return m_seconds; }

private:
    std::map<std::string, double> m_seconds;
    std::set<std::string> m_fromMedian;
};

// One table row per measured pair: "| what | project | floor | ratio | goal | met |".
inline void printRatios(const RatioReporter& reporter, const std::map<std::string, Goal>& goals, std::FILE* out)
{
    for (const auto& [name, time] : reporter.seconds()) {
        const std::string suffix = "/project";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string what = name.substr(0, name.size() - suffix.size());
        const auto floor = reporter.seconds().find(what + "/floor");
        if (floor == reporter.seconds().end())
            continue;
        const double ratio = time / floor->second;
        std::string goalText = "-";
        std::string met = "-";
        for (const auto& [prefix, goal] : goals)
            if (what.compare(0, prefix.size(), prefix) == 0) {
                goalText = goal.text;
                met = ratio <= goal.limit ? "yes" : "NO";
            }
        std::fprintf(out, "| %s | %.3f ms | %.3f ms | %.2f | %s | %s |\n", what.c_str(), time * 1e3,
                     floor->second * 1e3, ratio, goalText.c_str(), met.c_str());
    }
}

// Runs the registered benchmarks, then appends the ratio rows to the file named by
// --table=<path> (or prints them).
inline int runWithRatios(int argc, char** argv, const std::map<std::string, Goal>& goals)
{
    std::string table;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--table=", 0) == 0)
            table = a.substr(8);
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::FILE* out = table.empty() ? stdout : std::fopen(table.c_str(), "a");
    if (!out)
        return 1;
    printRatios(reporter, goals, out);
    if (out != stdout)
        std::fclose(out);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
