#pragma once
// Klangor's own window for the HTML manual, so help opens offline without a desktop browser.

#include <QMainWindow>
#include <QUrl>

class QAction;
class QTextBrowser;

namespace klangor {

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    // A top-level window even with a parent, so each main window can own its one help window.
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows `page` (a file URL of the manual, as helpPage() gives it) and brings the window to
    // the front. Contents leads to index.html in the page's folder.
    void showPage(const QUrl& page);

    QTextBrowser* browser() const { return browser_; }

private:
    void openLink(const QUrl& link);
    void showTitle();

    QTextBrowser* browser_;
    QAction* back_;
    QAction* forward_;
    QAction* contents_;
    QUrl index_;
};

} // namespace klangor
