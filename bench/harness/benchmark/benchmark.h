// SPDX-License-Identifier: MIT
#pragma once

// The part of Google Benchmark's interface the benchmarks use, for builds where the library is
// not at hand (Windows, cross-compiled). Each benchmark runs as many iterations as fill about
// half a second, repeated as asked; wall-clock time per iteration, without paused spans, is
// reported in Google Benchmark's JSON format, so bench/compare reads both the same way.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };

// Counters are taken and not reported.
struct Counter
{
    enum Flags { kDefaults = 0, kAvgIterations = 1 };
    Counter(double v = 0, Flags f = kDefaults) : value(v), flags(f) {}
    double value;
    Flags flags;
};

class State
{
public:
    State(long long iterations, long long argument) : m_iterations(iterations), m_arg(argument) {}

    // What "for (auto _ : state)" holds: nothing, of a type whose variables count as used.
    struct __attribute__((unused)) Value
    {
    };
    class Iterator
    {
    public:
        explicit Iterator(State *state) : m_state(state) {}
        Value operator*() const { return {}; }
        Iterator &operator++()
        {
            ++m_state->m_done;
            return *this;
        }
        bool operator!=(const Iterator &) const { return m_state->keepRunning(); }

    private:
        State *m_state;
    };
    Iterator begin()
    {
        m_start = Clock::now();
        return Iterator(this);
    }
    Iterator end() { return Iterator(this); }

    void PauseTiming() { m_elapsed += Clock::now() - m_start; }
    void ResumeTiming() { m_start = Clock::now(); }
    void SkipWithError(const char *message) { m_error = message; }
    void SetBytesProcessed(long long) {}
    void SetItemsProcessed(long long) {}
    long long iterations() const { return m_done; }
    long long range(int = 0) const { return m_arg; }

    std::map<std::string, Counter> counters;

    // For the harness.
    double seconds() const { return std::chrono::duration<double>(m_elapsed).count(); }
    const std::string &error() const { return m_error; }

private:
    using Clock = std::chrono::steady_clock;
    bool keepRunning()
    {
        if (m_done < m_iterations && m_error.empty())
            return true;
        m_elapsed += Clock::now() - m_start;
        return false;
    }

    long long m_iterations;
    long long m_done = 0;
    long long m_arg;
    Clock::time_point m_start;
    Clock::duration m_elapsed{};
    std::string m_error;
};

class Benchmark
{
public:
    Benchmark(const char *name, void (*function)(State &)) : m_name(name), m_function(function) {}
    Benchmark *Arg(long long value)
    {
        m_args.push_back(value);
        return this;
    }
    Benchmark *Unit(TimeUnit unit)
    {
        m_unit = unit;
        return this;
    }
    Benchmark *UseRealTime() { return this; }

    const std::string &name() const { return m_name; }
    void (*function() const)(State &) { return m_function; }
    const std::vector<long long> &args() const { return m_args; }
    TimeUnit unit() const { return m_unit; }

private:
    std::string m_name;
    void (*m_function)(State &);
    std::vector<long long> m_args;
    TimeUnit m_unit = kNanosecond;
};

Benchmark *RegisterBenchmark(const char *name, void (*function)(State &));

template <typename T> inline void DoNotOptimize(T &&value)
{
    asm volatile("" : : "g"(&value) : "memory");
}

void Initialize(int *argc, char **argv);
bool ReportUnrecognizedArguments(int argc, char **argv);
void RunSpecifiedBenchmarks();
void Shutdown();

} // namespace benchmark

#define TARVIK_BENCHMARK_CONCAT2(a, b) a##b
#define TARVIK_BENCHMARK_CONCAT(a, b) TARVIK_BENCHMARK_CONCAT2(a, b)
#define BENCHMARK(function)                                                                        \
    static ::benchmark::Benchmark *TARVIK_BENCHMARK_CONCAT(tarvik_benchmark_, __LINE__) =          \
        ::benchmark::RegisterBenchmark(#function, function)
