// The frame fitted to the form, menu prompts, the port choice, the command line.
#include "AppFixture.h"

#include "app/CommandLine.h"

#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <sys/stat.h>

namespace qarlo::test {
namespace {

using ShellTest = AppFixture;

// Start-up, New and Open fit the frame to the form: each side shrunk to the form's, never grown,
// never past the screen the frame is on.
TEST_F(ShellTest, NewAndOpenFitTheFrameToTheFormAgain) {
    ASSERT_TRUE(Start());
    // Form 101 is 1038 x 666 px: with the bars the window fits a laptop's 1366 x 768 screen.
    EXPECT_EQ(view().size(), QSize(1038, 666));
    EXPECT_LE(frame().frameGeometry().width(), 1366);
    EXPECT_LE(frame().frameGeometry().height(), 768);
    const QSize borders = frame().frameGeometry().size() - frame().size();
    frame().resize(900, 500); // smaller than the form: Open leaves it so
    EXPECT_TRUE(frame().OpenDocumentFile(WriteDoc(QStringLiteral("fit.q02"), ProgrammedDoc({1}))));
    EXPECT_EQ(frame().size(), QSize(900, 500));
    QScreen* small = QGuiApplication::screens().back(); // 800 x 600 beside the laptop's screen
    ASSERT_EQ(small->availableGeometry().size(), QSize(800, 600));
    frame().setScreen(small);
    frame().resize(1366, 768);
    frame().OnFileNew();
    EXPECT_EQ(frame().size(), QSize(800, 600) - borders);
}

// The mended fault is in the first two rows: COM1's prompt used to name COM2, COM2 had none.
TEST_F(ShellTest, PointingAtAMenuItemShowsItsPromptThenReady) {
    ASSERT_TRUE(Start());
    const std::pair<int, QString> prompts[] = {
        {ID_PORT_COM1, "选择计算机COM1口写频"},
        {ID_PORT_COM2, "选择计算机COM2口写频"},
    };
    for (const auto& [id, prompt] : prompts) {
        QAction* item = frame().action(id);
        QMenu* menu = nullptr;
        for (QAction* top : frame().menuBar()->actions())
            if (top->menu()->actions().contains(item)) menu = top->menu();
        ASSERT_NE(menu, nullptr) << id;
        menu->popup(frame().mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseMove(menu, menu->actionGeometry(item).center());
        EXPECT_EQ(frame().messagePaneText(), prompt);
        menu->hide();
        EXPECT_EQ(frame().messagePaneText(), QStringLiteral("就绪")) << id;
    }
}

// Below COM1 and COM2 the devices present, each with its prompt; one check among all.
TEST_F(ShellTest, PortChoiceListsTheDevicesPresentAndIsExclusive) {
    ASSERT_TRUE(Start());
    frame().listPorts = [] {
        return QList<PortInfo>{{"/dev/ttyUSB7", "USB-Serial", "QinHeng", true, 0x1a86, 0x7523, {}}};
    };
    QMenu* menu = frame().portMenu();
    menu->popup(frame().mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* usb = menu->actions().last();
    EXPECT_EQ(usb->statusTip(),
              QStringLiteral("选择/dev/ttyUSB7口写频（厂商：QinHeng，产品：USB-Serial）"));
    menu->hide();
    usb->trigger();
    EXPECT_EQ(doc().portName, "/dev/ttyUSB7");
    EXPECT_FALSE(frame().action(ID_PORT_COM1)->isChecked() || !usb->isChecked());
}

// The built program refuses a command line it cannot carry out before any window exists: status
// 2, the reason (with the way out for a name with a dash) on stderr, nothing on stdout.
TEST_F(ShellTest, TheProgramRefusesABadCommandLineBeforeAnyWindow) {
    const QString good = WriteDoc(QStringLiteral("good.q02"), ProgrammedDoc({1}));
    const std::pair<QStringList, QString> cases[] = {
        {{"-dash.q02"},
         "qarlo: Unknown option 'dash.q02'.\nA FILE that starts with a dash follows"},
        {{good, good}, "only one FILE"},
    };
    for (const auto& [arguments, err] : cases) {
        QProcess qarlo;
        qarlo.setWorkingDirectory(dir.path());
        qarlo.start(QStringLiteral(QARLO_APP), arguments);
        const std::string row = arguments.join(' ').toStdString();
        ASSERT_TRUE(qarlo.waitForFinished(30000)) << row;
        EXPECT_EQ(qarlo.exitCode(), 2) << row;
        const QString stdErr = QString::fromUtf8(qarlo.readAllStandardError());
        EXPECT_TRUE(stdErr.contains(err)) << row << ": " << stdErr.toStdString();
        EXPECT_TRUE(qarlo.readAllStandardOutput().isEmpty()) << row;
    }
}

// A command line the window carries out: the file after the options (after -- even when it looks
// like one) is opened; one that cannot be opened is said in a box and start-up fails.
TEST_F(ShellTest, TheFileOnTheCommandLineOpensOrStartUpFails) {
    const QString ten = Write(QStringLiteral("ten.q02"), QByteArray(10, '\0'));
    const QString fifo = dir.filePath(QStringLiteral("fifo.q02"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir::setCurrent(dir.path());
    WriteDoc(QStringLiteral("-dash.q02"), ProgrammedDoc({2}));
    const struct {
        QStringList arguments;
        bool started;
        QString message;
    } cases[] = {
        {{}, true, ""},
        {{"--", "-dash.q02"}, true, ""},
        {{"--", "--help"}, false, "无法打开文件 --help。"},
        {{ten}, false, QStringLiteral("无法打开文件 %1：文件格式不正确。").arg(ten)},
        {{fifo}, false, QStringLiteral("无法打开文件 %1：它不是普通文件。").arg(fifo)},
    };
    for (const auto& c : cases) {
        QString error;
        const auto files = FileArguments(QStringList{"qarlo"} + c.arguments, error);
        ASSERT_TRUE(files.has_value()) << error.toStdString();
        messages.clear();
        EXPECT_EQ(Start(*files), c.started) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(messages.empty() ? QString() : messages.front().section('\n', 0, 0), c.message);
        EXPECT_EQ(doc().IsChannelProgrammed(2), c.arguments.contains("-dash.q02"));
    }
}

} // namespace
} // namespace qarlo::test
