// `hvreg import` with any file: the input is the file to import. An export that parses must
// print back to a text that parses to the same keys and values, and once imported every value
// it names must read back from the store as the file's last word on it. An export that does
// not parse must be refused by the command as bad input, leaving the store as it was.
#include <stdlib.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/profile/registry_store.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"
#include "tools/hvreg/hvreg_commands.h"
#include "tools/hvreg/registry_text.h"

namespace hv {

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz hvreg_import: %s\n", what);
  std::abort();
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string PrintExport(const std::vector<swRegistryTextKey>& keys) {
  std::string text = "# hvreg export 1\n";
  for (const auto& key : keys) {
    text += "key\t" + EscapeField(key.path) + "\n";
    for (const auto& value : key.values) {
      text += std::string(TypeName(value.type)) + "\t" + EscapeField(value.name) + "\t" +
              ValueField(value) + "\n";
    }
  }
  return text;
}

bool SameKeys(const std::vector<swRegistryTextKey>& a, const std::vector<swRegistryTextKey>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].path != b[i].path || a[i].values.size() != b[i].values.size()) return false;
    for (size_t j = 0; j < a[i].values.size(); ++j) {
      const auto& x = a[i].values[j];
      const auto& y = b[i].values[j];
      if (x.name != y.name || x.type != y.type || x.data != y.data) return false;
    }
  }
  return true;
}

struct Setup {
  std::string input;
  std::string store_path;
  std::FILE* sink = nullptr;

  // The store the checks read, opened once: a second connection to the file hvreg writes.
  swRegistryStore& Store() const {
    static std::unique_ptr<swRegistryStore> store = [this] {
      std::unique_ptr<swRegistryStore> opened;
      if (!swRegistryStore::Open(store_path, &opened).ok()) Fail("the store does not open");
      return opened;
    }();
    return *store;
  }
  // Size and modification time of the store's files, to tell whether anything wrote them.
  std::string Stamp() const {
    std::string stamp;
    for (const char* suffix : {"", "-wal"}) {
      struct stat info {};
      if (stat((store_path + suffix).c_str(), &info) == 0) {
        stamp += std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
                 std::to_string(info.st_mtim.tv_nsec) + ";";
      }
    }
    return stamp;
  }
};

const Setup& TheSetup() {
  static const Setup setup = [] {
    Setup s;
    const std::string folder = hv::fuzz::ScratchSubfolder("hvreg");
    // hvreg works on the store of $XDG_CONFIG_HOME: keep it in the scratch folder.
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    s.input = folder + "/import.txt";
    s.store_path = swRegistryStore::DefaultPath();
    s.sink = std::fopen("/dev/null", "w");
    if (s.sink == nullptr) Fail("cannot open /dev/null");
    return s;
  }();
  return setup;
}

// Every key of the store, emptied for the next input.
void EmptyStore(swRegistryStore& store) {
  std::vector<std::string> top;
  if (!store.ListSubkeys("", &top).ok()) Fail("the store cannot list its keys");
  for (const auto& name : top) {
    if (!store.DeleteKey(name).ok()) Fail("a key cannot be deleted");
  }
}

}  // namespace

}  // namespace hv

using namespace hv;  // main() and the C entry points stand outside the namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Setup& setup = TheSetup();
  const std::string text(reinterpret_cast<const char*>(data), size);

  std::vector<swRegistryTextKey> keys;
  const hv::Status parsed = ParseExport(text, &keys);
  if (!parsed.ok()) {
    if (parsed.message().empty()) Fail("a refused export gave no reason");
    // The command refuses the file before it opens the store, so nothing can be written.
    hv::fuzz::WriteWholeFile(setup.input, data, size);
    const std::string before = setup.Stamp();
    if (RunHvreg({"import", setup.input}, setup.sink, setup.sink) != kHvregUsage) {
      Fail("a bad export was not reported as bad input");
    }
    if (setup.Stamp() != before) Fail("a refused import wrote to the store");
    return 0;
  }
  std::vector<swRegistryTextKey> again;
  if (!ParseExport(PrintExport(keys), &again).ok()) Fail("a printed export does not parse");
  if (!SameKeys(keys, again)) Fail("an export changed when printed and read back");

  // The import itself, on a store kept open between inputs (opening one is what costs).
  swRegistryStore& store = setup.Store();
  std::string failed_key;
  if (!ImportKeys(store, keys, &failed_key).ok()) Fail("an export that parses was refused");
  // Key paths and value names compare without regard to ASCII case; the last value wins.
  std::map<std::pair<std::string, std::string>, const swRegistryValue*> expected;
  for (const auto& key : keys) {
    if (!store.KeyExists(key.path)) Fail("an imported key is missing");
    for (const auto& value : key.values) {
      expected[{Lower(key.path), Lower(value.name)}] = &value;
    }
  }
  for (const auto& key : keys) {
    for (const auto& value : key.values) {
      const swRegistryValue* want = expected[{Lower(key.path), Lower(value.name)}];
      swRegistryValue got;
      if (!store.GetValue(key.path, value.name, &got).ok()) {
        Fail("an imported value is missing");
      }
      if (got.type != want->type || got.data != want->data) Fail("an imported value differs");
    }
  }
  EmptyStore(store);
  return 0;
}
