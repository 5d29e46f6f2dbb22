// When an activity entry of the server's happened: its date and time texts ("%m/%d/%Y",
// "%I:%M:%S %p", as the server writes them) are the server's wall clock, which the client
// takes to run in its own time zone (the house's server and the desktop are in one house;
// the server sends no zone). The history places entries there, so that the log sent at login,
// which carries earlier days, is not filed under the moment of connecting.
#ifndef HV_CLIENT_HISTORY_SERVER_LOG_TIME_H_
#define HV_CLIENT_HISTORY_SERVER_LOG_TIME_H_

#include <cstdint>
#include <string_view>

namespace hv::history {

// Milliseconds since 1970 UTC of the entry's date and time in local time, or `arrival_ms`
// when they cannot be read (no texts: the client's own entry; a date that does not exist),
// or when they lie more than kServerClockAhead after the arrival: a server whose clock or
// zone runs ahead is not believed about what has not happened yet. In the autumn hour that
// comes twice, the later of the two moments that is not after the arrival is taken.
int64_t ServerLogTime(std::string_view date_text, std::string_view time_text, int64_t arrival_ms);

constexpr int64_t kServerClockAheadMs = 15 * 60 * 1000;

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_SERVER_LOG_TIME_H_
