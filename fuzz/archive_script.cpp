#include "fuzz/archive_script.h"

#include <cstdio>
#include <map>
#include <new>

#include "core/archive/geometry.h"
#include "core/archive/property_sets.h"
#include "core/archive/string_table.h"
#include "core/list/list.h"
#include "core/string/char_mask.h"
#include "core/testing/in_memory_serializer.h"
#include "core/testing/memory_file.h"

namespace hv {

namespace fuzz {

const swGuid kScriptSection(0x5EC7104E, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
const char kScriptKey[] = "fuzz,key";

namespace {

std::vector<swStorable*>* g_collecting = nullptr;

template <typename T>
swStorable* CreateListed() {
  auto* object = new (std::nothrow) T();
  if (object != nullptr && g_collecting != nullptr) g_collecting->push_back(object);
  return object;
}

// The high bit is a flag of the operation (a section with scrambling off).
ArchiveOp OpOf(uint8_t byte) { return static_cast<ArchiveOp>((byte & 0x7F) % kOpCount); }
// A number of type T as the script reads it; a failed read shows in the archive's status.
template <typename T>
uint64_t ReadNumber(swArchive& archive, uint16_t version, T default_value = T()) {
  T value = 0;
  archive.Read<T>(&value, version, default_value);
  return value;
}

bool ScrambleOff(uint8_t byte) { return (byte & 0x80) != 0; }

uint32_t KeyLength(bool keyed) { return keyed ? sizeof(kScriptKey) - 1 : 0; }
const uint8_t* Key(bool keyed) {
  return keyed ? reinterpret_cast<const uint8_t*>(kScriptKey) : nullptr;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

// Leaf objects are described by their stored form; lists by their items, in depth.
void Describe(swStorable* object, std::map<const swStorable*, size_t>* seen, std::string* out) {
  if (object == nullptr) {
    *out += "null";
    return;
  }
  auto known = seen->find(object);
  if (known != seen->end()) {
    *out += "^" + std::to_string(known->second);
    return;
  }
  seen->emplace(object, seen->size());
  *out += std::to_string(object->ClassId());
  if (auto* list = dynamic_cast<swList*>(object)) {
    *out += "[";
    for (swLink* node = list->next; node != nullptr && node != list; node = node->next) {
      if (node->removed) continue;
      Describe(node->item, seen, out);
      *out += ",";
    }
    *out += "]";
    return;
  }
  InMemorySerializer form;
  object->Serialize(form).Ignore("a form that fails is described by the bytes it wrote");
  *out += ":" + Hex(form.bytes());
}

}  // namespace

ObjectArena::~ObjectArena() {
  if (g_collecting == &objects_) g_collecting = nullptr;
  for (swStorable* object : objects_) delete object;
}

void ObjectArena::RegisterWith(swArchive& archive) {
  g_collecting = &objects_;
  const auto add = [&archive](uint16_t id, swFactory factory) {
    archive.RegisterClass(id, factory, 1)
        .Ignore("registering into a fresh archive cannot fail: the ids are distinct");
  };
  add(kClassString, CreateListed<swString>);
  add(kClassList, CreateListed<swList>);
  add(kClassColor, CreateListed<swColor>);
  add(kClassGuid, CreateListed<swGuid>);
  add(kClassPoint, CreateListed<swPoint>);
  add(kClassRect, CreateListed<swRect>);
  add(kClassCharMask, CreateListed<swCharMask>);
  add(kClassStringTable, CreateListed<swStringTable>);
  add(kClassDbPropData, CreateListed<swDbPropData>);
  add(kClassDbPropSetData, CreateListed<swDbPropSetData>);
  add(kClassDbPropertySetsData, CreateListed<swDbPropertySetsData>);
  add(kClassPropData, CreateListed<swPropData>);
  add(kClassPropSetData, CreateListed<swPropSetData>);
  add(kClassPropertySetsData, CreateListed<swPropertySetsData>);
}

int RunScriptReading(const std::vector<uint8_t>& ops, bool tagged, bool keyed,
                     const std::vector<uint8_t>& file_bytes, ObjectArena& arena,
                     ScriptHeader* header, ScriptValues* values) {
  swMemoryFile file(file_bytes);
  swArchive archive;
  arena.RegisterWith(archive);
  // Whatever fails shows in the archive's status, which the script reports.
  archive
      .Open(&file, false, tagged, &header->type_id, &header->creator_id, &header->name, 1,
            Key(keyed), KeyLength(keyed))
      .Ignore("the archive keeps the failure, and the script reports its status");
  header->version = archive.Version();
  header->tagged = archive.IsTagged();
  const size_t n = ops.size();
  values->numbers.assign(n, 0);
  values->strings.assign(n, swString());
  values->guids.assign(n, swGuid());
  values->objects.assign(n, nullptr);
  for (size_t i = 0; i < n; ++i) {
    switch (OpOf(ops[i])) {
      case kOpU8: values->numbers[i] = ReadNumber<uint8_t>(archive, 1); break;
      case kOpU16: values->numbers[i] = ReadNumber<uint16_t>(archive, 1); break;
      case kOpU32Version2: values->numbers[i] = ReadNumber<uint32_t>(archive, 2, 0xD5); break;
      case kOpU64: values->numbers[i] = ReadNumber<uint64_t>(archive, 1); break;
      case kOpString: archive.ReadObject(values->strings[i], 1); break;
      case kOpGuid: archive.ReadObject(values->guids[i], 1); break;
      case kOpObjectRef: archive.ReadObjectRef(&values->objects[i], 1); break;
      case kOpStringRef:
        archive.ReadObjectRefOfClass(&values->objects[i], 1, kClassString);
        if (values->objects[i] != nullptr && values->objects[i]->ClassId() != kClassString) {
          std::fprintf(stderr, "fuzz archive: an object of class %u read as a string\n",
                       values->objects[i]->ClassId());
          std::abort();
        }
        break;
      case kOpBeginSection: archive.BeginSection(kScriptSection, 1, ScrambleOff(ops[i])); break;
      case kOpEndSection: archive.EndSection(); break;
      case kOpCount: break;
    }
  }
  archive.Close().Ignore("the archive keeps the failure, and the script reports its status");
  return archive.Status();
}

int RunScriptWriting(const std::vector<uint8_t>& ops, bool tagged, bool keyed,
                     const ScriptHeader& header, const ScriptValues& values,
                     std::vector<uint8_t>* file_bytes) {
  swMemoryFile file;
  swArchive archive;
  ObjectArena unused;  // writing creates nothing, but the archive wants the classes known
  unused.RegisterWith(archive);
  swGuid type_id = header.type_id;
  swGuid creator_id = header.creator_id;
  swString name = header.name;
  archive
      .Open(&file, true, tagged, &type_id, &creator_id, &name, header.version, Key(keyed),
            KeyLength(keyed))
      .Ignore("the archive keeps the failure, and the script reports its status");
  for (size_t i = 0; i < ops.size(); ++i) {
    switch (OpOf(ops[i])) {
      case kOpU8: archive.Write<uint8_t>(static_cast<uint8_t>(values.numbers[i]), 1); break;
      case kOpU16: archive.Write<uint16_t>(static_cast<uint16_t>(values.numbers[i]), 1); break;
      case kOpU32Version2:
        archive.Write<uint32_t>(static_cast<uint32_t>(values.numbers[i]), 2);
        break;
      case kOpU64: archive.Write<uint64_t>(values.numbers[i], 1); break;
      case kOpString: {
        swString copy = values.strings[i];
        archive.WriteObject(copy, 1);
        break;
      }
      case kOpGuid: {
        swGuid copy = values.guids[i];
        archive.WriteObject(copy, 1);
        break;
      }
      case kOpObjectRef:
      case kOpStringRef: archive.WriteObjectRef(values.objects[i], 1); break;
      case kOpBeginSection: archive.BeginSection(kScriptSection, 1, ScrambleOff(ops[i])); break;
      case kOpEndSection: archive.EndSection(); break;
      case kOpCount: break;
    }
  }
  archive.Close().Ignore("the archive keeps the failure, and the script reports its status");
  *file_bytes = file.bytes();
  return archive.Status();
}

std::string DescribeValues(const std::vector<uint8_t>& ops, const ScriptValues& values) {
  std::string out;
  std::map<const swStorable*, size_t> seen;
  for (size_t i = 0; i < ops.size(); ++i) {
    switch (OpOf(ops[i])) {
      case kOpU8:
      case kOpU16:
      case kOpU32Version2:
      case kOpU64: out += std::to_string(values.numbers[i]); break;
      case kOpString:
        out += "\"" + std::string(values.strings[i].CStr()) + "\"" +
               std::to_string(values.strings[i].GetLength());
        break;
      case kOpGuid: {
        InMemorySerializer form;
        swGuid copy = values.guids[i];
        copy.Serialize(form).Ignore("a form that fails is described by the bytes it wrote");
        out += Hex(form.bytes());
        break;
      }
      case kOpObjectRef:
      case kOpStringRef: Describe(values.objects[i], &seen, &out); break;
      case kOpBeginSection:
      case kOpEndSection:
      case kOpCount: out += "s"; break;
    }
    out += ";";
  }
  return out;
}

}  // namespace fuzz

}  // namespace hv
