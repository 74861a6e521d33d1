#include "pulvex/model/KitsReception.h"

#include "pulvex/model/OpenExchange.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"

namespace pulvex {

namespace {

using Outcome = KitReception::Outcome;

// The first try and, for a kit that did not come, the second.
Outcome kitWithRetry(KitReception& steps, OpenExchange& exchange, CPulvexDoc& doc,
                     const KitAddress& kit, const CancelCheck& cancelled) {
    const Outcome first = steps.KitExchange(exchange, doc, kit.bank, kit.number, cancelled);
    if (first != Outcome::NoAnswer && first != Outcome::Damaged) return first;
    const Outcome second = steps.KitExchange(exchange, doc, kit.bank, kit.number, cancelled);
    // Where both tries failed, the first says why: the second often only times out.
    return second == Outcome::NoAnswer || second == Outcome::Damaged ? first : second;
}

} // namespace

std::vector<KitAddress> kitsToRead(std::optional<KitBank> bank, std::optional<int> number) {
    std::vector<KitAddress> kits;
    for (KitBank each : {KitBank::Preset, KitBank::Internal, KitBank::Card}) {
        if (bank && *bank != each) continue;
        for (int kit = 1; kit <= kKitsInBank; ++kit)
            if (!number || *number == kit) kits.push_back({each, kit});
    }
    return kits;
}

std::string kitAddressText(const KitAddress& kit) {
    return std::string(kitBankName(kit.bank)) + " " + std::to_string(kit.number);
}

std::string kitProgressText(int k, int n) {
    return "kit " + std::to_string(k) + " of " + std::to_string(n);
}

std::string KitsResult::report() const {
    std::string text = "Read " + std::to_string(kits.size()) + " of " + std::to_string(requested) +
                       (requested == 1 ? " kit." : " kits.");
    if (end == End::Cancelled) text += std::string("\n") + kCancelledKeepsKits;
    if (end == End::ServiceStopped) text += std::string("\n") + kStoppedKeepsKits;
    if (!failed.empty()) {
        text += std::string("\n") + kKitsNotRead;
        for (std::size_t i = 0; i < failed.size(); ++i)
            text += (i ? ", " : "") + kitAddressText(failed[i].kit) + " (" + failed[i].reason + ")";
        text += ".";
    }
    return text;
}

KitsReception::KitsReception(const WireboxBinding& wirebox, const SettingsStore& settings,
                             WaveNameTable& names, ReceptionUi& ui,
                             std::chrono::milliseconds replyTimeOut)
    : wirebox_(wirebox), settings_(settings), names_(names), ui_(ui), replyTimeOut_(replyTimeOut) {}

KitsResult KitsReception::read(const std::vector<KitAddress>& kits, const KitsProgress& progress) {
    KitsResult result;
    result.requested = static_cast<int>(kits.size());
    // The run is one exchange, so the settings are read once for it: otherwise every kit's keys
    // would read the file again.
    const SettingsStore settings = SettingsStore::inMemoryCopy(settings_);
    KitReception steps(wirebox_, settings, names_, ui_, replyTimeOut_);
    OpenExchange exchange(wirebox_, ui_);
    if (!exchange.open(settings, replyTimeOut_)) return result;
    if (!names_.namesRetrieved && !steps.NamesRead(exchange)) return result;
    // The progress shows that the run goes on, and its Cancel must be usable.
    exchange.endBusy();

    const auto cancelled = [&progress] { return progress.cancelled && progress.cancelled(); };
    result.end = KitsResult::End::Finished;
    for (std::size_t i = 0; i < kits.size(); ++i) {
        if (cancelled()) {
            result.end = KitsResult::End::Cancelled;
            break;
        }
        const KitAddress& kit = kits[i];
        if (progress.kitStarted)
            progress.kitStarted(static_cast<int>(i) + 1, result.requested, kit);
        CPulvexDoc doc;
        const Outcome outcome = kitWithRetry(steps, exchange, doc, kit, progress.cancelled);
        if (outcome == Outcome::Done) {
            std::string name = doc.title;
            result.kits.push_back({std::move(name), kit.bank, kit.number, std::move(doc)});
        } else if (outcome == Outcome::NoAnswer || outcome == Outcome::Damaged) {
            result.failed.push_back(
                {kit, outcome == Outcome::NoAnswer ? kNoAnswer : kDamagedReply});
        } else if (outcome == Outcome::Cancelled) {
            result.end = KitsResult::End::Cancelled;
            break;
        } else {
            exchange.fail(KitReception::outcomeText(outcome));
            result.end = KitsResult::End::ServiceStopped;
            break;
        }
    }
    return result;
}

} // namespace pulvex
