#include "CQarloApp.h"

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "app/Language.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace qarlo {

CQarloApp::CQarloApp(MessageSink& messageSink) : messages(messageSink) {}

CQarloApp::~CQarloApp() = default;

bool CQarloApp::InitInstance(const QStringList& arguments) {
    // The settings key: the recent-file list and the language choice live under it.
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(AppName());
    translations = std::make_unique<Translations>(ChosenLanguage());
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
