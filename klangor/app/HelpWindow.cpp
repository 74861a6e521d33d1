#include "HelpWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>

namespace klangor {
namespace {

// A page of the manual that cannot be read shows why instead of an empty window.
class ManualBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        QVariant data = QTextBrowser::loadResource(type, name);
        if (type != QTextDocument::HtmlResource || !data.toByteArray().isEmpty()) return data;
        const QString file =
            name.isLocalFile() ? QDir::toNativeSeparators(name.toLocalFile()) : name.toString();
        return QStringLiteral("<p>The manual page %1 is not there.</p>").arg(file.toHtmlEscaped());
    }
};

QList<QKeySequence> keysWith(QKeySequence::StandardKey platformKey, const QKeySequence& key) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(platformKey);
    if (!keys.contains(key)) keys.prepend(key);
    return keys;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window), browser_(new ManualBrowser(this)) {
    setCentralWidget(browser_);
    // Local links are followed here; the rest is the desktop's business.
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::showTitle);

    QToolBar* tools = addToolBar("Navigation");
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = tools->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "Back", browser_,
                             &QTextBrowser::backward);
    back_->setShortcuts(keysWith(QKeySequence::Back, QKeySequence(Qt::ALT | Qt::Key_Left)));
    forward_ = tools->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "Forward", browser_,
                                &QTextBrowser::forward);
    forward_->setShortcuts(keysWith(QKeySequence::Forward, QKeySequence(Qt::ALT | Qt::Key_Right)));
    contents_ = tools->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), "Contents", this,
                                 [this] { openLink(index_); });
    back_->setEnabled(false);
    forward_->setEnabled(false);
    contents_->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);

    resize(760, 680);
    showTitle();
}

void HelpWindow::showPage(const QUrl& page) {
    index_ = page.resolved(QUrl("index.html"));
    contents_->setEnabled(true);
    // Read again even when it is the page shown: the manual may have been put in place since.
    if (browser_->source() == page)
        browser_->reload();
    else
        browser_->setSource(page);
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void HelpWindow::openLink(const QUrl& link) {
    if (link.isLocalFile() || link.isRelative())
        browser_->setSource(link);
    else
        QDesktopServices::openUrl(link);
}

void HelpWindow::showTitle() {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QString("Klangor Help") : "Klangor Help — " + title);
}

} // namespace klangor
