#pragma once
// The one loop that reads an input up to its cap, for every system's body: `read(into, room)`
// gives the bytes it got, 0 at the end, or nullopt with `error` set.
#include "platform/ReadFile.h"

#include <algorithm>
#include <optional>
#include <string>

namespace qarlo {

template <typename Read>
FileBytes ReadUpTo(const std::filesystem::path& name, std::size_t limit, ReadMode mode, Read read) {
    // One byte past the cap tells a file at the cap from a longer one.
    const std::size_t wanted = mode == ReadMode::Whole ? limit + 1 : limit;
    FileBytes out{{FileError::None, name, {}}, {}};
    std::uint8_t chunk[65536];
    std::string error;
    while (out.bytes.size() < wanted) {
        const std::optional<std::size_t> got =
            read(chunk, std::min(sizeof chunk, wanted - out.bytes.size()), error);
        if (!got) return {{FileError::CannotOpen, name, error}, {}};
        if (*got == 0) break;
        out.bytes.insert(out.bytes.end(), chunk, chunk + *got);
    }
    if (mode == ReadMode::Whole && out.bytes.size() > limit)
        return {{FileError::TooLarge, name, "more than " + std::to_string(limit / 1024) + " KiB"},
                {}};
    return out;
}

} // namespace qarlo
