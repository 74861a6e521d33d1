// The main window as a user meets it: start-up, caption, menus, toolbar, accelerators, the
// enabling of the commands, the count pane, the about box and the question at exit.

#include "AboutBox.h"
#include "PulvexWindowsFixture.h"
#include "RecentFiles.h"
#include "SplashWindow.h"
#include "pulvex/model/KitTable.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

using namespace pulvex_app;

namespace {

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (action->isVisible()) texts << (action->isSeparator() ? "-" : action->text());
    return texts;
}

QMenu* menuNamed(QMainWindow& window, const QString& title) {
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == title) return action->menu();
    return nullptr;
}

} // namespace

TEST_F(PulvexWindows, SplashShowsForTheSplashTimeThenTheMainWindow) {
    QElapsedTimer clock;
    clock.start();
    startApp(StartOptions{});
    qint64 shownAt = -1;
    QObject::connect(app.get(), &CPulvexApp::mainWindowShown, [&] { shownAt = clock.elapsed(); });
    ASSERT_NE(app->splash(), nullptr);
    EXPECT_TRUE(app->splash()->isVisible());
    EXPECT_FALSE(frame().isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame().isVisible(); }, 5000));
    EXPECT_GE(shownAt, 2500);
    EXPECT_EQ(app->splash(), nullptr);
}

TEST_F(PulvexWindows, WithoutASplashWindowTheMainWindowShowsAtOnce) {
    startApp();
    EXPECT_TRUE(frame().isVisible());

    StartOptions failing;
    failing.makeSplash = [] { return nullptr; };
    startApp(failing);
    EXPECT_TRUE(frame().isVisible());

    EXPECT_FALSE(startOptionsFromArguments({"pulvex", "--no-splash"}).splash);
    EXPECT_TRUE(startOptionsFromArguments({"pulvex"}).splash);
}

TEST_F(PulvexWindows, CaptionMenusAndToolbar) {
    startApp();
    EXPECT_EQ(frame().windowTitle(), "DrmMap - Pulvex for Windows");
    EXPECT_EQ(menuTexts(frame().fileMenu()),
              QStringList({"&Receive from Pulvex...\tCtrl+R", "Receive all &kits...",
                           "&Open...\tCtrl+O", "&Save as Cubase Drumset...\tCtrl+S",
                           "S&ave as The*Drum Drumset...", "Sa&ve as MasterDrum Drumset...",
                           "&Export as", "-", "Recent File", "-", "E&xit"}));
    EXPECT_FALSE(frame().fileMenu()->actions()[8]->isEnabled()); // the greyed placeholder
    EXPECT_EQ(menuTexts(menuNamed(frame(), "&Edit")), QStringList({"&Unselect all\tCtrl+U"}));
    EXPECT_EQ(menuTexts(menuNamed(frame(), "&View")), QStringList({"&Toolbar", "&Status Bar"}));
    EXPECT_EQ(menuTexts(menuNamed(frame(), "&Options")), QStringList({"&Setup..."}));
    EXPECT_EQ(menuTexts(menuNamed(frame(), "&Help")), QStringList({"&About Pulvex..."}));

    const auto* toolBar = frame().findChild<QToolBar*>();
    ASSERT_NE(toolBar, nullptr);
    QStringList tips;
    for (const QAction* action : toolBar->actions())
        tips << (action->isSeparator() ? "-" : action->toolTip());
    EXPECT_EQ(tips, QStringList({"Receive data from MIDI", "-", "Open drumset", "Save drumset", "-",
                                 "Unselect all", "-", "About"}));
    EXPECT_EQ(frame().action(ID_FILE_RECEIVE)->statusTip(), "Receive a drumset from Pulvex");
    EXPECT_EQ(frame().action(ID_OPTIONS_SETUP)->statusTip(), "Setup of the program");

    // View commands hide and show the bars.
    frame().action(ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(toolBar->isVisible());
    frame().action(ID_VIEW_TOOLBAR)->trigger();
    EXPECT_TRUE(toolBar->isVisible());
}

TEST_F(PulvexWindows, AcceleratorsReachTheCommands) {
    pulvex::CPulvexDoc document;
    RecentFiles recent({});
    int receives = 0;
    CMainFrame window(document, recent, {[&] { ++receives; }, [] {}, [] {}, [] {}});
    document.onChanged = [&] { window.updateFromDocument(); };
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(receives, 1);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openRequests.size(), 1u);
    EXPECT_EQ(openRequests[0].filters.first(), "Cubase DrumMap (*.drm)");
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier); // no kit: nothing
    EXPECT_TRUE(saveRequests.empty());

    document.SetKeySound(0, "Kick", 35);
    document.ToggleSelected(3);
    QTest::keyClick(&window, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(document.SelectedCount(), 0);
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saveRequests.size(), 1u);
}

TEST_F(PulvexWindows, CommandsAndCountPaneFollowTheKitAndTheSelection) {
    startApp();
    const auto enabled = [this](int command) { return frame().action(command)->isEnabled(); };
    for (int command :
         {ID_FILE_SAVE_AS, ID_FILE_SAVE_THEDRUM, ID_FILE_SAVE_MASTERDRUM, ID_EDIT_UNSELECT_ALL})
        EXPECT_FALSE(enabled(command)) << command;
    EXPECT_FALSE(frame().countPane()->isEnabled());
    EXPECT_EQ(countPane(), "");
    for (int command : {ID_FILE_RECEIVE, ID_FILE_OPEN, ID_OPTIONS_SETUP, ID_APP_ABOUT, ID_APP_EXIT})
        EXPECT_TRUE(enabled(command)) << command;

    receiveTestKit();
    EXPECT_EQ(frame().windowTitle(), "Kit1 - Pulvex for Windows");
    EXPECT_TRUE(enabled(ID_FILE_SAVE_AS) && enabled(ID_FILE_SAVE_THEDRUM) &&
                enabled(ID_FILE_SAVE_MASTERDRUM));
    EXPECT_FALSE(enabled(ID_EDIT_UNSELECT_ALL));
    EXPECT_EQ(countPane(), "000");

    clickRow(0);
    EXPECT_TRUE(doc().IsSelected(0));
    EXPECT_EQ(countPane(), "001");
    EXPECT_TRUE(enabled(ID_EDIT_UNSELECT_ALL));
    clickRow(0);
    EXPECT_FALSE(doc().IsSelected(0));
    EXPECT_EQ(countPane(), "000");
    // Selecting is not a change of the kit.
    doc().modified = false;
    clickRow(5);
    EXPECT_FALSE(doc().modified);
}

TEST_F(PulvexWindows, ViewGeometryAndHitTesting) {
    startApp();
    receiveTestKit();
    const QFont rows = view().rowFont();
    const int expectedPixels = static_cast<int>(view().logicalDpiY() / 25.4 * 2.0);
    EXPECT_EQ(rows.pixelSize(), expectedPixels);
    EXPECT_TRUE(rows.bold());
    EXPECT_EQ(view().headerFont().pixelSize(), static_cast<int>(view().logicalDpiY() / 25.4 * 3.0));
    const int lh = view().lh();
    EXPECT_EQ(lh,
              std::max(QFontMetrics(rows).height(), QFontMetrics(view().headerFont()).height()));
    // Under a header a line and 2 pixels high, row k starts (k + 1) lines and 2 pixels below the
    // table's top edge; column c at ColumnX[c] character widths.
    EXPECT_EQ(view().horizontalHeader()->height(), lh + 2);
    const auto rowTop = [this](int key) {
        const QPoint top(0, view().rowViewportPosition(key));
        return view().viewport()->mapTo(&view(), top).y() - view().frameWidth();
    };
    for (int key : {0, 1, 63}) EXPECT_EQ(rowTop(key), (key + 1) * lh + 2) << key;
    for (int key : {0, 63}) EXPECT_EQ(view().rowHeight(key), lh) << key;
    for (int c = 0; c < pulvex::kKitColumns; ++c)
        EXPECT_EQ(view().columnViewportPosition(c), pulvex::CPulvexDoc::ColumnX[c] * view().cw())
            << c;
    EXPECT_EQ(view().rowWidth(), 84 * view().cw());
    EXPECT_EQ(view().columnViewportPosition(9) + view().columnWidth(9), view().rowWidth());

    QTest::mouseClick(view().viewport(), Qt::RightButton, {},
                      QPoint(10, view().rowViewportPosition(2) + 1));
    EXPECT_EQ(doc().SelectedCount(), 0);

    // Scrolled to the end, row 64 is whole and clickable.
    frame().resize(500, 300);
    QApplication::processEvents();
    QScrollBar* vertical = view().verticalScrollBar();
    vertical->setValue(vertical->maximum());
    EXPECT_GT(vertical->maximum(), 0);
    EXPECT_LE(view().rowViewportPosition(63) + lh, view().viewport()->height());
    clickRow(63);
    EXPECT_TRUE(doc().IsSelected(63));
}

TEST_F(PulvexWindows, SelectedRowsAreHighlightedAcrossTheRow) {
    startApp();
    frame().resize(1400, 700);
    receiveTestKit();
    select({1});
    const QImage image = view().viewport()->grab().toImage();
    const auto middleOf = [this](int key) {
        return view().rowViewportPosition(key) + view().rowHeight(key) / 2;
    };
    const int width = view().rowWidth();
    const QColor highlight = view().palette().color(QPalette::Highlight);
    ASSERT_LT(width + 4, image.width());
    // Sample the gaps between cells: the whole row is highlighted, and nothing right of it is.
    EXPECT_EQ(image.pixelColor(width - 3, middleOf(1)), highlight);
    EXPECT_EQ(image.pixelColor(view().cw() * 13, middleOf(1)), highlight);
    EXPECT_NE(image.pixelColor(width + 3, middleOf(1)), highlight);
    EXPECT_NE(image.pixelColor(width - 3, middleOf(2)), highlight);
}

TEST_F(PulvexWindows, EmptyDocumentShowsOnlyTheCentredPicture) {
    startApp();
    frame().resize(900, 500);
    QApplication::processEvents();
    const QImage image = view().viewport()->grab().toImage();
    const QRect picture(QPoint((image.width() - 525) / 2, (image.height() - 69) / 2),
                        QSize(525, 69));
    int inside = 0, outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(Qt::black))
                ++(picture.contains(x, y) ? inside : outside);
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);
    // Its white pixels leave the background.
    EXPECT_EQ(image.pixelColor(picture.topLeft()),
              view().viewport()->palette().color(QPalette::Base));
}

TEST_F(PulvexWindows, AboutPictureStampsUntilTheNextWholePaint) {
    startApp();
    CAboutDlg about(&frame());
    about.show();
    QuenbyPicture* picture = about.picture();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QImage bare = picture->grab().toImage();

    QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(40, 50));
    QTest::mouseClick(picture, Qt::RightButton, {}, QPoint(90, 120));
    QApplication::processEvents();
    ASSERT_EQ(picture->stamps().size(), 2);
    EXPECT_EQ(picture->stamps()[0].at, QPoint(40, 50));
    EXPECT_FALSE(picture->stamps()[0].right);
    EXPECT_TRUE(picture->stamps()[1].right);
    // The stamp covers the picture from the mouse position on.
    const QImage stamped = picture->grab(QRect(40, 50, 32, 32)).toImage();
    EXPECT_NE(stamped, bare.copy(40, 50, 32, 32));

    picture->repaint(); // covered and uncovered
    EXPECT_TRUE(picture->stamps().isEmpty());
    EXPECT_EQ(picture->grab().toImage(), bare);
}

TEST_F(PulvexWindows, TheStatusBarSaysReadyAgainAfterAMenu) {
    startApp();
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Ready");
    frame().menuBar()->setActiveAction(frame().fileMenu()->menuAction());
    ASSERT_TRUE(frame().fileMenu()->isVisible());
    frame().fileMenu()->setActiveAction(frame().action(ID_FILE_OPEN));
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Open an existing document");
    frame().fileMenu()->close();
    QApplication::processEvents();
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Ready");
}

// Whatever font stands in for the box's own and whatever the scale (this test runs at 200 % too),
// no text is cut off.
TEST_F(PulvexWindows, AboutBoxTextsFitTheirLabels) {
    startApp();
    CAboutDlg about(&frame());
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    ASSERT_GE(labels.size(), 8);
    for (const QLabel* label : labels) {
        SCOPED_TRACE(label->text().toStdString());
        const QSize needed = label->sizeHint();
        EXPECT_GE(label->width(), needed.width());
        EXPECT_GE(label->height(), needed.height());
        EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry()));
    }
    EXPECT_TRUE(about.rect().contains(about.findChild<QPushButton*>()->geometry()));
}

TEST_F(PulvexWindows, ExitAsksToSaveAModifiedKit) {
    startApp();
    receiveTestKit("Jazz Kit");
    answers = {QMessageBox::Cancel};
    EXPECT_FALSE(frame().close());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Save changes to Jazz Kit?");
    EXPECT_TRUE(frame().isVisible());

    answers = {QMessageBox::No};
    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(saveRequests.empty());

    // An unmodified document closes without a question.
    startApp();
    messages.clear();
    EXPECT_TRUE(frame().close());
    EXPECT_TRUE(messages.empty());
}
