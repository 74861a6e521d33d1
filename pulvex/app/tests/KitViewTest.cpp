// The kit table as its users meet it: clicks and keys change the document's selection and the
// count, only the clicked row is drawn again, the text reads on a dark palette, and a screen reader
// finds the names of the rows, columns and cells.

#include "KitTableModel.h"
#include "PulvexWindowsFixture.h"
#include "testing/DarkPalette.h"

#include <QAccessible>
#include <QAccessibleTableCellInterface>
#include <QApplication>
#include <QHeaderView>
#include <QPaintEvent>
#include <memory>
#include <set>

using namespace pulvex_app;
using testing_support::contrast;
using testing_support::luminance;

namespace {

std::set<int> allKeysBut(std::initializer_list<int> left) {
    std::set<int> keys;
    for (int key = 0; key < pulvex::kKeyCount; ++key) keys.insert(key);
    for (int key : left) keys.erase(key);
    return keys;
}

// The region of the widget's paint events while it lives.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

} // namespace

class KitView : public PulvexWindows {
protected:
    void SetUp() override {
        PulvexWindows::SetUp();
        startApp();
        receiveTestKit();
        // All 64 rows and some ground below them.
        frame().resize(1000, 66 * view().lh() + 200);
        QApplication::setActiveWindow(&frame());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame()));
        // The keys go to the table as soon as the window is active.
        ASSERT_EQ(QApplication::focusWidget(), &view());
        QApplication::processEvents();
    }

    std::set<int> selectedKeys() {
        std::set<int> keys;
        for (int key = 0; key < pulvex::kKeyCount; ++key)
            if (doc().IsSelected(key)) keys.insert(key);
        return keys;
    }

    // The document holds the selection, the table shows it, and nothing else holds one.
    void expectSelection(const std::set<int>& keys) {
        EXPECT_EQ(selectedKeys(), keys);
        EXPECT_EQ(countPane(), QString::asprintf("%03i", int(keys.size())));
        EXPECT_FALSE(view().selectionModel()->hasSelection());
        for (int key : {0, 1, 31, 63})
            EXPECT_EQ(view().model()->index(key, 3).data(KitTableModel::SelectedRole).toBool(),
                      keys.contains(key))
                << key;
    }

    void startOver() {
        frame().action(ID_EDIT_UNSELECT_ALL)->trigger();
        view().setCurrentIndex(view().model()->index(0, 0));
    }

    int middleOf(int key) { return view().rowViewportPosition(key) + view().rowHeight(key) / 2; }
};

TEST_F(KitView, ClicksToggleTheRowUnderThemAndTheCountFollows) {
    enum Where { Row, DoubleClick, RightButton, Header, BelowTheRows };
    struct Click {
        Where where;
        int key = 0;
    };
    const struct {
        const char* what;
        std::vector<Click> clicks;
        std::set<int> selected;
    } cases[] = {
        {"a row", {{Row, 3}}, {3}},
        {"the same row again", {{Row, 3}, {Row, 3}}, {}},
        {"the first, a middle and the last row", {{Row, 0}, {Row, 31}, {Row, 63}}, {0, 31, 63}},
        {"a double click, two presses", {{DoubleClick, 7}}, {}},
        {"the right button", {{RightButton, 3}}, {}},
        {"the header", {{Header}}, {}},
        {"the ground below the last row", {{BelowTheRows}}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        startOver();
        for (const Click& click : test.clicks) {
            QWidget* rows = view().viewport();
            const QPoint onKey(10, middleOf(click.key));
            switch (click.where) {
            case Row:
                clickRow(click.key);
                break;
            case DoubleClick: // as the system sends one: the second press comes as the double click
                QTest::mouseClick(rows, Qt::LeftButton, {}, onKey);
                QTest::mouseDClick(rows, Qt::LeftButton, {}, onKey);
                break;
            case RightButton:
                QTest::mouseClick(rows, Qt::RightButton, {}, onKey);
                break;
            case Header:
                QTest::mouseClick(view().horizontalHeader()->viewport(), Qt::LeftButton, {},
                                  QPoint(10, view().lh() / 2));
                break;
            case BelowTheRows:
                ASSERT_LT(middleOf(63) + view().lh(), rows->height());
                QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 2));
                break;
            }
        }
        expectSelection(test.selected);
    }
}

TEST_F(KitView, AClickDrawsJustItsRowAgain) {
    clickRow(5); // the current row moves there first
    QApplication::processEvents();
    PaintRecorder recorder(view().viewport());
    clickRow(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.painted.isEmpty(); }));
    // The row, give or take the pixel the table adds below a changed cell.
    const QRect row(0, view().rowViewportPosition(5) - 1, view().viewport()->width(),
                    view().rowHeight(5) + 2);
    const QRect painted = recorder.painted.boundingRect();
    EXPECT_TRUE(row.contains(painted)) << painted.y() << "+" << painted.height();
    EXPECT_FALSE(doc().IsSelected(5));
}

TEST_F(KitView, KeysMoveTheCurrentRowAndToggleIt) {
    // Focus alone makes the first row current.
    EXPECT_EQ(view().currentIndex().row(), 0);
    const QKeyCombination space(Qt::Key_Space), down(Qt::Key_Down), up(Qt::Key_Up);
    const QKeyCombination ctrlA(Qt::CTRL | Qt::Key_A), ctrlU(Qt::CTRL | Qt::Key_U);
    const struct {
        const char* what;
        std::vector<QKeyCombination> keys;
        std::set<int> selected;
        int current;
    } cases[] = {
        {"Space toggles the current row", {space}, {0}, 0},
        {"Down, then Space", {down, space}, {1}, 1},
        {"Space again unselects", {down, space, space}, {}, 1},
        {"Up stops at the first row", {up, space}, {0}, 0},
        {"two rows", {down, down, space, up, space}, {1, 2}, 1},
        {"Ctrl+End goes to the last row", {Qt::CTRL | Qt::Key_End, space}, {63}, 63},
        {"Ctrl+A selects every key", {ctrlA}, allKeysBut({}), 0},
        {"Ctrl+A twice, still every key", {ctrlA, ctrlA}, allKeysBut({}), 0},
        {"Space after Ctrl+A", {ctrlA, down, space}, allKeysBut({1}), 1},
        {"Ctrl+U after Ctrl+A", {ctrlA, ctrlU}, {}, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        startOver();
        for (const QKeyCombination key : test.keys)
            QTest::keyClick(&view(), key.key(), key.keyboardModifiers());
        expectSelection(test.selected);
        EXPECT_EQ(view().currentIndex().row(), test.current);
    }
}

TEST_F(KitView, TextContrastsWithItsGroundOnADarkPalette) {
    testing_support::DarkFusion dark;
    // Windows that are already there hear of the palette by a posted event.
    QApplication::processEvents();
    select({1});
    const QHeaderView& header = *view().horizontalHeader();
    const auto cell = [this](int key) {
        return QRect(view().columnViewportPosition(0), view().rowViewportPosition(key),
                     view().columnWidth(0), view().rowHeight(key));
    };
    const struct {
        const char* what;
        QWidget* widget;
        QRect cell; // the SOUND cell: text at its left, bare ground at its right
        bool highlighted;
    } cases[] = {
        {"header", header.viewport(), QRect(0, 0, header.sectionSize(0), header.height()), false},
        {"row", view().viewport(), cell(2), false},
        {"selected row", view().viewport(), cell(1), true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        const QImage image = test.widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb ground = image.pixel(test.cell.right() - 4, test.cell.center().y());
        if (test.highlighted)
            EXPECT_EQ(ground, view().palette().color(QPalette::Highlight).rgb());
        else
            EXPECT_LT(luminance(ground), 0.2) << "the table follows the dark palette";
        double text = 1; // the text's most contrasting pixel, away from the separators
        for (int y = test.cell.top(); y < test.cell.bottom() - 1; ++y)
            for (int x = test.cell.left(); x < test.cell.right() - 3; ++x)
                text = std::max(text, contrast(image.pixel(x, y), ground));
        EXPECT_GE(text, 3.0);
    }

    // Without a kit, the picture is drawn in the text colour.
    frame().documentCommands().OnFileNew();
    const QImage empty = view().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb ground = view().palette().color(QPalette::Base).rgb();
    int drawn = 0;
    for (int y = 0; y < empty.height(); ++y)
        for (int x = 0; x < empty.width(); ++x)
            if (empty.pixel(x, y) != ground && contrast(empty.pixel(x, y), ground) >= 3.0) ++drawn;
    EXPECT_GT(drawn, 100);
}

TEST_F(KitView, AScreenReaderFindsRowColumnAndCellNames) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&view());
    ASSERT_NE(table, nullptr);
    QAccessibleTableInterface* cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(table->text(QAccessible::Name), "Kit");
    EXPECT_EQ(cells->rowCount(), 64);
    EXPECT_EQ(cells->columnCount(), 10);
    select({4});
    const struct {
        int key, column;
        QString text, rowName, columnHeader, columnName, description;
    } cases[] = {
        {4, 0, "Sound 4", "Key 5", "SOUND", "Sound", "selected"},
        {4, 2, "D#1", "Key 5", "I-NOTE", "Input note", "selected"},
        {63, 9, "120", "Key 64", "LV4", "Velocity 4", ""},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.text.toStdString());
        EXPECT_EQ(cells->rowDescription(test.key), test.rowName);
        EXPECT_EQ(cells->columnDescription(test.column), test.columnHeader);
        QAccessibleInterface* cell = cells->cellAt(test.key, test.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), test.text);
        EXPECT_EQ(cell->text(QAccessible::Description), test.description);
        // What a reader says with the cell: its row's and its column's header.
        QAccessibleTableCellInterface* inTable = cell->tableCellInterface();
        ASSERT_NE(inTable, nullptr);
        // Qt makes these header cells anew for each call and leaves them to the caller.
        const QList<QAccessibleInterface*> rowHeaders = inTable->rowHeaderCells();
        const QList<QAccessibleInterface*> columnHeaders = inTable->columnHeaderCells();
        const auto release = [](const QList<QAccessibleInterface*>& list) {
            // Their destructor is not public: handed to Qt's cache, they are deleted through it.
            for (QAccessibleInterface* header : list)
                QAccessible::deleteAccessibleInterface(
                    QAccessible::registerAccessibleInterface(header));
        };
        const std::shared_ptr<void> owned(nullptr, [&](void*) {
            release(rowHeaders);
            release(columnHeaders);
        });
        ASSERT_EQ(rowHeaders.size(), 1);
        ASSERT_EQ(columnHeaders.size(), 1);
        EXPECT_EQ(rowHeaders[0]->text(QAccessible::Name), test.rowName);
        EXPECT_EQ(columnHeaders[0]->text(QAccessible::Name), test.columnName);
    }
}
