#pragma once
// The drum map files: Cubase (.drm, the document's own format, read and written), The*Drum (.kbr)
// and MasterDrum (.cfg). Every write replaces the file atomically: a failed write leaves any
// earlier file as it was.

#include "files/AtomicWrite.h"
#include "pulvex/model/PulvexDoc.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pulvex {

inline constexpr int kDrmSize = 1630;
inline constexpr int kDrmRecordsEnd = 10 + kKeyCount * kDrumSetSize; // 1546
inline constexpr int kTheDrumLimit = 25;                             // keys a .kbr holds
inline constexpr int kMasterDrumLimit = 16;                          // keys a .cfg holds
inline constexpr const char* kNothingToSave = "There is nothing to save!";
inline constexpr const char* kTooManySelected = "Too many entires selected. Continue?";
inline constexpr const char* kFailedToOpen = "Failed to open document.";

// An error for the user, or nothing.
using files::FileError;

std::vector<std::uint8_t> storeDrm(const CPulvexDoc& doc);
// False, and the document unchanged, when the bytes end before the 64 records do. Otherwise the
// keys are replaced and the selection cleared; header and trailer are not checked.
bool loadDrm(CPulvexDoc& doc, std::span<const std::uint8_t> bytes);
FileError saveDrmFile(const CPulvexDoc& doc, const std::string& path);
// "Failed to open document.", a blank line and why (naming the file), for a file that cannot be
// read, is too short, or is far larger than a drum map.
FileError openDrmFile(CPulvexDoc& doc, const std::string& path);

std::vector<std::uint8_t> theDrumMap(const CPulvexDoc& doc);
std::string masterDrumMap(const CPulvexDoc& doc, const std::string& fileName);
FileError WriteTheDrumMap(const CPulvexDoc& doc, const std::string& path);
FileError WriteMasterDrumMap(const CPulvexDoc& doc, const std::string& path,
                             const std::string& fileName);

// The file name the save dialogs propose: the title without its last extension (a dot at position
// 0 does not count).
std::string proposedFileName(const std::string& title);

} // namespace pulvex
