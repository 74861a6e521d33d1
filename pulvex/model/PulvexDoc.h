#pragma once
// The drum-map document: 64 keys, their selection, and the kit's title.

#include "pulvex/model/DrumSet.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace pulvex {

class SettingsStore;
class WaveNameTable;

inline constexpr int kKeyCount = 64;
inline constexpr int kKitKeys = 50;      // keys filled from a kit dump
inline constexpr int kFirstKitNote = 35; // key i plays note 35 + i
// The decoded kit block: name at 8 (up to 9 characters), 49 three-byte entries from 31.
inline constexpr int kKitNameOffset = 8;
inline constexpr int kKitNameLength = 9;
inline constexpr int kKitEntriesOffset = 31;
inline constexpr int kKitBlockMinimum = kKitEntriesOffset + 3 * 48 + 2; // 177: the last byte read

class CPulvexDoc {
public:
    std::array<CDrumSet, kKeyCount> keys{};
    std::array<int, kKeyCount> selected{};
    // Left edge of each view column, in average character widths.
    static constexpr std::array<int, 10> ColumnX = {0, 14, 22, 30, 38, 46, 54, 62, 70, 78};
    std::string title;
    bool modified = false;
    // Told after every change of keys, selection or title (the views repaint).
    std::function<void()> onChanged;

    bool HasKit() const; // key 0 has a name
    int SelectedCount() const;
    void SelectAll();
    void UnselectAll();
    void ToggleSelected(int i);
    bool IsSelected(int i) const;
    void ResetAllKeys(const SettingsStore& settings);
    void SetKeySound(int i, const std::string& text, int note);

    // Fills the document from a decoded kit block: title = kit name, keys 0..49 from the entries
    // (key 49 takes entry 0), keys 50..63 and silent entries at their defaults, modified set.
    // False, and nothing changed, when the block is too short for what is read.
    bool LoadKitBlock(std::span<const std::uint8_t> block, const WaveNameTable& names,
                      const SettingsStore& settings);

    // The document's own file form, the Cubase drum map (DrumMapFormats.h): stored, or loaded
    // (false, and nothing changed, when the bytes end before the 64 records).
    std::vector<std::uint8_t> Serialize() const;
    bool Serialize(std::span<const std::uint8_t> bytes);

    void changed() const {
        if (onChanged) onChanged();
    }
};

} // namespace pulvex
