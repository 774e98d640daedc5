#pragma once
// A fresh application per test, started as the program starts, with every dialog and message
// replaced by a recorder so nothing waits for a click.
#include "app/CMainFrame.h"
#include "app/CQarloApp.h"
#include "app/CsvImportDialog.h"
#include "app/Resources.h"
#include "editor/CQarloView.h"
#include "memory/ChannelFile.h"
#include "radio/RadioLink.h"
#include "tests/support/FormInput.h"
#include "tests/support/MessageRecorder.h"

#include <QAction>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qarlo::test {

// 10 Hz units of a frequency given in kHz.
inline constexpr std::int32_t kHz(std::int64_t khz) {
    return static_cast<std::int32_t>(khz * 100);
}

// A document with a 410..450 MHz band and the given channels programmed at 430 MHz + channel.
inline CQarloDoc ProgrammedDoc(std::initializer_list<int> channels) {
    CQarloDoc doc;
    doc.setBandLow(410 * 25000);
    doc.setBandHigh(450 * 25000);
    for (int ch : channels) {
        doc.setRxFreq(ch, kHz(430000 + 1000 * ch));
        doc.setTxFreq(ch, kHz(430000 + 1000 * ch));
    }
    doc.RebuildProgrammedList();
    return doc;
}

inline QByteArray FileBytes(const CQarloDoc& doc) {
    const auto bytes = ChannelFileBytes(doc);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), CHANNEL_FILE_SIZE);
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString Caption(const QString& title) {
    return title + QStringLiteral(" - Qarlo写频软件");
}

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QSettings().clear();
    }
    void TearDown() override {
        app.reset();
        qunsetenv("QARLO_COM1");
    }

    // Starts the program with `arguments`; returns what InitInstance returned.
    bool Start(const QStringList& arguments = {}) {
        app.reset();
        app = std::make_unique<CQarloApp>(recorder);
        const bool ok = app->InitInstance(arguments);
        CMainFrame::Dialogs& d = frame().dialogs;
        frame().setBackupFolder(dir.filePath(QStringLiteral("backups")));
        d.askSaveChanges = [this](const QString& title) {
            questions.push_back(title);
            return answer;
        };
        d.chooseFileToOpen = d.chooseCsvToImport = [this] { return nextOpen; };
        d.chooseFileToSave = d.chooseCsvToExport = [this](const QString& name) {
            suggested = name;
            return nextSave;
        };
        d.askPrint = [](QPrinter&) { return false; };
        d.confirmCsvImport = [this](CsvImportDialog& dialog) { return importChoice(dialog); };
        d.showPreview = [](const auto&) {};
        return ok;
    }

    CMainFrame& frame() { return *app->mainFrame(); }
    CQarloView& view() { return frame().view(); }
    CQarloDoc& doc() { return app->document(); }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return file.fileName();
    }
    QString WriteDoc(const QString& name, const CQarloDoc& d) { return Write(name, FileBytes(d)); }

    // The programmed list box as channel indices read back from its texts ("03频道" -> 2).
    std::vector<int> ListedChannels() {
        std::vector<int> channels;
        for (const QString& row : Rows(view().programmedList))
            channels.push_back(row.left(2).toInt() - 1);
        return channels;
    }

    QTemporaryDir dir;
    // What the import dialog is answered with; by default its first choice is taken.
    std::function<bool(CsvImportDialog&)> importChoice = [](CsvImportDialog&) { return true; };
    std::unique_ptr<CQarloApp> app;
    MessageRecorder recorder;
    std::vector<QString>& messages = recorder.messages;
    std::vector<QString> questions;
    CMainFrame::SaveAnswer answer = CMainFrame::SaveAnswer::Cancel;
    QString nextOpen;
    QString nextSave;
    QString suggested; // the name the last save dialog offered
};

} // namespace qarlo::test
