#pragma once
// The document's file commands: Open (the Cubase drum map is the document's own format), Save as
// Cubase, the exports to every drum-map format (DrumMapExport.h), and the question before a
// modified kit is dropped.

#include <QString>
#include <functional>

class QWidget;

namespace pulvex {
class CPulvexDoc;
struct DrumMapFormat;
} // namespace pulvex

namespace pulvex_app {

class RecentFiles;

inline constexpr const char* kNewDocumentTitle = "DrmMap";

class DocumentCommands {
public:
    DocumentCommands(pulvex::CPulvexDoc& doc, RecentFiles& recent, QWidget& window);

    // The path of the file the document came from or was saved to; empty for a received kit.
    const QString& path() const { return path_; }

    void OnFileNew(); // the empty document of the start
    void OnFileOpen();
    bool OpenDocumentFile(const QString& path); // also the recent-file entries
    bool OnFileSaveAs();
    void OnSaveTheDrum();
    void OnSaveMasterDrum();
    // Writes the kit in the format, or in the one the user picks in the file dialog; leaves the
    // document's title, file and mark alone. A format with a limit writes the selected keys.
    void OnExport(const pulvex::DrumMapFormat& format);

    // "Save changes to <title>?" when the document is modified: true when the caller may go on
    // (saved, or the user said No); false on Cancel or a failed save.
    bool SaveModified();

    // Told after a new or opened document (the view lays itself out afresh).
    std::function<void()> onDocumentReplaced;

private:
    // False, the user told, when the format's limit and the selection do not allow saving.
    bool selectionAllows(const pulvex::DrumMapFormat& format);
    // The format the user's file asks for; null when the user cancels the question.
    const pulvex::DrumMapFormat* formatToWrite(const pulvex::DrumMapFormat& offered,
                                               const QString& chosenFilter, const QString& path);
    void replaced();
    void takeFile(const QString& path);

    pulvex::CPulvexDoc& doc_;
    RecentFiles& recent_;
    QWidget& window_;
    QString path_;
};

} // namespace pulvex_app
