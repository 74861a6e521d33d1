#pragma once
// The user's part in a reception from the menu: OK to the ready prompt, and the kit of the test's
// choice (or Cancel) in the kit dialog; for all kits, the banks and format of the test's choice.

#include "AllKitsDialogs.h"
#include "PulvexWindowsFixture.h"
#include "ReadDialogs.h"

#include <QAction>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>

class ReceptionWindows : public PulvexWindows {
protected:
    void SetUp() override {
        PulvexWindows::SetUp();
        answerDialog = [this](QDialog& dialog) {
            if (auto* kit = qobject_cast<pulvex_app::CRead_Kit*>(&dialog)) {
                EXPECT_TRUE(kit->internalButton()->isChecked());
                EXPECT_EQ(kit->kitNumber(), 1);
                if (!chooseKit) return int(QDialog::Rejected);
                kit->presetButton()->setChecked(true);
                kit->kitNumberBox()->setValue(kitNumber);
            }
            if (auto* allKits = qobject_cast<pulvex_app::CReceiveAllKits*>(&dialog)) {
                EXPECT_TRUE(allKits->allBanksButton()->isChecked());
                if (!chooseKit) return int(QDialog::Rejected);
                if (allKitsBank) allKits->bankButton(*allKitsBank)->setChecked(true);
                EXPECT_TRUE(allKits->chooseFormat(allKitsFormat)) << allKitsFormat;
            }
            return int(QDialog::Accepted);
        };
    }

    void usePorts(const std::string& moduleOut, const std::string& moduleIn) {
        app->settings().writeText(pulvex::SettingKey::MidiIn, moduleOut);
        app->settings().writeText(pulvex::SettingKey::MidiOut, moduleIn);
    }

    void receive() { frame().action(pulvex_app::ID_FILE_RECEIVE)->trigger(); }
    void receiveAll() { frame().action(pulvex_app::ID_FILE_RECEIVE_ALL)->trigger(); }

    int count(const QString& title) {
        return static_cast<int>(std::count(shownDialogs.begin(), shownDialogs.end(), title));
    }

    bool chooseKit = true;
    int kitNumber = 1;
    std::optional<pulvex::KitBank> allKitsBank; // none: all banks
    std::string allKitsFormat = "midnam";
};
