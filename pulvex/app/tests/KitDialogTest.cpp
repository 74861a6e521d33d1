// The kit choice of a reception: what the user types in the kit number field, as typed.
#include "PulvexWindowsFixture.h"
#include "ReadDialogs.h"

#include <QDialogButtonBox>
#include <QPushButton>

using namespace pulvex_app;

namespace {

enum class Confirm { ReturnKey, OkButton };

// A fresh dialog with `typed` in the kit number field, typed over the 1 it starts with.
void typeKitNumber(CRead_Kit& dialog, const QString& typed) {
    dialog.show();
    auto* box = dialog.kitNumberBox();
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, typed);
}

} // namespace

TEST_F(PulvexWindows, KitDialogChecksTheTypedNumberNotACorrectedOne) {
    struct Case {
        const char* typed;
        Confirm confirm;
        int kit; // 0: refused
    };
    const Case cases[] = {
        {"0", Confirm::ReturnKey, 0},   {"0", Confirm::OkButton, 0},
        {"", Confirm::ReturnKey, 0},    {"", Confirm::OkButton, 0},
        {"65", Confirm::ReturnKey, 0},  {"65", Confirm::OkButton, 0},
        {"7x", Confirm::ReturnKey, 0},  {"-3", Confirm::OkButton, 0},
        {"64", Confirm::ReturnKey, 64}, {"1", Confirm::OkButton, 1},
        {" 12", Confirm::OkButton, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.typed + "\"" +
                     (c.confirm == Confirm::ReturnKey ? " Return" : " OK"));
        messages.clear();
        CRead_Kit dialog;
        typeKitNumber(dialog, c.typed);
        EXPECT_EQ(dialog.kitNumberBox()->text(), c.typed); // nothing was dropped or corrected
        if (c.confirm == Confirm::ReturnKey)
            QTest::keyClick(dialog.kitNumberBox(), Qt::Key_Return);
        else
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                              Qt::LeftButton);
        if (c.kit == 0) {
            EXPECT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages.empty() ? QString() : messages[0].text,
                      "Please enter an integer between 1 and 64.");
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            EXPECT_TRUE(dialog.isVisible());
        } else {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.kitNumber(), c.kit);
        }
    }
}

TEST_F(PulvexWindows, KitNumberArrowsStepWithinTheKits) {
    const std::tuple<const char*, Qt::Key, const char*> steps[] = {
        {"1", Qt::Key_Up, "2"}, {"1", Qt::Key_Down, "1"},   {"64", Qt::Key_Up, "64"},
        {"0", Qt::Key_Up, "1"}, {"65", Qt::Key_Down, "64"}, {"x", Qt::Key_Up, "1"},
    };
    for (const auto& [typed, key, shown] : steps) {
        SCOPED_TRACE(typed);
        CRead_Kit dialog;
        typeKitNumber(dialog, typed);
        QTest::keyClick(dialog.kitNumberBox(), key);
        EXPECT_EQ(dialog.kitNumberBox()->text(), shown);
    }
}
