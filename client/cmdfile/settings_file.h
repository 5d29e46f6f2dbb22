// The client's settings file: $XDG_CONFIG_HOME/Varnholt/VHClientSettings.txt.
//
// Layout: a preface text ended by the byte 0x1A (written as "Varnholt (TM)"; a reader skips
// every byte up to and including the first 0x1A, so any preface reads the same), then a
// tagged, scrambled archive of kind 2, version 1, with the product's type and creator
// identities and the name "Varnholt (TM)", holding one cClientStorage by reference.
//
// Saving never truncates the file in place: the new content goes to a temporary file in the
// same folder, which is flushed to the disk and then renamed over the old one (and the folder
// flushed), so a crash or a full disk at any moment leaves the old file or the new one, whole.
#ifndef HV_CLIENT_CMDFILE_SETTINGS_FILE_H_
#define HV_CLIENT_CMDFILE_SETTINGS_FILE_H_

#include <cstdint>
#include <memory>

#include "client/cmdfile/client_storage.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class swArchive;

constexpr const char* kSettingsFolderName = "Varnholt";
constexpr const char* kSettingsFileName = "VHClientSettings.txt";
constexpr const char* kSettingsName = "Varnholt (TM)";

// $XDG_CONFIG_HOME/Varnholt/VHClientSettings.txt; the folders are created when missing.
swString DefaultSettingsPath();

// Registers the core classes (archive kind 2) and the client's cClientStorage (4000, stored
// form 1) and cMonitorCommandFile (4001, stored form 2). Ok; kOutOfMemory when the core
// classes cannot be registered; kFailed when the client's cannot.
[[nodiscard]] Status RegisterSettingsClasses(swArchive& archive);

// Reads the settings file at `path` (null or empty: the default path; `used_path`, when
// given, receives the path used). Ok with the storage read in *storage (the former one
// freed); kCannotOpenFile when the file cannot be opened and kSettingsOpenFailed when the
// archive cannot be opened on it (no 0x1A, a foreign or damaged header), *storage unchanged;
// kSettingsReadFailed when the storage cannot be read, with *storage then empty;
// kOutOfMemory when memory ran out (*storage unchanged or empty); kMissingArgument without
// `storage`; the registration codes above. Every status is of the settings (Where::kSettings).
[[nodiscard]] Status LoadClientStorage(const char* path, std::unique_ptr<cClientStorage>* storage,
                                       swString* used_path);

// Test hooks: where a save stops, as a crash would (what is on disk stays as it is, the
// temporary file included), or fails, as a full disk would.
struct cSettingsSaveFaults {
  enum class Step { kNone, kBeforeSync, kBeforeRename, kBeforeFolderSync };
  int64_t crash_after_bytes = -1;  // stop once this many bytes are written; -1 never
  int64_t fail_after_bytes = -1;   // writes come up short after this many bytes; -1 never
  Step crash_before = Step::kNone;
};

// Writes `storage` to the settings file at `path` (same path rules). Ok;
// kCannotOpenFile when the temporary file cannot be made, flushed or renamed into place;
// kSettingsPrefaceFailed when the preface cannot be written completely; kSettingsOpenFailed
// when the archive cannot be opened; kSettingsReadFailed when the storage cannot be written
// through the archive (a full disk, say); kOutOfMemory when memory ran out; the registration
// codes above. On every failure the former file is left as it was.
[[nodiscard]] Status SaveClientStorage(const char* path, cClientStorage& storage,
                                       swString* used_path,
                                       const cSettingsSaveFaults* faults = nullptr);

}  // namespace hv

#endif  // HV_CLIENT_CMDFILE_SETTINGS_FILE_H_
