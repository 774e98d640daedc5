#pragma once
// How a start-up benchmark's window says it is up: "shown NS_SINCE_EPOCH PEAK_RSS_KB" on stdout.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

inline void ReportShown() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "shown %lld %ld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        usage.ru_maxrss);
    std::fflush(stdout);
}
