// The archive reader with any file: values, strings (narrow and wide), GUIDs, lists and other
// objects by reference, sections, raw and tagged, plain and scrambled. What reads without an
// error must write back and read again to the same values.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/archive_script.h"
#include "fuzz/fuzz_target.h"

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace hv::fuzz;
  if (size < 2) return 0;
  const bool tagged = (data[0] & 1) != 0;
  const bool keyed = (data[0] & 2) != 0;
  size_t op_count = data[1];
  if (op_count > kMaxOps || op_count > size - 2) return 0;
  std::vector<uint8_t> ops(data + 2, data + 2 + op_count);
  std::vector<uint8_t> file(data + 2 + op_count, data + size);

  ObjectArena first_arena;
  ScriptHeader header;
  ScriptValues values;
  if (RunScriptReading(ops, tagged, keyed, file, first_arena, &header, &values) != 0) return 0;

  std::vector<uint8_t> written;
  // The file's own header says whether it is tagged; the write follows it.
  if (RunScriptWriting(ops, header.tagged, keyed, header, values, &written) != 0) {
    std::fprintf(stderr, "fuzz archive: what was read cannot be written back\n");
    std::abort();
  }
  std::string before = DescribeValues(ops, values);
  ScriptHeader header_again;
  ScriptValues values_again;
  int status;
  std::string after;
  {
    // The read back collects into an arena of its own, so the first run's objects stay
    // alive until both have been compared.
    ObjectArena second_arena;
    status = RunScriptReading(ops, header.tagged, keyed, written, second_arena, &header_again,
                              &values_again);
    after = DescribeValues(ops, values_again);
  }
  if (status != 0 || before != after || header.version != header_again.version ||
      header.tagged != header_again.tagged ||
      std::string(header.name.CStr()) != header_again.name.CStr()) {
    std::fprintf(stderr, "fuzz archive: round trip differs (status %d)\n  %s\n  %s\n", status,
                 before.c_str(), after.c_str());
    std::abort();
  }
  return 0;
}
