// swCmdParam: the command-line parser. It reads name/value pairs from a text, an argument
// vector or a response file with one grammar, and keeps them, in order, until it is destroyed
// or cleared. Subclasses give the pairs a meaning (see cRestartParams).
//
// The grammar: spaces separate tokens. `/` or `-` starts a switch whose name runs to `=`, a
// space, a quote, another `/` or `-`, the response-file character or the name limit; after
// `=` the value starts empty, otherwise it starts with the name's characters after the first
// (the name stays the whole token). Any other character starts a bare value with an empty
// name. A value runs to the value limit or the end; outside double quotes also to `/`, `-` or
// the response-file character. Quotes toggle the quoted state and stay in the value; trailing
// spaces are cut. The response-file character starts a file name (up to 79 characters, ended
// like a value) that OpenResponseFile may open; its contents are then parsed in place.
#ifndef HV_RESTART_CMD_PARAM_H_
#define HV_RESTART_CMD_PARAM_H_

#include <cstdint>
#include <memory>

#include "core/list/list.h"
#include "core/status.h"
#include "core/string/sw_string.h"
#include "restart/sw_read.h"

namespace hv {

// One parsed pair. Listed only, never archived.
class swParamPair : public swStorable {
 public:
  swParamPair(const swString& pair_name, const swString& pair_value)
      : name(pair_name), value(pair_value) {}
  uint16_t ClassId() const override { return 0; }
  hv::Status Serialize(swSerializer&) override {
    return hv::Status::Failure(hv::Where::kRestart, "never archived");
  }

  swString name;
  swString value;
};

// The parsed pairs in the order they were read. The list does not own them: swCmdParam frees
// them.
class swParamList : public swList {};

class swCmdParam {
 public:
  static constexpr uint16_t kMinNameLimit = 10;
  static constexpr uint32_t kMaxFileNameLength = 79;
  // How deep response files may name further response files; deeper ones are dropped, so a
  // file that names itself cannot recurse without end.
  static constexpr int kMaxResponseDepth = 8;
  // How many response files one parse reads at most, so files that each name several others
  // cannot multiply the work without end.
  static constexpr int kMaxResponseFiles = 64;

  swCmdParam() = default;
  swCmdParam(const swCmdParam&) = delete;
  swCmdParam& operator=(const swCmdParam&) = delete;
  virtual ~swCmdParam();

  // Parse `text` (a whole command line without the program name) or the arguments 1 to
  // count - 1 of `args`, appending to the pairs already held. `name_limit` is raised to at
  // least 10 and `value_limit` to at least 1. The number of pairs added, or -1 when the work
  // buffer or a pair could not be allocated (the pairs read before stay).
  [[nodiscard]] int32_t ParseCommandLine(const char* text, uint16_t name_limit,
                                         uint16_t value_limit, char file_char);
  [[nodiscard]] int32_t ParseArgs(int count, const char* const* args, uint16_t name_limit,
                                  uint16_t value_limit, char file_char);

  // Read the pairs back in order: ok while a pair was delivered, declined after the last.
  [[nodiscard]] Status FirstPair(swString& name, swString& value);
  [[nodiscard]] Status NextPair(swString& name, swString& value);

  // Frees every pair.
  void ClearPairs();

  uint16_t NameLimit() const { return name_limit_; }
  uint16_t ValueLimit() const { return value_limit_; }

 protected:
  // Kinds of bad parameter.
  static constexpr int kUnknownParameter = 1;
  static constexpr int kRepeatedParameter = 2;

  // Opens the response file `name` as `response_reader_`; declined when it is not opened. The
  // base refuses every file (and drops a reader left open).
  [[nodiscard]] virtual Status OpenResponseFile(const swString& name);
  // A parameter that is not known (kind 1) or given a second time (kind 2).
  virtual void ReportBadParameter(int kind, const swString& name, const swString& value);

  std::unique_ptr<swRead> response_reader_;

 private:
  int32_t Parse(swRead& reader, int depth);
  int32_t AddPair(const char* name, uint32_t name_length, const char* value, uint32_t value_length);

  uint16_t name_limit_ = kMinNameLimit;
  uint16_t value_limit_ = 0;
  char file_char_ = '@';
  int response_files_read_ = 0;  // in the current parse
  swParamList pairs_;
  swListIterator cursor_;
};

}  // namespace hv

#endif  // HV_RESTART_CMD_PARAM_H_
