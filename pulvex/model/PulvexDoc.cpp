#include "pulvex/model/PulvexDoc.h"

#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/TextRules.h"
#include "pulvex/model/WaveNameTable.h"

#include <algorithm>

namespace pulvex {

namespace {

bool validKey(int i) {
    return i >= 0 && i < kKeyCount;
}

} // namespace

bool CPulvexDoc::HasKit() const {
    return !keys[0].GetName().empty();
}

int CPulvexDoc::SelectedCount() const {
    return static_cast<int>(std::ranges::count_if(selected, [](int flag) { return flag != 0; }));
}

void CPulvexDoc::SelectAll() {
    selected.fill(1);
    changed();
}

void CPulvexDoc::UnselectAll() {
    selected.fill(0);
    changed();
}

void CPulvexDoc::ToggleSelected(int i) {
    if (!validKey(i)) return;
    selected[i] = selected[i] ? 0 : 1;
    changed();
}

bool CPulvexDoc::IsSelected(int i) const {
    return validKey(i) && selected[i] != 0;
}

void CPulvexDoc::ResetAllKeys(const SettingsStore& settings) {
    // One read of the settings for all keys: every read opens the file again.
    CDrumSet cleared;
    cleared.ResetToDefaults(settings);
    keys.fill(cleared);
    changed();
}

void CPulvexDoc::SetKeySound(int i, const std::string& text, int note) {
    if (!validKey(i)) return;
    keys[i].SetSound(text, note);
    changed();
}

bool CPulvexDoc::LoadKitBlock(std::span<const std::uint8_t> block, const WaveNameTable& names,
                              const SettingsStore& settings) {
    if (block.size() < static_cast<std::size_t>(kKitBlockMinimum)) return false;

    const auto nameStart = block.begin() + kKitNameOffset;
    const auto nameEnd = std::find(nameStart, nameStart + kKitNameLength, std::uint8_t{0});
    const std::string kitName = SanitizeKitName(TrimBlanks(std::string(nameStart, nameEnd)));

    // Keys are filled directly rather than through ResetAllKeys and SetKeySound, so that the views
    // are told once, at the end, instead of 51 times.
    CDrumSet cleared;
    cleared.ResetToDefaults(settings);
    keys.fill(cleared);
    for (int i = 0; i < kKitKeys; ++i) {
        // The kit has 49 entries for 50 keys: the last key repeats the first entry.
        const int entry = i == kKitKeys - 1 ? 0 : i;
        const std::size_t at = kKitEntriesOffset + 3 * static_cast<std::size_t>(entry);
        const int sound = ((block[at] & 0x0F) << 8) | block[at + 1];
        const int bank = sound / kBankSize;
        if (bank >= kNoSoundBank) continue; // a silent entry keeps the cleared row
        const std::string text = TrimBlanks(std::string(CategoryPrefix(bank)) + names.Name(sound));
        keys[i].SetSound(text, kFirstKitNote + i);
    }

    title = kitName;
    modified = true;
    changed();
    return true;
}

std::vector<std::uint8_t> CPulvexDoc::Serialize() const {
    return storeDrm(*this);
}

bool CPulvexDoc::Serialize(std::span<const std::uint8_t> bytes) {
    return loadDrm(*this, bytes);
}

} // namespace pulvex
