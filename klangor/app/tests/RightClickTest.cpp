// The right button means "send" on the pages: on a list or a drop-down list it picks nothing.
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "PageRegistry.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace klangor;

namespace {

// The entry a list shows, and the place of another entry on the screen.
struct ListUnderTest {
    std::function<int()> shown;
    QWidget* viewport = nullptr;
    QPoint otherEntry;
};

ListUnderTest findList(EditPage& page, const char* name) {
    if (auto* list = page.findChild<QListWidget*>(name)) {
        const int other = (list->currentRow() + 5) % list->count();
        return {[list] { return list->currentRow(); }, list->viewport(),
                list->visualItemRect(list->item(other)).center()};
    }
    auto* combo = page.findChild<QComboBox*>(name);
    if (!combo) return {};
    combo->showPopup();
    const QModelIndex other =
        combo->model()->index((combo->currentIndex() + 5) % combo->count(), 0);
    combo->view()->scrollTo(other);
    return {[combo] { return combo->currentIndex(); }, combo->view()->viewport(),
            combo->view()->visualRect(other).center()};
}

} // namespace

TEST(RightClick, PicksNoEntryOfAnyList) {
    const std::pair<const char*, const char*> lists[] = {
        {"FCommon", "Style"},      {"FTone", "ComboBox1"},      {"FTone", "ComboBox2"},
        {"FEnvelope", "EnvTypeA"}, {"FEnvelope", "ParmSource"}, {"FEnvelope", "ParmDest"},
    };
    for (const auto& [pageName, listName] : lists) {
        SCOPED_TRACE(std::string(pageName) + " " + listName);
        morvex::MorvexState state;
        state.startDir = dataDir().string();
        ASSERT_TRUE(loadInitialVoice(state));
        state.midiDevice = 250; // no such output: a send would be a status note
        const morvex::MorvexState before = state;
        Session session{state};
        ReportCapture boxes{session};
        NoteCapture notes{session};
        std::unique_ptr<EditPage> page(findPage(pageName)->create(session, nullptr));
        page->resize(1400, 1000);
        page->show();
        page->InitVars();

        const ListUnderTest list = findList(*page, listName);
        ASSERT_NE(list.viewport, nullptr);
        const int shown = list.shown();
        rightClick(list.viewport, list.otherEntry);
        click(list.viewport, Qt::MiddleButton, list.otherEntry);
        EXPECT_EQ(list.shown(), shown);
        EXPECT_EQ(state.voiceParams, before.voiceParams);
        EXPECT_EQ(state.fmParams, before.fmParams);
        EXPECT_TRUE(notes.notes.empty());

        leftClick(list.viewport, list.otherEntry); // the place was right: the left button picks
        EXPECT_NE(list.shown(), shown);
        EXPECT_TRUE(boxes.reports.empty());
    }
}
