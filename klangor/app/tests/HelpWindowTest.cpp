// The help window: manual pages by help context, links between them, history and a missing manual.
#include "HelpWindow.h"
#include "GuiTestSupport.h"
#include "Session.h"

#include <QAction>
#include <QDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextTable>
#include <gtest/gtest.h>

using namespace klangor;
using testing_support::TempDir;
namespace fs = std::filesystem;

namespace {

class HelpWindowTest : public ::testing::Test {
protected:
    QString text() const { return window.browser()->toPlainText(); }

    QAction* action(const QString& name) const {
        for (QAction* action : window.findChildren<QAction*>())
            if (action->text() == name) return action;
        ADD_FAILURE() << "no action " << name.toStdString();
        return nullptr;
    }

    // Clicks the first link to `href` where the user sees it.
    void clickLink(const QString& href) {
        QTextBrowser* browser = window.browser();
        for (QTextBlock block = browser->document()->begin(); block.isValid();
             block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                if (it.fragment().charFormat().anchorHref() != href) continue;
                QTextCursor cursor(browser->document());
                cursor.setPosition(it.fragment().position() + it.fragment().length() / 2);
                browser->setTextCursor(cursor);
                browser->ensureCursorVisible();
                leftClick(browser->viewport(), browser->cursorRect().center());
                return;
            }
        }
        ADD_FAILURE() << "no link to " << href.toStdString();
    }

    HelpWindow window;
};

TEST_F(HelpWindowTest, EachHelpContextShowsItsPage) {
    const struct {
        int context;
        const char* title;
        const char* text;
    } cases[] = {
        {1000, "Klangor Help — Klangor — Klangor for Morvex", "The File menu"},
        {1200, "Klangor Help — Klangor — Common page", "Common page"},
        {1400, "Klangor Help — Klangor — Tone page", "The settings of each element A to D"},
        {1600, "Klangor Help — Klangor — FM-Edit page", "FM-Edit page"},
        {4711, "Klangor Help — Klangor — Klangor for Morvex", "The File menu"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.context);
        window.showPage(helpPage(dataDir().string(), c.context));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.windowTitle().toStdString(), c.title);
        EXPECT_TRUE(text().contains(c.text)) << text().toStdString();
    }
}

TEST_F(HelpWindowTest, LinksAndHistoryStayInTheWindow) {
    window.showPage(helpPage(dataDir().string(), 1000));
    // Brought to the front, so its keys reach it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // The stylesheet beside the page reached it.
    QTextCursor cursor = window.browser()->document()->find("Input File...");
    ASSERT_TRUE(cursor.currentTable());
    EXPECT_TRUE(cursor.currentTable()->format().borderCollapse());
    EXPECT_FALSE(action("Back")->isEnabled());
    EXPECT_FALSE(action("Forward")->isEnabled());

    clickLink("tone.html");
    EXPECT_TRUE(text().contains("Tone page"));
    EXPECT_TRUE(action("Back")->isEnabled());
    EXPECT_FALSE(action("Forward")->isEnabled());

    // Alt+Left and Alt+Right as well as the buttons.
    const struct {
        const char* step;
        std::function<void()> go;
        const char* shown;
        bool back, forward;
    } steps[] = {
        {"back", [&] { action("Back")->trigger(); }, "The File menu", false, true},
        {"forward", [&] { action("Forward")->trigger(); }, "Tone page", true, false},
        {"Alt+Left", [&] { QTest::keyClick(&window, Qt::Key_Left, Qt::AltModifier); },
         "The File menu", false, true},
        {"Alt+Right", [&] { QTest::keyClick(&window, Qt::Key_Right, Qt::AltModifier); },
         "Tone page", true, false},
        {"contents", [&] { action("Contents")->trigger(); }, "The File menu", true, false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.go();
        EXPECT_TRUE(text().contains(s.shown)) << text().toStdString();
        EXPECT_EQ(action("Back")->isEnabled(), s.back);
        EXPECT_EQ(action("Forward")->isEnabled(), s.forward);
    }
}

TEST_F(HelpWindowTest, AMissingManualSaysWhichPageIsNotThere) {
    TempDir dir;
    const QUrl page = helpPage(dir.path().string(), 1400);
    window.showPage(page);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Klangor Help");
    EXPECT_EQ(text(),
              "The manual page " + QDir::toNativeSeparators(page.toLocalFile()) + " is not there.");

    // Once the manual is in place, the next F1 shows it.
    fs::copy(dataDir() / "help", dir.path() / "help");
    window.showPage(page);
    EXPECT_TRUE(text().contains("Tone page"));
}

} // namespace
