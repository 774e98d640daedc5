#pragma once
// The application object: start-up in a fixed order (settings key, recent files, the document,
// the frame, the command line, the window shown) and the about box.
#include "app/RecentFileList.h"
#include "app/Resources.h"
#include "memory/CQarloDoc.h"

#include <QObject>
#include <QStringList>

#include <memory>
#include <vector>

namespace qarlo {

class Translations;

class CMainFrame;
class MessageSink;

class CQarloApp : public QObject {
    Q_OBJECT
public:
    // The window's messages, from start-up on, go to `messages`.
    explicit CQarloApp(MessageSink& messages);
    ~CQarloApp() override;

    // `arguments` without the program name: none = a new document, one = the file to open.
    // Returns false when the command line cannot be carried out (the message has been shown).
    bool InitInstance(const QStringList& arguments);
    void OnAppAbout();

    CQarloDoc& document() { return doc; }
    RecentFileList& recentFiles() { return recent; }
    CMainFrame* mainFrame() { return frame.get(); }

private:
    // The window's texts, and Qt's own dialogs, context menus and error reasons, in the
    // interface's language; removed from the run with us.
    std::unique_ptr<Translations> translations;
    MessageSink& messages;
    CQarloDoc doc;
    RecentFileList recent{MAX_RECENT_FILES};
    std::unique_ptr<CMainFrame> frame;
};

} // namespace qarlo
