#include "CQarloApp.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qarlo {

CQarloApp::CQarloApp(MessageSink& messageSink) : messages(messageSink) {}

CQarloApp::~CQarloApp() = default;

void CQarloApp::InstallQtTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_zh_CN", "qtserialport_zh_CN"}) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QString::fromLatin1(name), folder)) continue;
        QCoreApplication::installTranslator(translator.get());
        translators.push_back(std::move(translator));
    }
}

bool CQarloApp::InitInstance(const QStringList& arguments) {
    InstallQtTranslations();
    // The settings key: the recent-file list lives under it.
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(AppName());
    // The desktop entry the window belongs to: its name and icon in docks and task switchers.
    QGuiApplication::setDesktopFileName(QStringLiteral("qarlo"));

    recent.load();

    // The one document, frame and view for the whole run.
    frame = std::make_unique<CMainFrame>(doc, recent, messages);
    connect(frame.get(), &CMainFrame::aboutRequested, this, &CQarloApp::OnAppAbout);

    if (arguments.isEmpty()) {
        frame->NewDocumentNow();
    } else if (!frame->OpenDocumentFile(arguments.first())) {
        return false;
    }

    frame->show();
    frame->repaint();
    return true;
}

void CQarloApp::OnAppAbout() {
    CAboutDlg dialog(frame.get());
    dialog.exec();
}

} // namespace qarlo
