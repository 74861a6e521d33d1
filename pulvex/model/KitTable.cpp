#include "pulvex/model/KitTable.h"

#include "pulvex/model/TextRules.h"

namespace pulvex {

std::string cellText(const CDrumSet& key, int column) {
    switch (column) {
    case 0:
        return key.GetName();
    case 1:
        return CodeName(key.quantize);
    case 2:
        return NoteName(key.inNote);
    case 3:
        return CodeName(key.length);
    case 4:
        return NoteName(key.outNote);
    case 5:
        return std::to_string(key.channel + 1);
    case 6:
        return std::to_string(key.level1);
    case 7:
        return std::to_string(key.level2);
    case 8:
        return std::to_string(key.level3);
    case 9:
        return std::to_string(key.level4);
    }
    return {};
}

} // namespace pulvex
