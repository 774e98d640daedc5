#pragma once
// The single document's file side: its path and title, New, Open and Save on the channel file,
// and the messages a failed open or save shows. Asks nothing and shows nothing itself; the
// document marks itself modified or not and rebuilds its programmed list as it is loaded, reset
// or stored.
#include "memory/CQarloDoc.h"
#include "memory/ChannelFile.h"

#include <QString>

namespace qarlo {

class DocumentManager {
public:
    explicit DocumentManager(CQarloDoc& doc);

    const QString& pathName() const { return path; }
    // The file's name, or the untitled name for a document never saved or opened.
    QString title() const;

    // Resets the document to a new one, untitled and unmodified.
    bool NewDocument();

    // Loads `file`. A file that cannot be opened leaves the document and its name as they were;
    // a file with too few bytes leaves a new untitled document; success takes the file's name.
    FileResult OpenDocument(const QString& file);

    // Stores the document into `file`; on success it takes the file's name and is unmodified,
    // on failure it stays modified and keeps its name.
    FileResult SaveDocument(const QString& file);

    static QString OpenFailureMessage(const FileResult& result);
    static QString SaveFailureMessage(const FileResult& result);

private:
    CQarloDoc& doc;
    QString path;
};

} // namespace qarlo
