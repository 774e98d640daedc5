// The serial port alone: names, other holders of a device, open failures and the devices present.
#include "RadioTestSupport.h"
#include "tests/support/FakeRadio.h"

#include "radio/PortList.h"
#include "radio/SerialLine.h"

#include <QDir>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <cstring>

namespace qarlo::test {
namespace {

TEST(PortName, ComNamesResolveThroughTheEnvironmentOrTheStandardDevices) {
    const struct {
        const char *env1, *name, *expected; // env1: QARLO_COM1, QARLO_COM2 unset
    } cases[] = {
        {nullptr, "COM1", "/dev/ttyS0"},
        {nullptr, "COM2", "/dev/ttyS1"},
        {"/dev/ttyUSB0", "COM1", "/dev/ttyUSB0"},
        {"", "COM1", "/dev/ttyS0"},       // set but empty: not a device
        {"/dev/ttyUSB0", "com1", "com1"}, // names are exact, a path is used as it is
    };
    qunsetenv("QARLO_COM2");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.env1 ? qputenv("QARLO_COM1", c.env1) : qunsetenv("QARLO_COM1");
        EXPECT_EQ(ResolvePortName(c.name).toStdString(), c.expected);
    }
    qunsetenv("QARLO_COM1");
}

// A process table (PID/comm, PID/fd/N linking to what it has open) and a lock folder.
struct StagedSystem {
    QTemporaryDir dir;
    HolderSearchRoots roots() const {
        return {at("proc").toStdString(), {at("lock").toStdString()}};
    }
    QString at(const QString& name) const { return dir.filePath(name); }
    void process(int pid, const QByteArray& comm, const QStringList& open) {
        const QString proc = at(QStringLiteral("proc/%1").arg(pid));
        QDir().mkpath(proc + "/fd");
        write(proc + "/comm", comm + "\n");
        for (int fd = 0; fd < open.size(); ++fd)
            QFile::link(open[fd], QStringLiteral("%1/fd/%2").arg(proc).arg(fd + 3));
    }
    void write(const QString& file, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
};

// Another process with the node open (under any name), or the live owner of its lock file;
// never this process, a dead pid, or the program that drives a pseudo-terminal's master.
TEST(HolderSearch, FindsOtherProcessesWithTheDeviceOpenAndLiveLockOwners) {
    FakeRadio pty;
    const int self = static_cast<int>(::getpid()), binaryPid = 4242;
    const QByteArray binaryLock(reinterpret_cast<const char*>(&binaryPid), sizeof binaryPid);
    const struct {
        const char* name;
        int pid; // the process staged, "ModemManager"
        QByteArray lock;
        QStringList opens;
        QString device; // "link": a symbolic link to /dev/null
        bool held;
    } cases[] = {
        {"open elsewhere", 812, "", {"/dev/null"}, "/dev/null", true},
        {"asked by another name", 812, "", {"/dev/null"}, "link", true},
        {"another device open", 812, "", {"/dev/zero"}, "/dev/null", false},
        {"open only here", self, "", {"/dev/null"}, "/dev/null", false},
        {"text lock, asked by another name", 4242, " 4242\n", {}, "link", true},
        {"binary lock", 4242, binaryLock, {}, "/dev/null", true},
        {"lock of a dead pid", 4242, "4243\n", {}, "/dev/null", false},
        {"pseudo-terminal's line", 812, "", {pty.path}, pty.path, true},
        {"pseudo-terminal's own master", 812, "", {"/dev/ptmx", pty.path}, pty.path, false},
        {"pseudo-terminal's lock", 4242, "4242\n", {}, pty.path, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StagedSystem staged;
        staged.process(c.pid, "ModemManager", c.opens);
        const QString lockName = c.device == pty.path ? pty.path.mid(5).replace('/', '_') : "null";
        if (!c.lock.isEmpty()) staged.write(staged.at("lock/LCK.." + lockName), c.lock);
        QFile::link("/dev/null", staged.at("link"));
        const QString device = c.device == "link" ? staged.at("link") : c.device;
        EXPECT_EQ(FindDeviceHolder(device.toStdString(), staged.roots()),
                  c.held ? std::optional(PortHolder{c.pid, "ModemManager"}) : std::nullopt);
    }
    EXPECT_EQ(DescribeHolder({812, "ModemManager"}), "held by ModemManager (pid 812)");
    EXPECT_EQ(DescribeHolder({7, ""}), "held by another program (pid 7)");
}

// Another name of a held device is held too; a holder found in the process table is named.
TEST(PortOpen, FailureReasonSaysWhatStandsInTheWay) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    QSerialPort holder(radio.path);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    QTemporaryFile plain;
    ASSERT_TRUE(plain.open());
    StagedSystem staged;
    staged.process(812, "ModemManager", {"/dev/tty", "/dev/null"});
    const QString link = staged.at("radio");
    ASSERT_TRUE(QFile::link(radio.path, link));
    const struct {
        QString path, reason;
    } cases[] = {
        {"/dev/qarlo-missing", "/dev/qarlo-missing: no such device"},
        {radio.path, radio.path + ": held by another program"},
        {link, link + ": held by another program"},
        {"/dev/tty", "/dev/tty: held by ModemManager (pid 812)"},
        {"/dev/null", "/dev/null: not a serial device"}, // whoever has it open
        {plain.fileName(), plain.fileName() + ": not a serial device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        SerialLine line;
        line.setHolderSearchRoots(staged.roots());
        const OpenResult opened = line.open(c.path);
        EXPECT_FALSE(line.isOpen());
        ASSERT_FALSE(opened.ok());
        EXPECT_EQ(OpenFailureReason(*opened.failure), c.reason.toStdString());
    }
}

// A program that merely opened the line (no exclusive open, no lock file) is still in the way.
TEST(PortOpen, PlainOpenOfAPseudoTerminalIsAHolder) {
    FakeRadio radio;
    ASSERT_TRUE(radio.ok());
    QProcess sleeper;
    sleeper.setStandardInputFile(radio.path);
    sleeper.start("sleep", {"30"});
    ASSERT_TRUE(sleeper.waitForStarted());
    const qint64 pid = sleeper.processId();
    SerialLine line;
    const OpenResult opened = line.open(radio.path);
    sleeper.kill();
    sleeper.waitForFinished();
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(OpenFailureReason(*opened.failure),
              QStringLiteral("%1: held by sleep (pid %2)").arg(radio.path).arg(pid).toStdString());
}

// The window's reason line, for each obstacle: who holds the device, who may use it.
TEST(PortOpen, TheWindowGivesTheReasonInChinese) {
    using Why = OpenFailure::Why;
    const auto failure = [](Why why, std::optional<PortHolder> holder = {}, std::string group = {},
                            unsigned uid = 0, std::string owner = {}) {
        OpenFailure f;
        f.why = why;
        f.device = "/dev/ttyUSB0";
        f.holder = std::move(holder);
        f.group = std::move(group);
        f.ownerUid = uid;
        f.ownerName = std::move(owner);
        f.detail = "Input/output error";
        return f;
    };
    const struct {
        OpenFailure failure;
        const char* reason;
    } cases[] = {
        {failure(Why::NoSuchDevice), "设备不存在"},
        {failure(Why::HeldBy, PortHolder{812, "ModemManager"}), "被 ModemManager (进程 812) 占用"},
        {failure(Why::HeldBy, PortHolder{77, ""}), "被 另一个程序 (进程 77) 占用"},
        {failure(Why::HeldBy), "被另一个程序占用"},
        {failure(Why::Permission, {}, "dialout"),
         "没有使用权限；只有 dialout 组的成员可以使用（sudo usermod -aG dialout "
         "$USER，然后重新登录）"},
        {failure(Why::Permission), "没有使用权限；只有 root 可以使用"},
        {failure(Why::Permission, {}, {}, 1000, "ann"), "没有使用权限；只有其所有者 ann 可以使用"},
        {failure(Why::Permission, {}, {}, 1001), "没有使用权限；只有其所有者 1001 可以使用"},
        {failure(Why::NotSerialDevice), "不是串口设备"},
        {failure(Why::Other), "Input/output error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OpenFailureReasonChinese(c.failure), std::string("/dev/ttyUSB0: ") + c.reason);
}

// A translated pattern may hold a placeholder with no part, or a bare %: both stay as written,
// and a part's own "%1" is never filled again.
TEST(PortOpen, PartsFillTheirPlaceholdersOnce) {
    EXPECT_EQ(FillParts({"%2 %1 %3 %0 100%", {"a%2", "b"}}), "b a%2 %3 %0 100%");
    EXPECT_EQ(FillParts({"%1%1%", {"x"}}), "xx%");
    EXPECT_EQ(FillParts({"%1", {}}), "%1");
}

// Built-in ports only with a UART behind them (their tty's type in sysfs is not 0), and only
// devices whose node is still there.
TEST(PortList, BuiltInPortsOnlyWithHardwareBehindThem) {
    StagedSystem sys;
    sys.write(sys.at("class/tty/ttyS0/type"), "4\n");
    sys.write(sys.at("class/tty/ttyS1/type"), "0\n");
    QList<PortInfo> all;
    for (const char* device :
         {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyUSB0", "/dev/ttyUSB1"}) {
        all.append({device, {}, {}, false, 0, 0, {}});
        if (std::strcmp(device, "/dev/ttyUSB1") != 0) sys.write(sys.dir.path() + device, "");
    }
    QStringList kept;
    for (const PortInfo& port : PresentPorts(all, sys.dir.path(), sys.dir.path()))
        kept << port.device;
    EXPECT_EQ(kept, QStringList({"/dev/ttyS0", "/dev/ttyUSB0"}));
}

} // namespace
} // namespace qarlo::test
