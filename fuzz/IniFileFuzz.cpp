// Any bytes as a settings file: reading never fails, and a change either is refused and leaves the
// text as it was, or reads back as written and leaves another section's value as it was.

#include "files/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    files::IniText text(bytes);
    const auto other = text.value("Mine", "Kept");
    text.setValue("Settings", "MIDI In", "Port, \"2\" ;\\ ");
    if (text.refusedChange()) {
        if (text.bytes() != bytes) std::abort();
        return 0;
    }
    if (text.value("Settings", "MIDI In") != "Port, \"2\" ;\\ ") std::abort();
    if (text.value("Mine", "Kept") != other) std::abort();
    text.remove("Recent File List", "File1");
    if (!text.refusedChange() && text.value("Recent File List", "File1")) std::abort();
    if (text.value("Settings", "MIDI In") != "Port, \"2\" ;\\ ") std::abort();
    return 0;
}
