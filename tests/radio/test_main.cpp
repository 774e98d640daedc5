// The radio tests need an event loop: the transfer is driven by timers and port notifications.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Every qarlo-cli these tests start waits a quarter of the real times, unless a test says not.
    qputenv("QARLO_TIME_SCALE", "0.25");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
