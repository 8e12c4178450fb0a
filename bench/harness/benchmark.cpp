// SPDX-License-Identifier: MIT
#include "benchmark/benchmark.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <regex>

namespace benchmark {

namespace {

struct Options
{
    std::string filter = ".";
    int repetitions = 1;
    bool json = false;
    bool aggregatesOnly = false;
    double minSeconds = 0.5;
};

Options &options()
{
    static Options o;
    return o;
}

std::vector<std::unique_ptr<Benchmark>> &registry()
{
    static std::vector<std::unique_ptr<Benchmark>> benchmarks;
    return benchmarks;
}

const char *unitName(TimeUnit unit)
{
    static const char *const names[] = {"ns", "us", "ms", "s"};
    return names[unit];
}

double inUnit(double seconds, TimeUnit unit)
{
    static const double factors[] = {1e9, 1e6, 1e3, 1};
    return seconds * factors[unit];
}

struct Run
{
    std::string name;
    double seconds = 0; // per iteration
    long long iterations = 0;
    std::string error;
};

Run measure(const Benchmark &benchmark, const std::string &name, long long argument)
{
    // One iteration tells how many fill the minimum time.
    long long iterations = 1;
    for (;;) {
        State state(iterations, argument);
        benchmark.function()(state);
        if (!state.error().empty())
            return {name, 0, 0, state.error()};
        const double seconds = state.seconds();
        if (seconds >= options().minSeconds || iterations >= 1'000'000'000)
            return {name, seconds / double(iterations), iterations, {}};
        const double wanted = options().minSeconds * 1.4 / std::max(seconds, 1e-9);
        iterations = std::max(iterations + 1,
                              std::min(iterations * 100, (long long)(double(iterations) * wanted)));
    }
}

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (char c : text)
        out += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
    return out + "\"";
}

} // namespace

Benchmark *RegisterBenchmark(const char *name, void (*function)(State &))
{
    registry().push_back(std::make_unique<Benchmark>(name, function));
    return registry().back().get();
}

void Initialize(int *argc, char **argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char *option) -> const char * {
            const size_t length = std::strlen(option);
            return arg.compare(0, length, option) == 0 ? argv[i] + length : nullptr;
        };
        if (const char *v = value("--benchmark_filter="))
            options().filter = v;
        else if (const char *v = value("--benchmark_repetitions="))
            options().repetitions = std::max(1, std::atoi(v));
        else if (const char *v = value("--benchmark_format="))
            options().json = std::strcmp(v, "json") == 0;
        else if (const char *v = value("--benchmark_report_aggregates_only="))
            options().aggregatesOnly = std::strcmp(v, "true") == 0;
        else if (const char *v = value("--benchmark_min_time="))
            options().minSeconds = std::atof(v);
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
}

bool ReportUnrecognizedArguments(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        std::fprintf(stderr, "%s: unrecognized argument '%s'\n", argv[0], argv[i]);
    return argc > 1;
}

void RunSpecifiedBenchmarks()
{
    const std::regex filter(options().filter);
    std::string json = "{\n  \"context\": {\"library\": \"tarvik harness\"},\n  \"benchmarks\": [";
    bool first = true;
    auto emit = [&](const Run &run, const char *runType, const char *aggregate, TimeUnit unit) {
        char line[512];
        std::snprintf(line, sizeof line,
                      "%s\n    {\"name\": %s, \"run_name\": %s, \"run_type\": \"%s\"%s%s%s, "
                      "\"iterations\": %lld, \"real_time\": %.6f, \"time_unit\": \"%s\"}",
                      first ? "" : ",",
                      quoted(run.name + (aggregate ? std::string("_") + aggregate : "")).c_str(),
                      quoted(run.name).c_str(), runType,
                      aggregate ? ", \"aggregate_name\": \"" : "", aggregate ? aggregate : "",
                      aggregate ? "\"" : "", run.iterations, inUnit(run.seconds, unit),
                      unitName(unit));
        json += line;
        first = false;
    };
    for (const auto &benchmark : registry()) {
        std::vector<long long> args = benchmark->args();
        if (args.empty())
            args.push_back(0);
        for (long long argument : args) {
            std::string name = benchmark->name();
            if (!benchmark->args().empty())
                name += "/" + std::to_string(argument);
            name += "/real_time";
            if (!std::regex_search(name, filter))
                continue;
            std::vector<Run> runs;
            for (int r = 0; r < options().repetitions; ++r) {
                runs.push_back(measure(*benchmark, name, argument));
                if (!runs.back().error.empty()) {
                    std::fprintf(stderr, "%s: %s\n", name.c_str(), runs.back().error.c_str());
                    break;
                }
                if (!options().aggregatesOnly || options().repetitions == 1)
                    emit(runs.back(), "iteration", nullptr, benchmark->unit());
                if (!options().json)
                    std::printf("%-40s %12.3f %s %10lld\n", name.c_str(),
                                inUnit(runs.back().seconds, benchmark->unit()),
                                unitName(benchmark->unit()), runs.back().iterations);
            }
            if (runs.back().error.empty() && options().repetitions > 1) {
                std::vector<double> times;
                for (const Run &run : runs)
                    times.push_back(run.seconds);
                std::sort(times.begin(), times.end());
                const size_t n = times.size();
                Run median = runs.front();
                median.seconds = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
                emit(median, "aggregate", "median", benchmark->unit());
            }
        }
    }
    json += "\n  ]\n}\n";
    if (options().json)
        std::fputs(json.c_str(), stdout);
}

void Shutdown() {}

} // namespace benchmark
