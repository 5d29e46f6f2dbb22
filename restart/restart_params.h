// cRestartParams: what the restart program was asked to do, read from its command line.
//
//   (bare value) or /F=  the program to launch            (text)
//   /D=                  milliseconds to wait first        (number, default 2000)
//   /A=                  active file name                  (text, kept but unused)
//   /M                   minimise                          (flag, kept but unused)
//   /C=                  the new program file              (text)
//   /T=                  the program file it replaces      (text)
//   /P=                  the process to wait for           (number; 0 or none: wait /D)
//   /L=                  the list of files to swap in      (text: the path of the list file)
//
// Names match without regard to case. An unknown name, or one given twice, goes to
// ReportBadParameter; a repeated one is applied again, so the later value wins.
#ifndef HV_RESTART_RESTART_PARAMS_H_
#define HV_RESTART_RESTART_PARAMS_H_

#include <cstdint>

#include "core/string/sw_string.h"
#include "restart/cmd_param.h"

namespace hv {

class cRestartParams : public swCmdParam {
 public:
  // The bits of ApplyParameters' `found`.
  enum : uint32_t {
    kFoundFilename = 1,
    kFoundDelay = 2,
    kFoundActiveFilename = 4,
    kFoundMinimize = 8,
    kFoundCopyFrom = 16,
    kFoundCopyTo = 32,
    kFoundProcessId = 64,
    kFoundListFile = 128,
  };

  static constexpr int32_t kDefaultDelay = 2000;
  static constexpr uint16_t kNameLimit = 10;
  // The value limit of the classic command line. Paths on this platform run longer, so the
  // restart program raises it (SetValueLimit) to hold any path the system accepts.
  static constexpr uint16_t kDefaultValueLimit = 80;
  static constexpr char kResponseFileChar = '@';

  cRestartParams() = default;

  // Text values keep at most `limit` - 1 characters, and the grammar cuts values at `limit`.
  void SetValueLimit(uint16_t limit) { value_limit_ = limit < 2 ? 2 : limit; }

  // Parse `text` (or the arguments 1 to count - 1 of `args`) and store each value in its
  // field. `found` (may be null) receives the bits of the parameters given. Fails (kFailed)
  // when parsing ran out of memory: the values read before that are stored, the rest keep
  // their defaults.
  [[nodiscard]] Status ApplyParameters(const char* text, uint32_t* found);
  [[nodiscard]] Status ApplyArguments(int count, const char* const* args, uint32_t* found);

  void* owner_window = nullptr;   // no window: messages have no owner
  swString program;               // the program to launch
  int32_t delay = kDefaultDelay;  // milliseconds
  swString active_filename;
  int16_t minimize = 0;
  swString copy_from;
  swString copy_to;
  // The client that handed over: the swap waits until it has ended (at most `delay`).
  int32_t process_id = 0;
  // The list file of the update's files with their SHA-256 (see restart.1); its folder holds
  // the staged files.
  swString list_file;

 private:
  Status ApplyPairs(int32_t parsed, uint32_t* found);
  swString CleanText(const swString& raw) const;

  uint16_t value_limit_ = kDefaultValueLimit;
};

// The number at the start of `text` (optional spaces, sign, then digits), clamped to the
// 32-bit range; 0 when there is none.
int32_t ReadLeadingNumber(const char* text);

}  // namespace hv

#endif  // HV_RESTART_RESTART_PARAMS_H_
