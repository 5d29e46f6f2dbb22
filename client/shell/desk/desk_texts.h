// The texts the main window composes from the connection and the server's facts. Times from
// the server are seconds since 1970-01-01 UTC and are shown in the local time zone.
#ifndef HV_CLIENT_SHELL_DESK_DESK_TEXTS_H_
#define HV_CLIENT_SHELL_DESK_DESK_TEXTS_H_

#include <cstdint>

#include "core/string/sw_string.h"

namespace hv {

constexpr const char* kNotConnectedText = "Not Connected";
constexpr const char* kNoServerTimeText = "Unable to get the server time";
constexpr const char* kNoContactText = "Unable to contact the server";
// The connection text while no server address has been set up.
constexpr const char* kNotSetUpText = "Not set up yet";

// "Varnholt (TM) Client - <traffic><connection>", where only the part of the connection
// text before its first " - " is used (all of it when " - " is missing or starts it).
// Without a connection " - Not Connected" follows, so the title never claims a server that
// is gone (unless the text already says that nothing is set up).
swString ComposeDeskTitle(const swString& traffic, const swString& connection_text,
                          bool connected = true);

// "%s:%d", or "%s:%d - %s" with the server's control file name; "Not set up yet" without an
// address.
swString ConnectionText(const swString& address, int32_t port);
swString ConnectionText(const swString& address, int32_t port, const swString& control_file);

// "%m/%d/%Y - %I:%M:%S %p" of the time in local time.
swString FormatServerClock(int64_t seconds_since_1970);
// What the server time label shows: "Not Connected" while nothing was heard from the server,
// else the clock, or "Unable to get the server time" while the clock is 0.
swString ServerTimeText(bool heard_from_server, int64_t server_clock);
// "Dawn: %s, Dusk: %s" with each time as "%I:%M %p" in local time.
swString DawnDuskText(uint32_t dawn, uint32_t dusk);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_DESK_TEXTS_H_
