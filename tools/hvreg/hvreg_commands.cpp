#include "tools/hvreg/hvreg_commands.h"

#include <unistd.h>

#include <memory>

#include "core/file/whole_file.h"
#include "core/profile/registry_store.h"
#include "tools/hvreg/registry_text.h"

namespace hv {

namespace {

// An export of a whole store is a few hundred kilobytes; anything far beyond is not one.
constexpr size_t kMaxImportBytes = size_t{64} << 20;

const char kUsage[] =
    "usage: hvreg COMMAND ...\n"
    "Edits the per-user registry store of Hearthview ($XDG_CONFIG_HOME/hearthview/registry.db,\n"
    "by default ~/.config/hearthview/registry.db). KEY is a backslash-separated path such as\n"
    "\"Software\\Orvane LLC\\Varnholt\\Client Settings\"; names ignore ASCII case.\n"
    "\n"
    "  hvreg list [KEY]                    subkeys (ending in \\) and values of KEY, or the\n"
    "                                      top-level keys\n"
    "  hvreg get KEY NAME                  the value alone: a number in decimal, a text as\n"
    "                                      stored, bytes in hex; then a newline\n"
    "  hvreg set KEY NAME --text VALUE     write a text value\n"
    "  hvreg set KEY NAME --number N       write a 32-bit number (0..4294967295)\n"
    "  hvreg set KEY NAME --bytes HEX      write bytes given as hex digits\n"
    "  hvreg delete KEY [NAME]             delete a value, or KEY with every key below it\n"
    "  hvreg export [KEY]                  KEY and the keys below it (all keys without KEY)\n"
    "                                      as text on standard output\n"
    "  hvreg import FILE                   add the keys and values of an export (\"-\" reads\n"
    "                                      standard input); nothing is written when FILE has\n"
    "                                      an error\n"
    "  hvreg --version                     the version of Hearthview it belongs to\n"
    "\n"
    "Export format: one item per line, fields separated by a TAB: \"key PATH\", then its values\n"
    "as \"text NAME TEXT\", \"number NAME DECIMAL\" or \"bytes NAME HEX\". In PATH, NAME and\n"
    "TEXT, '%', control characters and bytes from 0x7F up are written as %XX. Lines starting\n"
    "with '#' are comments.\n"
    "\n"
    "Exit status: 0 done, 1 key or value not found (or the store failed, or the output could\n"
    "not be written), 2 bad command line or input.\n";

class Command {
 public:
  Command(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

  int Usage(const std::string& problem) {
    std::fprintf(err_, "hvreg: %s\nTry 'hvreg --help'.\n", problem.c_str());
    return kHvregUsage;
  }
  int Problem(int code, const std::string& text) {
    std::fprintf(err_, "hvreg: %s\n", text.c_str());
    return code;
  }
  bool OpenStore() {
    const hv::Status opened = swRegistryStore::Open(swRegistryStore::DefaultPath(), &store_);
    if (!opened.ok())
      Problem(kHvregNotFound, "cannot open the registry store: " + opened.message());
    return store_ != nullptr;
  }
  // The message for a store status that is not ok.
  int Failure(const hv::Status& status, const std::string& key,
              const std::string& name = std::string()) {
    switch (status.code()) {
      case kStoreNoKey: return Problem(kHvregNotFound, "no key \"" + key + "\"");
      case kStoreNoValue:
        return Problem(kHvregNotFound, "no value \"" + name + "\" in key \"" + key + "\"");
      case kStoreBadKey:
        return Problem(kHvregUsage, "\"" + key + "\" is not a key path (empty name)");
      default: return Problem(kHvregNotFound, "the registry store refused the change");
    }
  }
  void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), out_); }

  int List(const std::vector<std::string>& args) {
    if (args.size() > 1) return Usage("list takes at most one key");
    std::string key = args.empty() ? std::string() : args[0];
    if (!OpenStore()) return kHvregNotFound;
    std::vector<std::string> subkeys;
    hv::Status status = store_->ListSubkeys(key, &subkeys);
    if (!status.ok()) return Failure(status, key);
    for (const std::string& subkey : subkeys) Print(EscapeField(subkey) + "\\\n");
    if (key.empty()) return kHvregOk;
    std::vector<swRegistryValue> values;
    status = store_->ListValues(key, &values);
    if (!status.ok()) return Failure(status, key);
    for (const auto& value : values) {
      Print(EscapeField(value.name) + "\t" + TypeName(value.type) + "\t" + ValueField(value) +
            "\n");
    }
    return kHvregOk;
  }

  int Get(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("get takes a key and a value name");
    if (!OpenStore()) return kHvregNotFound;
    swRegistryValue value;
    const hv::Status status = store_->GetValue(args[0], args[1], &value);
    if (!status.ok()) return Failure(status, args[0], args[1]);
    uint32_t number = 0;
    if (value.type == kRegistryText) {
      Print(value.data + "\n");
    } else if (value.type == kRegistryNumber && value.AsNumber(&number)) {
      Print(std::to_string(number) + "\n");
    } else {
      Print(ToHex(value.data) + "\n");
    }
    return kHvregOk;
  }

  int Set(const std::vector<std::string>& args) {
    if (args.size() != 4) return Usage("set takes KEY NAME --text|--number|--bytes VALUE");
    swRegistryValue value;
    value.name = args[1];
    const std::string& kind = args[2];
    if (kind == "--text") {
      value.type = kRegistryText;
      value.data = args[3];
    } else if (kind == "--number") {
      uint32_t number = 0;
      if (!ParseNumber(args[3], &number)) {
        // A negative number would be stored as a large one and read back as that: say so
        // rather than store something the user did not write.
        if (!args[3].empty() && args[3][0] == '-') {
          return Usage("\"" + args[3] + "\" is negative; a number value holds 0 to 4294967295");
        }
        return Usage("\"" + args[3] + "\" is not a number from 0 to 4294967295");
      }
      value.type = kRegistryNumber;
      value.data = swRegistryValue::NumberData(number);
    } else if (kind == "--bytes") {
      value.type = kRegistryBytes;
      if (!FromHex(args[3], &value.data)) return Usage("--bytes takes pairs of hex digits");
    } else {
      return Usage("unknown value kind \"" + kind + "\" (use --text, --number or --bytes)");
    }
    if (!OpenStore()) return kHvregNotFound;
    const hv::Status status = store_->SetValue(args[0], value);
    return status.ok() ? kHvregOk : Failure(status, args[0]);
  }

  int Delete(const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) return Usage("delete takes a key and an optional name");
    if (!OpenStore()) return kHvregNotFound;
    const hv::Status status =
        args.size() == 2 ? store_->DeleteValue(args[0], args[1]) : store_->DeleteKey(args[0]);
    return status.ok() ? kHvregOk : Failure(status, args[0], args.size() == 2 ? args[1] : "");
  }

  int Export(const std::vector<std::string>& args) {
    if (args.size() > 1) return Usage("export takes at most one key");
    std::string key = args.empty() ? std::string() : args[0];
    if (!OpenStore()) return kHvregNotFound;
    std::vector<std::string> paths;
    hv::Status status = store_->ListTree(key, &paths);
    if (!status.ok()) return Failure(status, key);
    std::string text = "# hvreg export 1\n";
    for (const std::string& path : paths) {
      std::vector<swRegistryValue> values;
      status = store_->ListValues(path, &values);
      if (!status.ok()) return Failure(status, path);
      text += "key\t" + EscapeField(path) + "\n";
      for (const auto& value : values) {
        text += std::string(TypeName(value.type)) + "\t" + EscapeField(value.name) + "\t" +
                ValueField(value) + "\n";
      }
    }
    Print(text);
    return kHvregOk;
  }

  int Import(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("import takes one file (\"-\" for standard input)");
    std::string text;
    const hv::Status read =
        args[0] == "-" ? hv::ReadWholeStream(STDIN_FILENO, "standard input", kMaxImportBytes, &text)
                       : hv::ReadWholeFile(args[0], kMaxImportBytes, &text);
    if (!read.ok()) {
      std::string hint;
      if (read.message().find("not a regular file") != std::string::npos) {
        hint = " (a pipe is read from standard input: \"hvreg import -\")";
      }
      return Problem(kHvregUsage, "cannot import: " + read.message() + hint);
    }
    std::vector<swRegistryTextKey> keys;
    const hv::Status parsed = ParseExport(text, &keys);
    if (!parsed.ok()) return Problem(kHvregUsage, args[0] + ": " + parsed.message());
    if (!OpenStore()) return kHvregNotFound;
    std::string failed_key;
    const hv::Status imported = ImportKeys(*store_, keys, &failed_key);
    return imported.ok() ? kHvregOk : Failure(imported, failed_key);
  }

 private:
  std::FILE* out_;
  std::FILE* err_;
  std::unique_ptr<swRegistryStore> store_;
};

}  // namespace

hv::Status ImportKeys(swRegistryStore& store, const std::vector<swRegistryTextKey>& keys,
                      std::string* failed_key) {
  failed_key->clear();
  // All or nothing: one transaction for the whole file.
  hv::Status status = store.Begin();
  if (!status.ok()) return status;
  for (const auto& key : keys) {
    status = store.CreateKey(key.path);
    for (size_t i = 0; status.ok() && i < key.values.size(); ++i) {
      status = store.SetValue(key.path, key.values[i]);
    }
    if (!status.ok()) {
      store.Rollback();
      *failed_key = key.path;
      return status;
    }
  }
  return store.Commit();
}

int RunHvreg(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Command command(out, err);
  if (args.empty()) return command.Usage("no command given");
  const std::string& name = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (name == "--help" || name == "-h" || name == "help") {
    std::fputs(kUsage, out);
    return kHvregOk;
  }
  if (name == "--version") {
    std::fprintf(out, "hvreg (Varnholt (TM) Client) %s, build %s\n", HV_THIS_VERSION,
                 HV_THIS_BUILD);
    return kHvregOk;
  }
  if (name == "list") return command.List(rest);
  if (name == "get") return command.Get(rest);
  if (name == "set") return command.Set(rest);
  if (name == "delete") return command.Delete(rest);
  if (name == "export") return command.Export(rest);
  if (name == "import") return command.Import(rest);
  return command.Usage("unknown command \"" + name + "\"");
}

}  // namespace hv
