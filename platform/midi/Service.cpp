#include "midi/Backend.h"
#include "midi/RtMidiBackend.h"

#include <atomic>

namespace midi {
namespace {

std::atomic<Backend*> installed{nullptr};

} // namespace

Backend& service() {
    Backend* backend = installed.load();
    return backend ? *backend : rtMidiService();
}

std::shared_ptr<void> Backend::hold() {
    return nullptr;
}

ServiceOverride::ServiceOverride(Backend& backend) : previous_(installed.exchange(&backend)) {}

ServiceOverride::~ServiceOverride() {
    installed = previous_;
}

} // namespace midi
