// The restart program's command line as anyone may write it: the input is a command-line text
// up to its first NUL byte, and the whole input split at NUL bytes is an argument vector. Both
// go through the grammar and the restart parameters; the text also through a parser that
// opens every response file it is given as the input itself, so nesting is exercised too.
// Whatever the input, the pairs keep to their limits, cleaned text keeps to its length, and a
// value without quotes of its own passes whole through an argument vector.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"
#include "restart/cmd_param.h"
#include "restart/restart_params.h"
#include "restart/sw_read.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz restart_args: %s\n", what);
  std::abort();
}

// The input being run, which every response file reads.
const uint8_t* g_input = nullptr;
size_t g_input_size = 0;

// Opens the fuzz input as every response file, however it is named, up to a dozen times per
// parse: enough for a chain past the nesting limit, while the parser's own cap of 64 files
// (tested beside it) would make every input cost 64 parses of itself. The file is a stream
// over the input in memory: writing it to disk for every execution cost a fifth of the run
// in the file system, and the parser reads a stream either way.
class cSelfReadingParams : public swCmdParam {
 public:
  static constexpr int kMaxSelfReads = 12;

  void Check(int32_t added) {
    swString name;
    swString value;
    int32_t count = 0;
    for (Status more = FirstPair(name, value); more.ok(); more = NextPair(name, value)) {
      ++count;
      if (name.GetLength() > NameLimit()) Fail("a name longer than its limit");
      if (value.GetLength() > ValueLimit()) Fail("a value longer than its limit");
      if (value.GetLength() > 0 && value.GetAt(value.GetLength() - 1) == ' ') {
        Fail("a value kept a trailing space");
      }
    }
    if (added >= 0 && count != added) Fail("the count differs from the pairs read back");
  }

 protected:
  Status OpenResponseFile(const swString&) override {
    if (++self_reads_ > kMaxSelfReads) return Status::Declined(Where::kRestart);
    static uint8_t empty = 0;
    // Read-only: fmemopen takes a writable pointer but "rb" never writes through it.
    void* bytes = g_input != nullptr ? const_cast<uint8_t*>(g_input) : &empty;
    std::FILE* file = fmemopen(bytes, g_input_size, "rb");
    if (file == nullptr) return Status::Declined(Where::kRestart);
    response_reader_ = std::make_unique<swReadArgFile>(file);
    return Status::Ok();
  }

 private:
  int self_reads_ = 0;
};

class cQuietParams : public cRestartParams {
 protected:
  void ReportBadParameter(int kind, const swString&, const swString&) override {
    if (kind != kUnknownParameter && kind != kRepeatedParameter) Fail("an unknown report kind");
  }
};

void CheckText(const swString& text, uint16_t limit) {
  if (text.GetLength() + 1 > limit) Fail("cleaned text longer than its limit");
  if (std::strchr(text.CStr(), '"') != nullptr) Fail("a quote left in cleaned text");
}

void CheckParams(const cRestartParams& params, uint16_t limit) {
  CheckText(params.program, limit);
  CheckText(params.active_filename, limit);
  CheckText(params.copy_from, limit);
  CheckText(params.copy_to, limit);
  if (params.minimize != 0 && params.minimize != 1) Fail("minimise is neither on nor off");
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_input = data;
  g_input_size = size;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string text = input.substr(0, input.find('\0'));

  // The grammar with a value limit taken from the first byte, response files and all.
  const uint16_t small_limit = size > 0 ? static_cast<uint16_t>(data[0] % 100) : 80;
  cSelfReadingParams grammar;
  grammar.Check(grammar.ParseCommandLine(text.c_str(), 10, small_limit, '@'));

  // The restart parameters from the text, with the classic and the program's limits.
  for (uint16_t limit : {uint16_t{80}, uint16_t{4096}}) {
    cQuietParams params;
    params.SetValueLimit(limit);
    if (!params.ApplyParameters(text.c_str(), nullptr).ok()) Fail("parsing ran out of memory");
    CheckParams(params, limit);
  }

  // The input as an argument vector.
  std::vector<std::string> args = {"restart"};
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\0', start);
    if (end == std::string::npos) end = input.size();
    args.push_back(input.substr(start, end - start));
    start = end + 1;
  }
  std::vector<const char*> argv;
  argv.reserve(args.size());
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  cQuietParams from_args;
  from_args.SetValueLimit(4096);
  if (!from_args.ApplyArguments(static_cast<int>(argv.size()), argv.data(), nullptr).ok()) {
    Fail("parsing ran out of memory");
  }
  CheckParams(from_args, 4096);

  // A path without quotes of its own passes whole, whatever else it holds.
  const std::string& path = args[1];
  if (path.find('"') == std::string::npos && path.size() + 2 <= 4096) {
    const std::string program = "/F=" + path;
    const std::string copy_to = "-t=" + path;
    const char* split[] = {"restart", program.c_str(), copy_to.c_str()};
    cQuietParams whole;
    whole.SetValueLimit(4096);
    uint32_t found = 0;
    if (!whole.ApplyArguments(3, split, &found).ok()) Fail("parsing ran out of memory");
    if (path != whole.program.CStr() || path != whole.copy_to.CStr()) {
      Fail("a path did not pass whole through an argument vector");
    }
    if (found != (cRestartParams::kFoundFilename | cRestartParams::kFoundCopyTo)) {
      Fail("the parameters given were not all found");
    }
  }
  return 0;
}
