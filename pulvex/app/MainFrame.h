#pragma once
// The main window: menu, toolbar, status bar with the count pane, the kit view, and the caption
// "<title> - Pulvex for Windows". It routes the commands and keeps their enabling current.

#include "Commands.h"

#include <QMainWindow>
#include <QMap>
#include <functional>

class QAction;
class QLabel;
class QMenu;

namespace pulvex {
class CPulvexDoc;
}

namespace pulvex_app {

class CPulvexView;
class DocumentCommands;
class RecentFiles;

// What the frame hands on to the application object.
struct ApplicationCommands {
    std::function<void()> receive;
    std::function<void()> setup;
    std::function<void()> about;
    std::function<void()> receiveAll;
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(pulvex::CPulvexDoc& doc, RecentFiles& recent, ApplicationCommands commands);
    ~CMainFrame() override;

    CPulvexView& view() const { return *view_; }
    DocumentCommands& documentCommands() const { return *documentCommands_; }
    QAction* action(int command) const { return actions_.value(command); }
    QLabel* countPane() const { return countPane_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* exportMenu() const { return exportMenu_; }

    // Caption, count pane and the enabling of the commands, from the document as it is now.
    void updateFromDocument();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addCommand(int command, const QString& text, const QString& prompt,
                        std::function<void()> handler);
    void createActions(const ApplicationCommands& commands);
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void rebuildRecentFiles();

    pulvex::CPulvexDoc& doc_;
    RecentFiles& recent_;
    CPulvexView* view_;
    DocumentCommands* documentCommands_;
    QMap<int, QAction*> actions_;
    QList<QAction*> recentActions_;
    QAction* recentPlaceholder_ = nullptr;
    QAction* recentEnd_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* exportMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* countPane_ = nullptr;
};

} // namespace pulvex_app
