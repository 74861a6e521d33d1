// Stepping spin boxes by ten with the mouse, under both rules.
#include "Common.h"
#include "EditPage.h"
#include "GuiTestSupport.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace klangor;

TEST(SteppedValue, SnapLandsOnTheLimits) {
    const auto step = [](int value, Qt::MouseButton button) {
        return steppedValue(StepRule::Snap, value, 0, 99, button);
    };
    EXPECT_EQ(step(50, Qt::LeftButton), 40);
    EXPECT_EQ(step(10, Qt::LeftButton), 0);
    EXPECT_EQ(step(9, Qt::LeftButton), 0);
    EXPECT_EQ(step(0, Qt::LeftButton), 0);
    EXPECT_EQ(step(89, Qt::RightButton), 99);
    EXPECT_EQ(step(90, Qt::RightButton), 99);
    EXPECT_EQ(step(88, Qt::RightButton), 98);
    EXPECT_EQ(step(50, Qt::MiddleButton), 50);
    EXPECT_EQ(steppedValue(StepRule::Snap, -3, -5, 5, Qt::LeftButton), -5);
}

TEST(SteppedValue, SkipNearLimitNeverMovesToTheLimit) {
    const auto step = [](int value, Qt::MouseButton button) {
        return steppedValue(StepRule::SkipNearLimit, value, -99, 99, button);
    };
    EXPECT_EQ(step(90, Qt::RightButton), 90); // 90 is not less than 99 - 9
    EXPECT_EQ(step(89, Qt::RightButton), 99);
    EXPECT_EQ(step(-95, Qt::LeftButton), -95);
    EXPECT_EQ(step(-89, Qt::LeftButton), -99);
    EXPECT_EQ(step(-90, Qt::LeftButton), -90);
    EXPECT_EQ(step(0, Qt::MiddleButton), 0);
}

namespace {

// A parent that counts the presses and context menus that reach it.
class Backdrop : public QWidget {
public:
    int presses = 0;
    int menus = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
};

} // namespace

TEST(AttachStepping, GoesThroughSetValueAndStaysOnTheBox) {
    Backdrop parent;
    auto* box = new QSpinBox(&parent);
    box->setRange(0, 99);
    box->setValue(50);
    attachStepping(box, StepRule::Snap);
    parent.show();
    std::vector<int> changes;
    QObject::connect(box, &QSpinBox::valueChanged, [&](int value) { changes.push_back(value); });

    rightClick(box);
    leftClick(box);
    leftClick(box);
    click(box, Qt::MiddleButton);
    EXPECT_EQ(changes, (std::vector<int>{60, 50, 40}));

    // The text field steps the same way.
    auto* text = box->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);
    rightClick(text);
    EXPECT_EQ(box->value(), 50);

    QContextMenuEvent menu(QContextMenuEvent::Mouse, text->rect().center(),
                           text->mapToGlobal(text->rect().center()));
    QApplication::sendEvent(text, &menu);
    QContextMenuEvent boxMenu(QContextMenuEvent::Mouse, box->rect().center(),
                              box->mapToGlobal(box->rect().center()));
    QApplication::sendEvent(box, &boxMenu);
    EXPECT_EQ(parent.presses, 0);
    EXPECT_EQ(parent.menus, 0);
}

TEST(AttachStepping, CommonPageOffsetsSkipNearTheLimits) {
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    TFCommon page(session);
    page.show();
    auto* attack = page.findChild<QSpinBox*>("EnvelopeAR");
    auto* release = page.findChild<QSpinBox*>("EnvelopeRR");
    ASSERT_TRUE(attack && release);

    attack->setValue(90);
    rightClick(attack);
    EXPECT_EQ(attack->value(), 90);
    attack->setValue(89);
    rightClick(attack);
    EXPECT_EQ(attack->value(), 99);
    release->setValue(-95);
    leftClick(release);
    EXPECT_EQ(release->value(), -95);
    release->setValue(0);
    leftClick(release);
    leftClick(release);
    EXPECT_EQ(release->value(), -20);

    // Depth has no stepping: a click does not change it, and no press on a box sends.
    auto* depth = page.findChild<QSpinBox*>("Depth");
    depth->setValue(3);
    rightClick(depth, QPoint(3, 3));
    EXPECT_EQ(depth->value(), 3);
    EXPECT_TRUE(notes.notes.empty());
}
