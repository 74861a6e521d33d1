// Any bytes as a Cubase drum map: loading either refuses them and changes nothing, or fills all
// 64 keys, which then store as a well-formed file.

#include "pulvex/model/DrumMapFormats.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pulvex::CPulvexDoc doc;
    doc.ToggleSelected(7);
    const auto before = doc.keys;
    if (!pulvex::loadDrm(doc, {data, size})) {
        if (doc.keys != before || !doc.IsSelected(7)) std::abort();
        return 0;
    }
    if (doc.SelectedCount() != 0) std::abort();
    const auto stored = pulvex::storeDrm(doc);
    if (stored.size() != pulvex::kDrmSize) std::abort();
    for (std::size_t i = 10; i < static_cast<std::size_t>(pulvex::kDrmRecordsEnd); ++i)
        if (stored[i] != data[i]) std::abort();
    (void)pulvex::theDrumMap(doc);
    (void)pulvex::masterDrumMap(doc, "fuzz.cfg");
    return 0;
}
