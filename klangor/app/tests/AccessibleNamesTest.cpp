// What a screen reader says for the controls of every page.
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "PageRegistry.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <map>
#include <memory>

using namespace klangor;

namespace {

QString spokenName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

// A widget the focus can reach on its own, not a part of another control.
bool takesFocus(const QWidget* widget, const QWidget* page) {
    if (widget->focusPolicy() == Qt::NoFocus) return false;
    for (const QWidget* above = widget->parentWidget(); above && above != page;
         above = above->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(above) || qobject_cast<const QComboBox*>(above) ||
            qobject_cast<const QAbstractItemView*>(above))
            return false;
    return true;
}

class AccessibleNamesTest : public ::testing::Test {
protected:
    EditPage* page(const QString& name) {
        std::unique_ptr<EditPage>& made = pages[name];
        if (!made) made.reset(findPage(name)->create(session, nullptr));
        return made.get();
    }

    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session}; // pictures the pages cannot find in the test's folder
    std::map<QString, std::unique_ptr<EditPage>> pages;
};

TEST_F(AccessibleNamesTest, EveryControlOfEveryPageHasANameOfItsOwn) {
    for (const PageInfo& info : registeredPages()) {
        SCOPED_TRACE(info.name.toStdString());
        EditPage* shown = page(info.name);
        std::map<QString, QString> owners; // name -> object name of the control that has it
        int controls = 0;
        for (QWidget* widget : shown->findChildren<QWidget*>()) {
            if (!takesFocus(widget, shown)) continue;
            ++controls;
            const QString name = spokenName(widget);
            const QString who = widget->objectName() + " " + widget->metaObject()->className();
            EXPECT_FALSE(name.trimmed().isEmpty()) << who.toStdString();
            const auto [first, fresh] = owners.emplace(name, who);
            EXPECT_TRUE(fresh) << "\"" << name.toStdString() << "\" names "
                               << first->second.toStdString() << " and " << who.toStdString();
        }
        EXPECT_GT(controls, 0);
    }
}

TEST_F(AccessibleNamesTest, NamesComeFromTheParameterTableOrFromWhatThePageShows) {
    struct Case {
        const char* page;
        const char* control; // object name; for a radio button, its frame's
        const char* radio;   // the radio button's text, or null
        const char* name;
    };
    const Case cases[] = {
        {"FEnvelope", "ARA", nullptr, "Attack Rate A"},
        {"FEnvelope", "D1LC", nullptr, "Decay 1 Level C"},
        {"FEnvelope", "ScRateB", nullptr, "Level/Rate Scaling B: Rate Type"},
        {"FEnvelope", "DelRate", nullptr, "Envelope Delay Rate"},
        {"FEnvelope", "EnvTypeD", nullptr, "EnvelopeType D"},
        {"FEnvelope", "ParmDest", nullptr, "Destination"},
        {"FTone", "Volume2", nullptr, "Volume B"},
        {"FTone", "ComboBox3", nullptr, "Wave C"},
        {"FTone", "ComboBox4", nullptr, "FM Wave D"},
        {"FTone", "ToneFBD", nullptr, "Tone Feedback D"},
        {"FTone", "VeloA", nullptr, "Sensitivity A: Velocity"},
        {"FTone", "PMtoCarD", nullptr, "LFO PM D: to Carrier"},
        {"FTone", "LFOFormC", "4", "LFO Form and Speed C: Form 4"},
        {"FTone", "PanoB", "LL", "Pan B: LL"},
        {"FTone", "RandVoices", nullptr, "Rand. El."},
        {"FCommon", "VName", nullptr, "Voice Name"},
        {"FCommon", "EnvelopeAR", nullptr, "Attack-Rate Offset"},
        {"FCommon", "AftertouchPM", nullptr, "Controller Switches: Aftertouch PM"},
        {"FCommon", "Configuration", "A-B-C-D", "Configuration: A-B-C-D"},
        {"FCommon", "Style", nullptr, "Effect: Type"},
        {"FVector", "DetuneSpeed", nullptr, "Detune Vector Speed"},
        {"FVector", "MaxRate", nullptr, "Maximum Length"},
        {"FVector", "StringGrid2", nullptr, "Detune"},
        {"FVector", "ZeroLev", nullptr, "Zero Level"},
        {"FFMEdit", "FMD8", nullptr, "Modulator Attack Rate D"},
        {"FFMEdit", "FMB20a", nullptr, "Carrier Temperament B"},
        {"FFMEdit", "FMB17", nullptr, "Fixed Carrier Freq. on B"},
        {"FDirectEd", "Position2", nullptr, "Position 2"},
        {"FDirectEd", "ASCIIEdit1", nullptr, "ASCII Number 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " " + c.control);
        QWidget* control = page(c.page)->findChild<QWidget*>(c.control);
        ASSERT_NE(control, nullptr);
        if (c.radio) {
            QWidget* button = nullptr;
            for (QRadioButton* radio : control->findChildren<QRadioButton*>())
                if (radio->text() == c.radio) button = radio;
            ASSERT_NE(button, nullptr);
            control = button;
        }
        EXPECT_EQ(spokenName(control), c.name);
    }
}

TEST_F(AccessibleNamesTest, ANamedListSaysItsEntryAsItsValue) {
    auto* waves = page("FTone")->findChild<QComboBox*>("ComboBox1");
    waves->setCurrentIndex(3);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(waves)->text(QAccessible::Value),
              waves->currentText());
    auto* source = page("FEnvelope")->findChild<QComboBox*>("ParmSource");
    source->setEditText("C");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(source)->text(QAccessible::Value), "C");
}

} // namespace
