// The serial port alone: names, open failures, and when an asynchronous read ends.
#include "FakeRadio.h"
#include "RadioTestSupport.h"

#include "radio/SerialPort.h"

#include <QSerialPort>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <array>

namespace qarlo::test {
namespace {

TEST(PortName, ComNamesResolveThroughTheEnvironmentOrTheStandardDevices) {
    struct Case {
        const char* env1;
        const char* env2;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "COM1", "/dev/ttyS0"},
        {nullptr, nullptr, "COM2", "/dev/ttyS1"},
        {"/dev/ttyUSB0", nullptr, "COM1", "/dev/ttyUSB0"},
        {"/dev/ttyUSB0", "/tmp/radio", "COM2", "/tmp/radio"},
        {nullptr, "/tmp/radio", "COM1", "/dev/ttyS0"},
        {"", nullptr, "COM1", "/dev/ttyS0"},                       // set but empty: not a device
        {"/dev/ttyUSB0", nullptr, "/dev/ttyACM3", "/dev/ttyACM3"}, // a path is used as it is
        {"/dev/ttyUSB0", nullptr, "com1", "com1"},                 // names are exact
        {nullptr, nullptr, "COM3", "COM3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.env1 ? qputenv("QARLO_COM1", c.env1) : qunsetenv("QARLO_COM1");
        c.env2 ? qputenv("QARLO_COM2", c.env2) : qunsetenv("QARLO_COM2");
        EXPECT_EQ(ResolvePortName(c.name).toStdString(), c.expected);
    }
    qunsetenv("QARLO_COM1");
    qunsetenv("QARLO_COM2");
}

TEST(PortOpen, FailureReasonSaysWhatStandsInTheWay) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    QSerialPort holder(radio.path);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());

    struct Case {
        QString path;
        QString reason;
    };
    const Case cases[] = {
        {"/dev/qarlo-missing", "/dev/qarlo-missing: no such device"},
        {"/nonexistent-dir/tty", "/nonexistent-dir/tty: no such device"},
        {radio.path, radio.path + ": held by another program"},
        {plain.fileName(), plain.fileName() + ": not a serial device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        SerialPort port;
        EXPECT_FALSE(port.OpenPort(c.path));
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(LastOpenFailureReason(), c.reason);
    }
}

struct PortFixture : ::testing::Test {
    FakeRadio radio;
    SerialPort port;
    std::array<std::uint8_t, IO_BUFFER_SIZE> buffer{};
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        radio.handshakeReply.clear(); // the fake only sends what the test tells it to
        buffer.fill(0xAA);
        ASSERT_TRUE(port.OpenPort(radio.path));
    }
    QByteArray incoming(int n) const {
        return QByteArray(reinterpret_cast<const char*>(buffer.data()) + IO_INCOMING, n);
    }
};

QByteArray counting(int n, int start = 0) {
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out.append(static_cast<char>((start + i) & 0xFF));
    return out;
}

TEST_F(PortFixture, ReadEndsAt256BytesAndNeverWritesPastTheBuffer) {
    port.StartReceive(buffer.data() + IO_INCOMING);
    radio.send(counting(300));
    ASSERT_TRUE(spinUntil([&] { return port.received() == RECEIVE_MAX; }));
    spin(150);
    EXPECT_EQ(port.received(), RECEIVE_MAX);
    EXPECT_EQ(incoming(256), counting(256));
    EXPECT_EQ(buffer[IO_INCOMING - 1], 0xAA);
}

TEST_F(PortFixture, ReadEndsAfterMoreThan100msOfSilence) {
    port.StartReceive(buffer.data() + IO_INCOMING);
    radio.send(counting(10));
    ASSERT_TRUE(spinUntil([&] { return port.received() == 10; }));
    spin(300);
    radio.send(counting(10, 10));
    spin(200);
    EXPECT_EQ(port.received(), 10);
    EXPECT_EQ(buffer[IO_INCOMING + 10], 0xAA);
}

TEST_F(PortFixture, ReadWaitsForTheFirstByteBeyond100ms) {
    port.StartReceive(buffer.data() + IO_INCOMING);
    spin(300); // the silence rule counts from a received byte, not from the start
    radio.send(counting(4));
    ASSERT_TRUE(spinUntil([&] { return port.received() == 4; }));
}

TEST_F(PortFixture, CloseEndsThePendingReadAndLaterBytesGoNowhere) {
    port.StartReceive(buffer.data() + IO_INCOMING);
    port.Close();
    EXPECT_FALSE(port.isOpen());
    radio.send(counting(8));
    spin(150);
    EXPECT_EQ(port.received(), 0);
    EXPECT_EQ(buffer[IO_INCOMING], 0xAA);
}

TEST_F(PortFixture, WritesGoOutInOrderWithoutWaiting) {
    const std::uint8_t first[] = {1, 2, 3, 4};
    const std::uint8_t second[] = {5, 6};
    port.Write(first, 4);
    port.Write(second, 2);
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() == 6; }));
    EXPECT_EQ(radio.received(), bytes({1, 2, 3, 4, 5, 6}));
    port.Close();
    EXPECT_FALSE(port.writeFailed());
}

TEST_F(PortFixture, DeviceGoingAwayIsNoticedAndThePortLetGo) {
    port.StartReceive(buffer.data() + IO_INCOMING);
    radio.hangUp();
    ASSERT_TRUE(spinUntil([&] { return port.lost(); }, 2000));
    EXPECT_TRUE(spinUntil([&] { return !port.isOpen(); }, 1000));
    const std::uint8_t data[] = {1};
    port.Write(data, 1);
    EXPECT_TRUE(port.writeFailed());
    port.Close();
    EXPECT_TRUE(port.writeFailed()); // kept until the next open
}

TEST_F(PortFixture, TraceSeesBothDirections) {
    QStringList seen;
    TraceHandler previous = SetTraceHandler([&](bool out, const std::uint8_t* data, int size) {
        seen << QString(out ? "->" : "<-") +
                    QByteArray(reinterpret_cast<const char*>(data), size).toHex();
    });
    const std::uint8_t packet[] = {0xFF, 0x11, 0x22, 0x33};
    port.StartReceive(buffer.data() + IO_INCOMING);
    port.Write(packet, 4);
    ASSERT_TRUE(spinUntil([&] { return radio.received().size() == 4; }));
    radio.send(bytes({0xFF, 0x11}));
    ASSERT_TRUE(spinUntil([&] { return port.received() == 2; }));
    SetTraceHandler(std::move(previous));
    EXPECT_EQ(seen.first(), "->ff112233");
    EXPECT_EQ(seen.mid(1).join("").remove("<-"), "ff11");
}

} // namespace
} // namespace qarlo::test
