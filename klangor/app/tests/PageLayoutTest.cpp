// Every page, maximized in a main window of 1366 x 768: no label or control touches another, no
// text is cut, the effect list shows all its entries, and nothing lies outside the page. CTest
// runs these again at 150 % and 200 % (QT_SCALE_FACTOR).
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "Main.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace klangor;

namespace {

// Two siblings closer than this touch to the eye.
constexpr int kMinimumGap = 2;

// A label or control of a page, not a part of another control (a spin box's line edit, a list's
// viewport).
bool isLabelOrControl(const QWidget* widget, const QWidget* page) {
    for (const QWidget* above = widget->parentWidget(); above && above != page;
         above = above->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(above) || qobject_cast<const QComboBox*>(above) ||
            qobject_cast<const QAbstractScrollArea*>(above))
            return false;
    return qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractScrollArea*>(widget) ||
           qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QGroupBox*>(widget);
}

QString describe(const QWidget* widget) {
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(widget)) text = label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) text = button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) text = group->title();
    return QString("%1 \"%2\" \"%3\" at %4,%5 %6x%7")
        .arg(widget->metaObject()->className(), widget->objectName(), text)
        .arg(widget->x())
        .arg(widget->y())
        .arg(widget->width())
        .arg(widget->height());
}

// Whether at least `gap` pixels lie between the two rectangles, across or down.
bool apart(const QRect& a, const QRect& b, int gap) {
    return a.right() + gap < b.left() || b.right() + gap < a.left() || a.bottom() + gap < b.top() ||
           b.bottom() + gap < a.top();
}

// The size a widget needs to show its text whole.
QSize neededSize(const QWidget* widget) {
    if (qobject_cast<const QLabel*>(widget)) return widget->sizeHint();
    return widget->minimumSizeHint();
}

// A desktop whose font is smaller than the main window's: a page is made in the desktop's font and
// shown in the window's, so nothing may be sized from the font it was made in.
class DesktopFont {
public:
    DesktopFont() {
        QFont font = previous_;
        font.setPixelSize(9);
        QApplication::setFont(font);
    }
    ~DesktopFont() { QApplication::setFont(previous_); }

private:
    QFont previous_ = QApplication::font();
};

class PageLayoutTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        window.resize(1366, 768);
        window.show();
        ASSERT_TRUE(window.Initialize());
        window.showPage(QString::fromStdString(GetParam()));
        page = window.activePageWidget();
        ASSERT_NE(page, nullptr);
        QApplication::processEvents();
    }

    std::vector<QWidget*> shown() const {
        std::vector<QWidget*> widgets;
        for (QWidget* widget : page->findChildren<QWidget*>())
            if (widget->isVisibleTo(page) && !widget->isWindow() && isLabelOrControl(widget, page))
                widgets.push_back(widget);
        return widgets;
    }

    DesktopFont desktopFont;
    testing_support::TempDir dir;
    StartDirFixture start{dir, "200"};
    morvex::MorvexState state;
    THaupt window{state};
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    EditPage* page = nullptr;
};

TEST_P(PageLayoutTest, LabelsAndControlsStandApartWholeAndInsideThePage) {
    const std::vector<QWidget*> widgets = shown();
    ASSERT_FALSE(widgets.empty());
    const QWidget* viewport = window.workspace()->viewport();
    const QRect area = viewport->rect();

    for (std::size_t i = 0; i < widgets.size(); ++i) {
        const QWidget* a = widgets[i];
        const QSize needed = neededSize(a);
        EXPECT_TRUE(a->width() >= needed.width() && a->height() >= needed.height())
            << qPrintable(describe(a)) << " needs " << needed.width() << "x" << needed.height();
        const QRect inArea(a->mapTo(viewport, QPoint(0, 0)), a->size());
        EXPECT_TRUE(area.contains(inArea)) << qPrintable(describe(a)) << " outside the page";

        for (std::size_t j = i + 1; j < widgets.size(); ++j) {
            const QWidget* b = widgets[j];
            if (a->parentWidget() != b->parentWidget()) continue;
            // A frame that controls sit on (FM edit's modulators) is no neighbour of them.
            const bool aFrame = qobject_cast<const QGroupBox*>(a) != nullptr;
            const bool bFrame = qobject_cast<const QGroupBox*>(b) != nullptr;
            if (aFrame != bFrame) continue;
            EXPECT_TRUE(apart(a->geometry(), b->geometry(), kMinimumGap))
                << qPrintable(describe(a)) << " touches " << qPrintable(describe(b));
        }
    }
}

TEST_P(PageLayoutTest, ListsShowAllTheirEntries) {
    for (QListView* list : page->findChildren<QListView*>()) {
        if (!list->isVisibleTo(page)) continue;
        SCOPED_TRACE(list->objectName().toStdString());
        EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
        const QModelIndex last = list->model()->index(list->model()->rowCount() - 1, 0);
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(last)));
    }
}

std::vector<std::string> pageNames() {
    std::vector<std::string> names;
    for (const PageInfo& info : registeredPages()) names.push_back(info.name.toStdString());
    return names;
}

INSTANTIATE_TEST_SUITE_P(AllPages, PageLayoutTest, ::testing::ValuesIn(pageNames()),
                         [](const auto& info) { return info.param.substr(1); });

} // namespace
