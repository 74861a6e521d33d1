#pragma once
// The document's file commands: Open (the Cubase drum map is the document's own format), Save as
// Cubase, the two selection-based drum maps, and the question before a modified kit is dropped.

#include <QString>
#include <functional>

class QWidget;

namespace pulvex {
class CPulvexDoc;
}

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

    // "Save changes to <title>?" when the document is modified: true when the caller may go on
    // (saved, or the user said No); false on Cancel or a failed save.
    bool SaveModified();

    // Told after a new or opened document (the view lays itself out afresh).
    std::function<void()> onDocumentReplaced;

private:
    enum class SelectionFormat { TheDrum, MasterDrum };
    void saveSelection(SelectionFormat format);
    void replaced();
    void takeFile(const QString& path);

    pulvex::CPulvexDoc& doc_;
    RecentFiles& recent_;
    QWidget& window_;
    QString path_;
};

} // namespace pulvex_app
