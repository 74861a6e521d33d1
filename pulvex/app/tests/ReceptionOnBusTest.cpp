// Receptions from the menu against a scripted module on the in-memory bus, through the real
// Wirebox: what each failure shows, and that the busy cursor, the progress window and the ports
// end on every path.

#include "ReceptionWindowsFixture.h"
#include "pulvex/model/tests/ModuleOnBus.h"
#include "pulvex/model/tests/ModuleReplies.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QThread>
#include <future>
#include <set>

using namespace std::chrono_literals;
using namespace pulvex_test;

namespace {

enum class Module { Answers, OtherTrafficFirst, ShortKit, Silent, StopsTheService, Absent };

ModuleOnBus::Script script(Module behaviour, midi::MemoryBus& bus) {
    return [behaviour, &bus](const Bytes& request) {
        std::vector<Bytes> replies;
        if (behaviour == Module::Silent) return replies;
        if (behaviour == Module::StopsTheService) {
            bus.stopService(); // the cable is pulled as the request arrives
            return replies;
        }
        if (behaviour == Module::OtherTrafficFirst)
            replies = {{0x90, 60, 100},
                       {0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7},
                       listReply("VW", nameRecords("CARD", 1))};
        const std::string type = ModuleOnBus::requestType(request);
        if (type == "VI") replies.push_back(listReply("VI", nameRecords("INTV", 128)));
        if (type == "VW") replies.push_back(listReply("VW", nameRecords("CARD", 96)));
        if (type == "KT") {
            Bytes kit = kitData("BUSKIT01");
            if (behaviour == Module::ShortKit) kit.resize(pulvex::kKitBlockMinimum - 1);
            replies.push_back(message({hexBlock("KT", kit)}));
        }
        return replies;
    };
}

class ReceptionOnBus : public ReceptionWindows {
protected:
    // A fresh bus, module and application, and one reception from the menu.
    void receiveFrom(Module behaviour, std::chrono::milliseconds replyTimeOut = 10s) {
        app.reset();
        module.reset();
        onBus.reset();
        bus = std::make_unique<midi::MemoryBus>();
        onBus = std::make_unique<midi::ServiceOverride>(*bus);
        if (behaviour != Module::Absent)
            module = std::make_unique<ModuleOnBus>(
                *bus, [this, answer = script(behaviour, *bus)](const Bytes& request) {
                    if (ModuleOnBus::requestType(request) == "KT" && beforeKitReply)
                        beforeKitReply();
                    return answer(request);
                });
        pulvex_app::StartOptions options = noSplash();
        options.replyTimeOut = replyTimeOut;
        startApp(options);
        usePorts(ModuleOnBus::kModuleOut, ModuleOnBus::kModuleIn);
        messages.clear();
        shownDialogs.clear();
        QElapsedTimer clock;
        clock.start();
        receive();
        elapsed = std::chrono::milliseconds(clock.elapsed());
    }

    // Whatever happened, nothing of the exchange is left: Wirebox's ports, the cursor, the window.
    void expectAllEnded() {
        if (module) {
            EXPECT_EQ(bus->openClients(), 2) << "Wirebox's ports left open";
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(frame().findChild<pulvex_app::CRead_Progress*>(), nullptr);
        EXPECT_FALSE(app->exchangeRunning());
    }

    std::unique_ptr<midi::MemoryBus> bus;
    std::unique_ptr<midi::ServiceOverride> onBus;
    std::unique_ptr<ModuleOnBus> module;
    std::chrono::milliseconds elapsed{0};
    // Runs on the module's thread when the kit request has come, before the reply goes.
    std::function<void()> beforeKitReply;
};

// Counts the events of the given types that reach the objects it watches.
class EventCounter : public QObject {
public:
    explicit EventCounter(std::set<QEvent::Type> types) : types_(std::move(types)) {}
    void watch(QObject* object) { object->installEventFilter(this); }
    int count = 0;
    std::function<void()> onFirst;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (types_.count(event->type()) && ++count == 1 && onFirst) onFirst();
        return false;
    }

private:
    std::set<QEvent::Type> types_;
};

} // namespace

TEST_F(ReceptionOnBus, AKitArrivesPastOtherTraffic) {
    for (Module behaviour : {Module::Answers, Module::OtherTrafficFirst}) {
        receiveFrom(behaviour);
        EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
        EXPECT_TRUE(app->names().namesRetrieved);
        EXPECT_EQ(doc().title, "BUSKIT01");
        EXPECT_EQ(module->requests(), 3);
        expectAllEnded();
    }
}

TEST_F(ReceptionOnBus, EachFailureIsToldOnceAndEndsTheExchange) {
    struct Case {
        const char* what;
        Module module;
        std::chrono::milliseconds replyTimeOut;
        std::string message; // empty: Wirebox's own words
        bool namesRetrieved;
    };
    const Case cases[] = {
        {"kit too short", Module::ShortKit, 10s, "MIDI communication error", true},
        {"silent module", Module::Silent, 300ms,
         "Pulvex does not respond - check cable and/or configuration", false},
        // Told at once, not after the time-out, and without blaming the cable.
        {"service stops", Module::StopsTheService, 10s, "The MIDI service stopped", false},
        {"no such port", Module::Absent, 10s, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        receiveFrom(c.module, c.replyTimeOut);
        ASSERT_EQ(messages.size(), 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(messages[0].text.toStdString(), c.message);
        }
        EXPECT_FALSE(messages[0].text.isEmpty());
        EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
        EXPECT_LT(elapsed, 5s);
        EXPECT_FALSE(doc().HasKit());
        EXPECT_EQ(app->names().namesRetrieved, c.namesRetrieved);
        if (!c.namesRetrieved && c.module != Module::Absent) {
            EXPECT_EQ(frame().statusBar()->currentMessage(), "Error during reception of data");
        }
        expectAllEnded();
    }
}

TEST_F(ReceptionOnBus, NoSecondExchangeWhileOneRuns) {
    answerDialog = [this](QDialog& dialog) {
        // The ready prompt comes while the ports are open: a second receive does nothing.
        if (dialog.windowTitle() == "Ready to read Pulvex configuration") {
            EXPECT_TRUE(app->exchangeRunning());
            receive();
        }
        return int(qobject_cast<pulvex_app::CRead_Kit*>(&dialog) ? QDialog::Rejected
                                                                 : QDialog::Accepted);
    };
    receiveFrom(Module::Answers);
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 1);
    expectAllEnded();
}

// While the module takes its time over the kit, the window paints what it is asked to, and
// nothing the user does reaches it.
TEST_F(ReceptionOnBus, TheWindowPaintsWhileTheModuleTakesItsTimeButTakesNoInput) {
    EventCounter paints({QEvent::Paint});
    EventCounter inputs({QEvent::MouseButtonPress, QEvent::KeyPress});
    std::promise<void> painted;
    paints.onFirst = [&painted] { painted.set_value(); };
    std::atomic<bool> paintedWhileWaiting{false};
    // The user's part, on the window's thread once it waits in its event loop for the reply (a
    // dispatch before the wait tries again at the next one).
    std::function<void()> act = [&] {
        if (app->exchangeRunning() && QThread::currentThread()->loopLevel() == 0) {
            QMetaObject::invokeMethod(qApp, act, Qt::QueuedConnection);
            return;
        }
        inputs.watch(view().viewport());
        inputs.watch(&view());
        clickRow(3);
        QTest::keyClick(&view(), Qt::Key_Down);
        paints.watch(&frame());
        frame().update();
    };
    beforeKitReply = [&] {
        QMetaObject::invokeMethod(qApp, act, Qt::QueuedConnection);
        // Only a window that paints during the wait lets the reply go before this bound.
        paintedWhileWaiting = painted.get_future().wait_for(10s) == std::future_status::ready;
    };
    receiveFrom(Module::Answers, 20s);
    QApplication::processEvents(); // what did not run during the wait runs now

    EXPECT_TRUE(paintedWhileWaiting);
    EXPECT_EQ(inputs.count, 0);
    EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_EQ(doc().title, "BUSKIT01");
    expectAllEnded();
}
