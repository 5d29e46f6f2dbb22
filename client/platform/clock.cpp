#include "client/platform/clock.h"

namespace hv {

cLocalTime LocalTimeFromFields(const tm& fields, int millisecond) {
  cLocalTime time;
  time.year = fields.tm_year + 1900;
  time.month = fields.tm_mon + 1;
  time.day = fields.tm_mday;
  time.hour = fields.tm_hour;
  time.minute = fields.tm_min;
  time.second = fields.tm_sec;
  time.millisecond = millisecond;
  time.day_of_week = fields.tm_wday;
  return time;
}

}  // namespace hv
