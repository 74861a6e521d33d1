#include "GuiTestSupport.h"

#include "midi/MemoryBus.h"

#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace klangor {
namespace fs = std::filesystem;

fs::path dataDir() {
    return KLANGOR_DATA_DIR;
}

StartDirFixture::StartDirFixture(const testing_support::TempDir& dir, const std::string& device)
    : previous_(fs::current_path()) {
    for (const char* name : {"initial.syx", "morvex.lst"})
        fs::copy_file(dataDir() / name, dir.path() / name, fs::copy_options::overwrite_existing);
    std::ofstream(dir.path() / "morvex.dev") << device << "\n";
    fs::current_path(dir.path());
}

StartDirFixture::~StartDirFixture() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

ReportCapture::ReportCapture(Session& session) {
    // Instead of the window's modal box.
    QObject::disconnect(&session, &Session::reportRequested, nullptr, nullptr);
    QObject::connect(&session, &Session::reportRequested, &scope_,
                     [this](const morvex::Report& report) { reports.push_back(report); });
}

namespace {

constexpr std::chrono::seconds kSendsSettle{30};

// Tests off the bus send to an empty in-memory bus: a send finds no output at once, as it would
// find none on a bus, and no MIDI service of the machine is ever asked.
class EmptyBusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!std::getenv("SUITE_TEST_WITHOUT_BUS")) return;
        bus_ = std::make_unique<midi::MemoryBus>();
        guard_ = std::make_unique<midi::ServiceOverride>(*bus_);
    }
    void TearDown() override {
        guard_.reset();
        bus_.reset();
    }

private:
    std::unique_ptr<midi::MemoryBus> bus_;
    std::unique_ptr<midi::ServiceOverride> guard_;
};

[[maybe_unused]] const auto* const emptyBus =
    ::testing::AddGlobalTestEnvironment(new EmptyBusEnvironment);

} // namespace

const std::vector<QString>& Notes::settled() const {
    session_.sender().waitUntilIdle(kSendsSettle);
    return list_;
}

NoteCapture::NoteCapture(Session& session) : notes(session) {
    QObject::connect(&session, &Session::statusMessage, &scope_,
                     [this](const QString& text) { notes.push_back(text); });
    QObject::connect(&session, &Session::helpRequested, &scope_, [this, &session](int context) {
        helpPages.push_back(helpPage(session.state().startDir, context));
    });
}

bool loadInitialVoice(morvex::MorvexState& state) {
    if (morvex::LoadVoiceFile(state, (fs::path(state.startDir) / "initial.syx").string()))
        return false;
    morvex::DecodeVoice(state);
    return true;
}

void click(QWidget* widget, Qt::MouseButton button, QPoint position) {
    if (position.isNull()) position = widget->rect().center();
    const QPointF local(position);
    const QPointF global(widget->mapToGlobal(position));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

QString shownCaption(const QWidget& window) {
    QString caption = window.windowTitle();
    return caption.replace("[*]", window.isWindowModified() ? "*" : "");
}

QPoint backgroundPoint(QWidget* page) {
    page->resize(1400, 1000);
    for (int y = page->height() - 5; y > 0; y -= 10)
        for (int x = page->width() - 5; x > 0; x -= 10)
            if (!page->childAt(x, y)) return {x, y};
    return {};
}

} // namespace klangor
