// File > Receive all kits... against a scripted module on the in-memory bus, through the real
// Wirebox: the choice, the progress window and its Cancel, the save into one file or a folder,
// and the report with every kit not read.

#include "ReceiveAllKits.h"
#include "ReceptionWindowsFixture.h"
#include "pulvex/model/tests/MidnamPatches.h"
#include "pulvex/model/tests/ModuleOnBus.h"
#include "pulvex/model/tests/ModuleReplies.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

using namespace pulvex_test;
using pulvex::KitBank;
using namespace std::chrono_literals;

namespace {

pulvex::KitAddress addressOf(const Bytes& request) {
    const int code = ModuleOnBus::bankCodeOf(request);
    return {code == 0   ? KitBank::Preset
            : code == 2 ? KitBank::Internal
                        : KitBank::Card,
            ModuleOnBus::kitNumberOf(request)};
}

// "I12": a kit name that tells the kits apart.
std::string kitNameOf(const pulvex::KitAddress& kit) {
    const std::string number = std::to_string(kit.number);
    return pulvex::kitBankName(kit.bank)[0] + std::string(2 - number.size(), '0') + number;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ReceiveAllKits : public ReceptionWindows {
protected:
    void SetUp() override {
        ReceptionWindows::SetUp();
        start(300ms);
    }

    void start(std::chrono::milliseconds replyTimeOut) {
        pulvex_app::StartOptions options = noSplash();
        options.replyTimeOut = replyTimeOut;
        startApp(options);
        usePorts(ModuleOnBus::kModuleOut, ModuleOnBus::kModuleIn);
    }

    // The kit `silent` never answers; the rest answer with their names.
    std::vector<Bytes> reply(const Bytes& request) {
        const std::string type = ModuleOnBus::requestType(request);
        if (type != "KT") return {listReply(type, nameRecords(type == "VI" ? "INTV" : "CARD", 3))};
        const pulvex::KitAddress kit = addressOf(request);
        if (silent && kit == *silent) return {};
        return {message({hexBlock("KT", kitData(kitNameOf(kit)))})};
    }

    // Clicks the progress window's Cancel once it shows this kit.
    void cancelAt(const QString& progress) {
        cancelTimer.setInterval(5);
        QObject::connect(&cancelTimer, &QTimer::timeout, [this, progress] {
            auto* window = frame().findChild<pulvex_app::CKitsProgress*>();
            if (window && window->text() == progress) window->cancelButton()->click();
        });
        cancelTimer.start();
    }

    // Whatever happened, nothing of the run is left.
    void expectAllEnded() {
        EXPECT_EQ(bus.openClients(), 2) << "Wirebox's ports left open";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(frame().findChild<pulvex_app::CKitsProgress*>(), nullptr);
        EXPECT_EQ(frame().findChild<pulvex_app::CRead_Progress*>(), nullptr);
        EXPECT_FALSE(app->exchangeRunning());
    }

    std::optional<pulvex::KitAddress> silent;
    QTimer cancelTimer;
    midi::MemoryBus bus;
    midi::ServiceOverride onBus{bus};
    ModuleOnBus module{bus, [this](const Bytes& request) { return reply(request); }};
};

} // namespace

TEST_F(ReceiveAllKits, TheKitsReadAreSavedAndReportedWhateverEndedTheRun) {
    struct Case {
        const char* what;
        std::optional<KitBank> bank;
        std::optional<pulvex::KitAddress> silent;
        QString cancelAt; // the progress at which the user cancels
        std::chrono::milliseconds replyTimeOut;
        bool saveAnswered;
        std::string report;
        std::vector<std::string> kits; // in the file
    };
    const Case cases[] = {
        {"one bank",
         KitBank::Card,
         std::nullopt,
         {},
         300ms,
         true,
         "Read 64 of 64 kits.",
         {"C01", "C64"}},
        {"a kit that never comes",
         KitBank::Internal,
         pulvex::KitAddress{KitBank::Internal, 12},
         {},
         300ms,
         true,
         "Read 63 of 64 kits.\nKits not read: Internal 12 (no answer).",
         {"I01", "I64"}},
        // Preset 3 never answers and the time-out is a minute: only Cancel ends the wait.
        {"cancel",
         KitBank::Preset,
         pulvex::KitAddress{KitBank::Preset, 3},
         "kit 3 of 64",
         60s,
         true,
         "Read 2 of 64 kits.\nCancelled: the kits read so far are kept.",
         {"P01", "P02"}},
        {"no file given", KitBank::Card, std::nullopt, {}, 300ms, false, "Read 64 of 64 kits.", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.replyTimeOut);
        allKitsBank = c.bank;
        silent = c.silent;
        if (!c.cancelAt.isEmpty()) cancelAt(c.cancelAt);
        savePath = c.saveAnswered ? QString::fromStdString(dir.file("kits.midnam")) : QString();
        std::filesystem::remove(dir.file("kits.midnam"));
        messages.clear();
        saveRequests.clear();
        receiveAll();
        cancelTimer.stop();
        cancelTimer.disconnect();

        ASSERT_EQ(messages.size(), 1u);
        const std::string saved = c.saveAnswered ? "Saved in \"" + dir.file("kits.midnam") + "\"."
                                                 : std::string(pulvex_app::kNothingSaved);
        EXPECT_EQ(messages[0].text.toStdString(), c.report + "\n" + saved);
        EXPECT_EQ(messages[0].icon,
                  c.silent || !c.saveAnswered ? QMessageBox::Warning : QMessageBox::Information);
        ASSERT_EQ(saveRequests.size(), 1u);
        EXPECT_EQ(saveRequests[0].filters.value(0), "MIDI Name Document (*.midnam)");
        ASSERT_EQ(std::filesystem::exists(dir.file("kits.midnam")), !c.kits.empty());
        if (!c.kits.empty()) {
            const auto patches = patchesOf(slurp(dir.file("kits.midnam")));
            ASSERT_FALSE(patches.empty());
            EXPECT_EQ(patches.front().second, c.kits.front());
            EXPECT_EQ(patches.back().second, c.kits.back());
        }
        expectAllEnded();
    }
}

TEST_F(ReceiveAllKits, AFormatOfOneKitGoesIntoAFolderFileByFile) {
    allKitsFormat = "reaper";
    folderPath = QString::fromStdString(dir.file(""));
    receiveAll();
    ASSERT_EQ(folderRequests.size(), 1u);
    EXPECT_TRUE(saveRequests.empty());
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        files += entry.path().extension() == ".txt";
    EXPECT_EQ(files, 192u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("Internal-12 I12.txt")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("Read 192 of 192 kits.\nSaved in "))
        << messages[0].text.toStdString();
    expectAllEnded();
}

TEST_F(ReceiveAllKits, CancelInTheChoiceAsksTheModuleNothing) {
    chooseKit = false;
    receiveAll();
    EXPECT_EQ(module.requests(), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(count("Receive all kits"), 1);
    expectAllEnded();
}
