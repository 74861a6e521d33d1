#pragma once
// One exchange with the module as an object: the ports Wirebox opened and the busy cursor are
// ended when it goes away, on every way out, so no path has to remember to close them.

#include "pulvex/model/WireboxBinding.h"

#include <chrono>
#include <string>

namespace pulvex {

class ReceptionUi;
class SettingsStore;

class OpenExchange {
public:
    OpenExchange(const WireboxBinding& wirebox, ReceptionUi& ui) : wirebox_(wirebox), ui_(ui) {}
    ~OpenExchange() { end(); }
    OpenExchange(const OpenExchange&) = delete;
    OpenExchange& operator=(const OpenExchange&) = delete;

    // Opens the ports the settings name, with `timeOut` for every reply. False when they did not
    // open (Wirebox has told the user why).
    bool open(const SettingsStore& settings, std::chrono::milliseconds timeOut);
    void beginBusy();
    // The busy cursor off while the ports stay open: a run that shows its own progress and takes
    // a Cancel is not hung.
    void endBusy();

    // Whether the MIDI service, there when the exchange began, is gone now: a wait that ended then
    // is no silence of the module.
    bool serviceStopped() const;

    // Ends the busy cursor and closes the ports now; later calls do nothing.
    void end();
    // Ends the exchange, then tells the user: a message box under a busy cursor looks hung.
    void fail(const std::string& text);

private:
    const WireboxBinding& wirebox_;
    ReceptionUi& ui_;
    bool open_ = false;
    bool busy_ = false;
    bool serviceThere_ = false;
};

} // namespace pulvex
