#include "tools/hvbridge/refusal_log.h"

namespace hv::bridge {

std::string cRefusalLog::Line(uint32_t now, const std::string& what) {
  if (logged_ && now - logged_at_ < kPeriodMs) {
    ++unlogged_;
    return "";
  }
  std::string line = what;
  if (unlogged_ > 0) line += " (and " + std::to_string(unlogged_) + " more refused since the last)";
  logged_ = true;
  logged_at_ = now;
  unlogged_ = 0;
  return line;
}

}  // namespace hv::bridge
