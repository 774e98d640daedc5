#include "platform/PortHolders.h"

namespace qarlo {

std::string DescribeHolder(const PortHolder& holder) {
    const std::string who = holder.command.empty() ? "another program" : holder.command;
    return "held by " + who + " (pid " + std::to_string(holder.pid) + ")";
}

} // namespace qarlo
