// Many kits in one go against a scripted module on the in-memory bus, through the real Wirebox:
// one opening of the ports, the names once, every kit in order; a kit that does not come asked
// for once more and then reported; Cancel and a stopped service keeping what was read.

#include "pulvex/model/KitsReception.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"
#include "pulvex/model/tests/ModuleOnBus.h"
#include "pulvex/model/tests/ModuleReplies.h"
#include "pulvex/model/tests/RecordingUi.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <mutex>

using namespace pulvex;
using namespace pulvex_test;
using namespace std::chrono_literals;

namespace {

// How the module treats one request for a kit.
enum class Answer { Kit, Silent, Short, StopService };

// A bus that counts the inputs opened on it: Wirebox opens one each time it opens the ports.
class CountingBus : public midi::MemoryBus {
public:
    std::unique_ptr<midi::BackendInput> openInput(const midi::OpenRequest& request,
                                                  midi::InputHandlers handlers,
                                                  std::string& error) override {
        ++inputsOpened;
        return MemoryBus::openInput(request, std::move(handlers), error);
    }
    std::atomic<int> inputsOpened{0};
};

KitBank bankOfCode(int code) {
    return code == 0 ? KitBank::Preset : code == 2 ? KitBank::Internal : KitBank::Card;
}

// "I12": short enough for a kit name, and tells the kits apart.
std::string kitNameOf(const KitAddress& kit) {
    const std::string number = std::to_string(kit.number);
    return kitBankName(kit.bank)[0] + std::string(2 - number.size(), '0') + number;
}

const KitAddress kPreset1{KitBank::Preset, 1}, kInternal12{KitBank::Internal, 12},
    kCard64{KitBank::Card, 64};

class KitsOnBus : public ::testing::Test {
protected:
    void SetUp() override {
        settings.writeText(SettingKey::MidiIn, ModuleOnBus::kModuleOut);
        settings.writeText(SettingKey::MidiOut, ModuleOnBus::kModuleIn);
        names.Load();
    }
    void TearDown() override {
        EXPECT_EQ(bus.openClients(), 2) << "Wirebox's ports left open";
        EXPECT_EQ(ui.busyDepth, 0) << "busy cursor left on";
        EXPECT_FALSE(ui.busyAtError) << "an error shown under the busy cursor";
    }

    KitsResult run(const std::vector<KitAddress>& kits, const KitsProgress& progress = {},
                   std::chrono::milliseconds replyTimeOut = 300ms) {
        return KitsReception(linkedWirebox(), settings, names, ui, replyTimeOut)
            .read(kits, progress);
    }

    // What the module was asked, in order: "VI", "VW", "I12"...
    std::vector<std::string> asked() {
        std::lock_guard lock(mutex);
        return requests;
    }

    std::vector<std::string> namesOf(const KitsResult& result) {
        std::vector<std::string> kitNames;
        for (const NamedKit& kit : result.kits) kitNames.push_back(kit.name);
        return kitNames;
    }

    std::vector<Bytes> reply(const Bytes& request) {
        const std::string type = ModuleOnBus::requestType(request);
        if (type != "KT") {
            record(type);
            if (namesSilent) return {};
            return {listReply(type, nameRecords(type == "VI" ? "INTV" : "CARD", 3))};
        }
        const KitAddress kit{bankOfCode(ModuleOnBus::bankCodeOf(request)),
                             ModuleOnBus::kitNumberOf(request)};
        const std::string name = kitNameOf(kit);
        const int tries = record(name);
        const auto script = answers.find(name);
        const Answer answer =
            script != answers.end() && tries <= static_cast<int>(script->second.size())
                ? script->second[static_cast<std::size_t>(tries - 1)]
                : Answer::Kit;
        Bytes data = kitData(name);
        switch (answer) {
        case Answer::Silent:
            return {};
        case Answer::StopService:
            bus.stopService(); // the cable is pulled as the request arrives
            return {};
        case Answer::Short:
            data.resize(kKitBlockMinimum - 1);
            break;
        case Answer::Kit:
            break;
        }
        return {message({hexBlock("KT", data)})};
    }

    // Notes a request; how often it has come now.
    int record(const std::string& what) {
        std::lock_guard lock(mutex);
        requests.push_back(what);
        return static_cast<int>(std::count(requests.begin(), requests.end(), what));
    }

    // Per kit ("I12"), the answers to its first, second... request; after them it answers.
    std::map<std::string, std::vector<Answer>> answers;
    bool namesSilent = false;

    std::mutex mutex;
    std::vector<std::string> requests;
    CountingBus bus;
    midi::ServiceOverride onBus{bus};
    ModuleOnBus module{bus, [this](const Bytes& request) { return reply(request); }};
    testing_support::TempDir dir;
    SettingsStore settings = SettingsStore::inMemoryCopy(SettingsStore(dir.file("Pulvex.ini")));
    WaveNameTable names;
    RecordingUi ui;
};

} // namespace

TEST(KitsToReadTest, BanksInMenuOrderKitsInNumberOrder) {
    const auto all = kitsToRead(std::nullopt, std::nullopt);
    ASSERT_EQ(all.size(), 192u);
    EXPECT_EQ(all[0], kPreset1);
    EXPECT_EQ(all[64 + 11], kInternal12);
    EXPECT_EQ(all.back(), kCard64);
    EXPECT_EQ(kitsToRead(KitBank::Card, std::nullopt).size(), 64u);
    EXPECT_EQ(kitsToRead(std::nullopt, 12),
              (std::vector<KitAddress>{{KitBank::Preset, 12}, kInternal12, {KitBank::Card, 12}}));
    EXPECT_EQ(kitsToRead(KitBank::Internal, 12), std::vector<KitAddress>{kInternal12});
}

TEST_F(KitsOnBus, OneOpeningOfThePortsNamesOnceThenEveryKitInOrder) {
    const int inputsBefore = bus.inputsOpened;
    std::vector<std::string> progress;
    KitsProgress watch;
    watch.kitStarted = [&](int k, int n, const KitAddress& kit) {
        progress.push_back(kitProgressText(k, n) + " " + kitAddressText(kit));
    };
    const KitsResult first = run({kPreset1, kInternal12, kCard64}, watch);
    EXPECT_TRUE(first.complete()) << first.report();
    EXPECT_EQ(namesOf(first), (std::vector<std::string>{"P01", "I12", "C64"}));
    ASSERT_EQ(first.kits.size(), 3u);
    EXPECT_EQ(first.kits[1].bank, KitBank::Internal);
    EXPECT_EQ(first.kits[1].number, 12);
    EXPECT_EQ(first.kits[1].doc.title, "I12");
    EXPECT_TRUE(first.kits[1].doc.HasKit());
    EXPECT_EQ(progress, (std::vector<std::string>{"kit 1 of 3 Preset 1", "kit 2 of 3 Internal 12",
                                                  "kit 3 of 3 Card 64"}));
    EXPECT_EQ(bus.inputsOpened - inputsBefore, 1);
    EXPECT_EQ(ui.prompts, 1);
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(first.report(), "Read 3 of 3 kits.");

    // The names stay for the rest of the program's run.
    const KitsResult second = run({kCard64});
    EXPECT_TRUE(second.complete());
    EXPECT_EQ(asked(), (std::vector<std::string>{"VI", "VW", "P01", "I12", "C64", "C64"}));
    EXPECT_EQ(ui.prompts, 1);
}

TEST_F(KitsOnBus, AKitThatDoesNotComeIsAskedForOnceMoreThenReported) {
    struct Case {
        const char* what;
        std::vector<Answer> answers; // of Internal 12
        const char* reason;          // null: read at the second try
    };
    const Case cases[] = {
        {"silent once", {Answer::Silent}, nullptr},
        {"short once", {Answer::Short}, nullptr},
        {"silent", {Answer::Silent, Answer::Silent}, kNoAnswer},
        {"short", {Answer::Short, Answer::Short}, kDamagedReply},
        // The first failure says why: a second try often only times out.
        {"short, then silent", {Answer::Short, Answer::Silent}, kDamagedReply},
    };
    names.namesRetrieved = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        answers = {{"I12", c.answers}};
        {
            std::lock_guard lock(mutex);
            requests.clear();
        }
        const KitsResult result = run({kPreset1, kInternal12, kCard64});
        EXPECT_EQ(result.end, KitsResult::End::Finished);
        EXPECT_EQ(asked(), (std::vector<std::string>{"P01", "I12", "I12", "C64"}));
        EXPECT_TRUE(ui.errors.empty()) << ui.errors[0];
        if (!c.reason) {
            EXPECT_TRUE(result.complete()) << result.report();
            continue;
        }
        EXPECT_EQ(namesOf(result), (std::vector<std::string>{"P01", "C64"}));
        ASSERT_EQ(result.failed.size(), 1u);
        EXPECT_EQ(result.failed[0].kit, kInternal12);
        EXPECT_EQ(result.report(),
                  "Read 2 of 3 kits.\nKits not read: Internal 12 (" + std::string(c.reason) + ").");
    }
}

TEST_F(KitsOnBus, CancelEndsTheRunAndKeepsWhatWasRead) {
    struct Case {
        const char* what;
        bool beforeAnyKit;
        std::vector<std::string> kept;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        {"before the first kit", true, {}, {}},
        // Internal 12 is silent and the time-out a minute: only Cancel ends the wait.
        {"during a wait", false, {"P01"}, {"P01", "I12"}},
    };
    names.namesRetrieved = true;
    answers = {{"I12", {Answer::Silent, Answer::Silent}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            std::lock_guard lock(mutex);
            requests.clear();
        }
        KitsProgress progress;
        progress.cancelled = [&] {
            const auto sofar = asked();
            return c.beforeAnyKit || std::count(sofar.begin(), sofar.end(), "I12") > 0;
        };
        const KitsResult result = run({kPreset1, kInternal12, kCard64}, progress, 60s);
        EXPECT_EQ(result.end, KitsResult::End::Cancelled);
        EXPECT_EQ(namesOf(result), c.kept);
        EXPECT_EQ(asked(), c.asked);
        EXPECT_TRUE(result.failed.empty());
        EXPECT_EQ(result.report(), "Read " + std::to_string(c.kept.size()) +
                                       " of 3 kits.\nCancelled: the kits read so far are kept.");
        EXPECT_TRUE(ui.errors.empty());
    }
}

TEST_F(KitsOnBus, AStoppedServiceEndsTheRunAtOnceKeepingWhatWasRead) {
    names.namesRetrieved = true;
    answers = {{"I12", {Answer::StopService}}};
    const KitsResult result = run({kPreset1, kInternal12, kCard64}, {}, 60s);
    EXPECT_EQ(result.end, KitsResult::End::ServiceStopped);
    EXPECT_EQ(namesOf(result), std::vector<std::string>{"P01"});
    EXPECT_EQ(asked(), (std::vector<std::string>{"P01", "I12"}));
    EXPECT_EQ(ui.errors, std::vector<std::string>{"The MIDI service stopped"});
    EXPECT_EQ(result.report(),
              "Read 1 of 3 kits.\nThe MIDI service stopped: the kits read so far are kept.");
}

TEST_F(KitsOnBus, NothingIsAskedForWithoutPortsOrNames) {
    struct Case {
        const char* what;
        std::string moduleOut;
        bool namesSilent;
        std::vector<std::string> errors;
        std::vector<std::string> asked;
    };
    const Case cases[] = {
        // Wirebox tells of the missing port itself.
        {"no such port", "Nobody:Out", false, {}, {}},
        {"silent names", ModuleOnBus::kModuleOut, true, {kNoResponse}, {"VI"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings.writeText(SettingKey::MidiIn, c.moduleOut);
        namesSilent = c.namesSilent;
        ui.errors.clear();
        {
            std::lock_guard lock(mutex);
            requests.clear();
        }
        const KitsResult result = run({kPreset1});
        EXPECT_EQ(result.end, KitsResult::End::NotStarted);
        EXPECT_TRUE(result.kits.empty());
        EXPECT_EQ(ui.errors, c.errors);
        EXPECT_EQ(asked(), c.asked);
        EXPECT_FALSE(names.namesRetrieved);
    }
}
