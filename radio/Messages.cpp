#include "Messages.h"

#include <cstdio>
#include <utility>

namespace qarlo {

namespace {
MessageHandler& handlerSlot() {
    static MessageHandler handler = [](const QString& text) {
        std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    };
    return handler;
}
} // namespace

void ShowMessage(const QString& text) {
    if (handlerSlot()) handlerSlot()(text);
}

MessageHandler SetMessageHandler(MessageHandler handler) {
    return std::exchange(handlerSlot(), std::move(handler));
}

} // namespace qarlo
