#pragma once
// Checks shared by the fuzz targets; a broken invariant aborts so libFuzzer keeps the input.
#include "memory/CQarloDoc.h"

#include <cstdio>
#include <cstdlib>

namespace qarlo::fuzz {

inline void require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Sorted, distinct, exactly the programmed channels, then 0xFF to the end.
inline void requireProgrammedListConsistent(const CQarloDoc& doc) {
    int pos = 0;
    for (int ch = 0; ch < CHANNEL_COUNT; ++ch) {
        if (doc.IsChannelProgrammed(ch)) {
            require(doc.ProgrammedChannelList[pos] == ch,
                    "programmed list misses or misorders a channel");
            ++pos;
        }
    }
    for (; pos < CHANNEL_COUNT; ++pos) {
        require(doc.ProgrammedChannelList[pos] == LIST_END, "programmed list has extra entries");
    }
}

} // namespace qarlo::fuzz
