#include "midi/Port.h"

#include <algorithm>
#include <cctype>

namespace midi {
namespace {

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

std::string Port::client() const {
    return name.substr(0, name.find(':'));
}

std::string Port::port() const {
    const std::size_t colon = name.find(':');
    return colon == std::string::npos ? std::string{} : name.substr(colon + 1);
}

std::string productName(const std::string& listedName) {
    // Strip a trailing " <client>:<port>" of digits.
    const std::size_t blank = listedName.rfind(' ');
    if (blank == std::string::npos) return listedName;
    const std::string tail = listedName.substr(blank + 1);
    const std::size_t colon = tail.find(':');
    if (colon == std::string::npos || !allDigits(tail.substr(0, colon)) ||
        !allDigits(tail.substr(colon + 1)))
        return listedName;
    return listedName.substr(0, blank);
}

std::vector<std::string> namesOf(const std::vector<Port>& ports) {
    std::vector<std::string> names;
    names.reserve(ports.size());
    for (const Port& port : ports) names.push_back(port.name);
    return names;
}

int indexOf(const std::vector<Port>& ports, const std::string& name) {
    const auto found = std::find_if(ports.begin(), ports.end(),
                                    [&](const Port& port) { return port.name == name; });
    return found == ports.end() ? -1 : static_cast<int>(found - ports.begin());
}

PortMatch findPort(const std::vector<Port>& ports, const std::string& wanted) {
    PortMatch match;
    if (wanted.empty()) return match;
    if (const int exact = indexOf(ports, wanted); exact >= 0) {
        match.port = &ports[static_cast<std::size_t>(exact)];
        return match;
    }
    const std::string part = lowerCase(wanted);
    for (const Port& port : ports) {
        if (lowerCase(port.name).find(part) == std::string::npos) continue;
        if (!match.port) {
            match.port = &port;
        } else {
            if (match.candidates.empty()) match.candidates.push_back(match.port->name);
            match.candidates.push_back(port.name);
        }
    }
    if (!match.candidates.empty()) match.port = nullptr;
    return match;
}

PortMatch findPortArgument(const std::vector<Port>& ports, const std::string& wanted) {
    if (!allDigits(wanted) || wanted.size() > 4) return findPort(ports, wanted);
    PortMatch match;
    if (const std::size_t number = std::stoul(wanted); number < ports.size())
        match.port = &ports[number];
    return match;
}

std::string quotedCandidates(const PortMatch& match) {
    std::string text;
    for (const std::string& candidate : match.candidates)
        text += (text.empty() ? "\"" : ", \"") + candidate + "\"";
    return text;
}

std::string noPortText(const std::string& wanted, const PortMatch& match) {
    if (match.candidates.empty())
        return allDigits(wanted) && wanted.size() <= 4
                   ? "there is no MIDI port number " + wanted
                   : "no MIDI port is named \"" + wanted + "\" or has it in its name";
    return "\"" + wanted + "\" is part of several ports' names: " + quotedCandidates(match);
}

} // namespace midi
