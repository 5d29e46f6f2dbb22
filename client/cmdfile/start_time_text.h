// The monitor's start time as the dialog shows it: local date and time written
// "YYYY-MM-DD HH:MM:SS", stored as seconds since 1970 (a 32-bit unsigned number).
#ifndef HV_CLIENT_CMDFILE_START_TIME_TEXT_H_
#define HV_CLIENT_CMDFILE_START_TIME_TEXT_H_

#include <cstdint>

#include "client/platform/clock.h"
#include "core/string/sw_string.h"

namespace hv {

swString FormatStartTime(const cLocalTime& time);
// Parses the shown form; spaces around it are allowed. False for anything else, or for a
// date or time that does not exist (month 13, February 30, hour 24).
bool ParseStartTime(const char* text, cLocalTime* time);

// Local time of a moment, and the moment of a local time, in the process's time zone.
// False when the conversion fails or the moment is outside the stored range (1970-2106).
bool LocalTimeOfSeconds(uint32_t seconds, cLocalTime* time);
bool SecondsOfLocalTime(const cLocalTime& time, uint32_t* seconds);

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_START_TIME_TEXT_H_
