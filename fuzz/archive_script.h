// ArchiveScript: a short program of archive operations (values of several sizes and versions,
// embedded strings and GUIDs, objects by reference, sections) that is run against an archive
// either reading or writing. The archive fuzz target reads a file with it and writes what it
// read back with the same program; the seed maker writes its seeds with it.
//
// Input layout of the archive target: u8 flags (bit 0 tagged, bit 1 scrambled), u8 count of
// operations (at most kMaxOps are used), the operation bytes, then the archive file itself.
#ifndef HV_FUZZ_ARCHIVE_SCRIPT_H_
#define HV_FUZZ_ARCHIVE_SCRIPT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/archive/archive.h"
#include "core/guid/guid.h"
#include "core/string/sw_string.h"

namespace hv {

namespace fuzz {

constexpr size_t kMaxOps = 48;

enum ArchiveOp : uint8_t {
  kOpU8,
  kOpU16,
  kOpU32Version2,  // a value newer than a version-1 reader knows
  kOpU64,
  kOpString,
  kOpGuid,
  kOpObjectRef,
  kOpStringRef,  // by reference, strings only
  kOpBeginSection,
  kOpEndSection,
  kOpCount
};

// What one run of a script read or is to write: one slot per operation.
struct ScriptValues {
  std::vector<uint64_t> numbers;
  std::vector<swString> strings;
  std::vector<swGuid> guids;
  std::vector<swStorable*> objects;  // owned by the run's ObjectArena
};

// Every object an archive creates while reading is listed here and freed with the arena; a
// corrupt file may share one object in any number of places (lists of the core library never
// own their items).
class ObjectArena {
 public:
  ObjectArena() = default;
  ObjectArena(const ObjectArena&) = delete;
  ObjectArena& operator=(const ObjectArena&) = delete;
  ~ObjectArena();
  // Registers factories for every core class that list their objects in this arena. The
  // arena registered last collects.
  void RegisterWith(swArchive& archive);

 private:
  std::vector<swStorable*> objects_;
};

struct ScriptHeader {
  swGuid type_id;
  swGuid creator_id;
  swString name;
  uint16_t version = 1;
  bool tagged = true;  // reading: what the file says, whatever the caller asked for
};

// The section every kOpBeginSection opens.
extern const swGuid kScriptSection;
// The key of scrambled archives.
extern const char kScriptKey[];

// Runs `ops` reading from `file` into *values (one slot per op). Returns the archive status
// after Close.
int RunScriptReading(const std::vector<uint8_t>& ops, bool tagged, bool keyed,
                     const std::vector<uint8_t>& file, ObjectArena& arena, ScriptHeader* header,
                     ScriptValues* values);

// Writes `values` with `ops` to a new archive; the bytes of the file in *file. Returns the
// archive status after Close.
int RunScriptWriting(const std::vector<uint8_t>& ops, bool tagged, bool keyed,
                     const ScriptHeader& header, const ScriptValues& values,
                     std::vector<uint8_t>* file);

// A text that says what the values are, objects described in depth (a shared object or a
// cycle is named by its first appearance), for comparing two runs.
std::string DescribeValues(const std::vector<uint8_t>& ops, const ScriptValues& values);

}  // namespace fuzz

}  // namespace hv

#endif  // HV_FUZZ_ARCHIVE_SCRIPT_H_
