#include "morvex/MorvexState.h"

namespace morvex {

MorvexState& theMorvex() {
    static MorvexState state;
    return state;
}

} // namespace morvex
