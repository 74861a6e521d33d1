#pragma once
// The program's windows on the offscreen platform, with a settings file of the test's own and the
// user's part (message boxes, file dialogs, modal dialogs) played by the test.

#include "DocumentCommands.h"
#include "MainFrame.h"
#include "PulvexApplication.h"
#include "PulvexView.h"
#include "UserDialogs.h"
#include "testing/TempDir.h"

#include <QDialog>
#include <QLabel>
#include <QTest>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class PulvexWindows : public ::testing::Test {
protected:
    struct Shown {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
    };

    void SetUp() override {
        using namespace pulvex_app;
        UserDialogs& dialogs = userDialogs();
        dialogs.message = [this](QWidget*, QMessageBox::Icon icon, const QString& caption,
                                 const QString& text, QMessageBox::StandardButtons) {
            messages.push_back({icon, caption, text});
            if (answers.empty()) return QMessageBox::Ok;
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        };
        dialogs.saveFile = [this](QWidget*, const FileDialogRequest& request) {
            saveRequests.push_back(request);
            // The dialog opens on the first filter; a test may choose another.
            if (request.selectedFilter)
                *request.selectedFilter =
                    saveFilter.isEmpty() ? request.filters.value(0) : saveFilter;
            return savePath;
        };
        dialogs.openFile = [this](QWidget*, const FileDialogRequest& request) {
            openRequests.push_back(request);
            return openPath;
        };
        dialogs.chooseFolder = [this](QWidget*, const FileDialogRequest& request) {
            folderRequests.push_back(request);
            return folderPath;
        };
        dialogs.run = [this](QDialog& dialog) {
            shownDialogs.push_back(dialog.windowTitle());
            return answerDialog ? answerDialog(dialog) : int(QDialog::Rejected);
        };
    }

    void TearDown() override {
        app.reset();
        pulvex_app::restoreDefaultDialogs();
    }

    // The application as the program starts it, without the splash window unless asked.
    void startApp(pulvex_app::StartOptions options = noSplash()) {
        app = std::make_unique<pulvex_app::CPulvexApp>(
            pulvex::SettingsStore(dir.file("Pulvex.ini")), std::move(options));
        app->InitInstance();
    }

    static pulvex_app::StartOptions noSplash() {
        pulvex_app::StartOptions options;
        options.splash = false;
        return options;
    }

    pulvex_app::CMainFrame& frame() { return *app->frame(); }
    pulvex::CPulvexDoc& doc() { return app->document(); }
    pulvex_app::CPulvexView& view() { return frame().view(); }

    // A kit as a reception leaves it: 50 named keys, the title, the modified mark.
    void receiveTestKit(const std::string& title = "Kit1") {
        doc().ResetAllKeys(app->settings());
        for (int i = 0; i < pulvex::kKitKeys; ++i)
            doc().SetKeySound(i, "Sound " + std::to_string(i), pulvex::kFirstKitNote + i);
        doc().title = title;
        doc().modified = true;
        doc().changed();
        view().OnUpdate();
    }

    void select(std::initializer_list<int> keys) {
        for (int key : keys) doc().ToggleSelected(key);
    }

    // A left click on the view at the middle of the given key's row.
    void clickRow(int key) {
        const int y = view().rowViewportPosition(key) + view().rowHeight(key) / 2;
        QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, QPoint(10, y));
    }

    QString countPane() { return frame().countPane()->text(); }

    testing_support::TempDir dir;
    std::unique_ptr<pulvex_app::CPulvexApp> app;

    std::vector<Shown> messages;
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<pulvex_app::FileDialogRequest> saveRequests, openRequests, folderRequests;
    QString savePath, openPath, folderPath;
    QString saveFilter; // the filter the save dialog closes on; empty: its first
    std::vector<QString> shownDialogs;
    std::function<int(QDialog&)> answerDialog;
};
