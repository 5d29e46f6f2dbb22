// cRefusalLog: refused commands in the journal at most once a second. A script gone wrong
// (or a hostile client of the broker) can send thousands a second; the first of each second
// is told, and the next line says how many were refused in between.
#ifndef HV_TOOLS_HVBRIDGE_REFUSAL_LOG_H_
#define HV_TOOLS_HVBRIDGE_REFUSAL_LOG_H_

#include <cstdint>
#include <string>

namespace hv::bridge {

class cRefusalLog {
 public:
  static constexpr uint32_t kPeriodMs = 1000;

  // The line to log for this refusal, or an empty text when it is only counted.
  std::string Line(uint32_t now, const std::string& what);

 private:
  bool logged_ = false;
  uint32_t logged_at_ = 0;
  uint64_t unlogged_ = 0;
};

}  // namespace hv::bridge

#endif  // HV_TOOLS_HVBRIDGE_REFUSAL_LOG_H_
