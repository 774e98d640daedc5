#include "platform/PortHolders.h"

namespace qarlo {

// Windows keeps no list of who has a COM port open that a user program may read.
std::optional<PortHolder> FindDeviceHolder(const std::string&, const HolderSearchRoots&) {
    return std::nullopt;
}

} // namespace qarlo
