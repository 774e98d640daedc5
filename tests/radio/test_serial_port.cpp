// The serial port alone: names, open failures, and when an asynchronous read ends.
#include "FakeRadio.h"
#include "RadioTestSupport.h"

#include "radio/SerialPort.h"

#include <QSerialPort>
#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace qarlo::test {
namespace {

TEST(PortName, ComNamesResolveThroughTheEnvironmentOrTheStandardDevices) {
    const struct {
        const char *env1, *env2, *name, *expected;
    } cases[] = {
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
    for (const auto& c : cases) {
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
    const struct {
        QString path, reason;
    } cases[] = {
        {"/dev/qarlo-missing", "/dev/qarlo-missing: no such device"},
        {"/nonexistent-dir/tty", "/nonexistent-dir/tty: no such device"},
        {radio.path, radio.path + ": held by another program"},
        {plain.fileName(), plain.fileName() + ": not a serial device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        SerialPort port;
        EXPECT_FALSE(port.OpenPort(c.path));
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(LastOpenFailureReason(), c.reason);
    }
}

QByteArray counting(int n, int start = 0) {
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out.append(static_cast<char>((start + i) & 0xFF));
    return out;
}

struct PortTest : ::testing::Test {
    FakeRadio radio;
    SerialPort port;
    IoBufferBytes buffer{};
    void SetUp() override {
        ASSERT_TRUE(radio.ok());
        radio.handshakeReply.clear(); // the fake sends only what the test tells it to
        buffer.fill(0xAA);
        ASSERT_TRUE(port.OpenPort(radio.path));
        port.StartReceive(buffer.data() + IO_INCOMING);
    }
    QByteArray incoming(int n) const {
        return QByteArray(reinterpret_cast<const char*>(buffer.data()) + IO_INCOMING, n);
    }
};

TEST_F(PortTest, ReadEndsAt256BytesAndNeverWritesPastTheBuffer) {
    radio.send(counting(300));
    ASSERT_TRUE(spinUntil([&] { return port.received() == RECEIVE_MAX; }));
    spin(150);
    EXPECT_EQ(port.received(), RECEIVE_MAX);
    EXPECT_EQ(incoming(256), counting(256));
    EXPECT_EQ(buffer[IO_INCOMING - 1], 0xAA);
}

// The silence rule counts from a received byte, not from the start of the read.
TEST_F(PortTest, ReadEndsAfterMoreThan100msOfSilenceFollowingAByte) {
    spin(300);
    radio.send(counting(10));
    ASSERT_TRUE(spinUntil([&] { return port.received() == 10; }));
    spin(300);
    radio.send(counting(10, 10));
    spin(200);
    EXPECT_EQ(port.received(), 10);
    EXPECT_EQ(buffer[IO_INCOMING + 10], 0xAA);
}

TEST_F(PortTest, CloseEndsThePendingReadAndLaterBytesGoNowhere) {
    port.Close();
    EXPECT_FALSE(port.isOpen());
    radio.send(counting(8));
    spin(150);
    EXPECT_EQ(port.received(), 0);
    EXPECT_EQ(buffer[IO_INCOMING], 0xAA);
    // Nor do they pass for an answer once the port is opened again.
    ASSERT_TRUE(port.OpenPort(radio.path));
    port.StartReceive(buffer.data() + IO_INCOMING);
    spin(150);
    EXPECT_EQ(port.received(), 0);
    radio.send(bytes({0xFF, 0x11}));
    ASSERT_TRUE(spinUntil([&] { return port.received() == 2; }));
    EXPECT_EQ(incoming(2), bytes({0xFF, 0x11}));
}

} // namespace
} // namespace qarlo::test
