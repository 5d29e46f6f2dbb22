#include "client/cmdfile/settings_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "core/archive/archive.h"
#include "core/archive/sw_file.h"
#include "core/file/file_replace.h"
#include "core/guid/guid.h"
#include "core/profile/user_folders.h"
#include "core/status.h"
#include "core/system_error.h"

namespace hv {

namespace {

// The product's identities and key: files written with other values cannot be read.
const swGuid kSettingsType(0x7A3C91E4, 0x5B2D, 0x4F18, 0x9C, 0x06, 0x3E, 0x8B, 0x1D, 0x24, 0xA7,
                           0xF5);
const swGuid kSettingsCreator(0xC4E1072B, 0x93A6, 0x4D5F, 0x8B, 0x31, 0x60, 0xF9, 0xE2, 0xA4, 0xD8,
                              0x1C);
constexpr char kSettingsKey[] = "Hv7Qm2Xr9Lk4,Tz8Wp3Nd6";
static_assert(sizeof(kSettingsKey) - 1 == 22);
constexpr uint16_t kSettingsArchiveKind = 2;
constexpr uint16_t kSettingsArchiveVersion = 1;
constexpr uint8_t kPrefaceEnd = 0x1A;

swString ResolvePath(const char* path, swString* used_path) {
  swString resolved = path != nullptr && *path != '\0' ? swString(path) : DefaultSettingsPath();
  if (used_path != nullptr) *used_path = resolved;
  return resolved;
}

// Moves the file to just after the first 0x1A; false when there is none.
bool SkipPreface(swFile& file) {
  uint8_t chunk[512];
  uint64_t at = 0;
  for (;;) {
    uint32_t got = file.Read(chunk, sizeof(chunk));
    if (got == 0) return false;
    const void* end = std::memchr(chunk, kPrefaceEnd, got);
    if (end != nullptr) {
      return file.Seek(at + static_cast<uint64_t>(static_cast<const uint8_t*>(end) - chunk) + 1)
          .ok();
    }
    at += got;
  }
}

// kSettingsOpenFailed, whatever the archive's own reason: a foreign or damaged header reads the
// same to the user as a missing preface end.
Status OpenSettingsArchive(swArchive& archive, swFileBase* file, bool storing) {
  swGuid type = kSettingsType;
  swGuid creator = kSettingsCreator;
  swString name(kSettingsName);
  const Status opened =
      archive.Open(file, storing, true, &type, &creator, &name, kSettingsArchiveVersion,
                   reinterpret_cast<const uint8_t*>(kSettingsKey), sizeof(kSettingsKey) - 1);
  if (opened.ok()) return Status::Ok();
  return Status(Where::kSettings, kSettingsOpenFailed, opened.message());
}

// The temporary file as the save writes it, counting bytes so that tests can stop or fail
// the save at any byte.
class CountingFile : public swFileBase {
 public:
  CountingFile(swFile& file, const cSettingsSaveFaults* faults) : file_(file), faults_(faults) {}

  bool IsOpen() const override { return file_.IsOpen(); }
  uint32_t Read(void* buffer, uint32_t count) override { return file_.Read(buffer, count); }
  uint32_t Write(const void* buffer, uint32_t count) override {
    uint64_t allowed = count;
    if (faults_ != nullptr && faults_->crash_after_bytes >= 0) {
      allowed = Room(faults_->crash_after_bytes, count);
      if (allowed < count) crashed_ = true;
    }
    if (faults_ != nullptr && faults_->fail_after_bytes >= 0) {
      allowed = std::min<uint64_t>(allowed, Room(faults_->fail_after_bytes, count));
    }
    errno = 0;
    uint32_t done = file_.Write(buffer, static_cast<uint32_t>(allowed));
    written_ += done;
    if (done < count && shortfall_.empty()) {
      shortfall_ = errno != 0 ? SystemReason(errno) : "the file took less than was written";
    }
    return done;
  }
  hv::Status Seek(uint64_t offset) override { return file_.Seek(offset); }
  uint64_t Tell() const override { return file_.Tell(); }
  uint64_t Size() const override { return file_.Size(); }

  bool crashed() const { return crashed_; }
  // Why the first write came up short: the system's reason, for the user.
  const std::string& shortfall() const { return shortfall_; }

 private:
  uint64_t Room(int64_t limit, uint32_t count) const {
    uint64_t left = static_cast<uint64_t>(limit) > written_ ? limit - written_ : 0;
    return std::min<uint64_t>(left, count);
  }

  swFile& file_;
  const cSettingsSaveFaults* faults_;
  uint64_t written_ = 0;
  bool crashed_ = false;
  std::string shortfall_;
};

bool CrashesBefore(const cSettingsSaveFaults* faults, cSettingsSaveFaults::Step step) {
  return faults != nullptr && faults->crash_before == step;
}

}  // namespace

swString DefaultSettingsPath() {
  std::string folder = ConfigHome() + "/" + kSettingsFolderName;
  MakeFolders(folder);
  return (folder + "/" + kSettingsFileName).c_str();
}

Status RegisterSettingsClasses(swArchive& archive) {
  if (!archive.RegisterCoreClasses(kSettingsArchiveKind).ok()) {
    return Status(Where::kSettings, hv::kOutOfMemory, "the core classes cannot be registered");
  }
  if (!archive
           .RegisterClass(kClassClientStorage, cClientStorage::Create,
                          cClientStorage::kStoredFormVersion)
           .ok() ||
      !archive
           .RegisterClass(kClassMonitorCommandFile, cMonitorCommandFile::Create,
                          cMonitorCommandFile::kStoredFormVersion)
           .ok()) {
    return Status::Failure(Where::kSettings, "the client's classes cannot be registered");
  }
  return Status::Ok();
}

namespace {

Status LoadUnguarded(const char* path, std::unique_ptr<cClientStorage>* storage,
                     swString* used_path) {
  swString resolved = ResolvePath(path, used_path);
  swFile file;
  const Status opened = file.Open(resolved.CStr(), kFileRead | kFileShareRead);
  if (!opened.ok()) return Status(Where::kSettings, kCannotOpenFile, opened.message());
  // Without a preface end the archive would start at the end of the file, and fail to open.
  if (!SkipPreface(file)) {
    file.Seek(file.Size())
        .Ignore(
            "a seek that fails leaves the position where the archive will not open either, "
            "which the load reports");
  }

  swArchive archive;
  const Status registered = RegisterSettingsClasses(archive);
  if (!registered.ok()) return registered;
  const Status archive_opened = OpenSettingsArchive(archive, &file, false);
  if (!archive_opened.ok()) return archive_opened;

  storage->reset();
  swStorable* read = nullptr;
  archive.ReadObjectRefOfClass(&read, 1, kClassClientStorage);
  if (archive.Status() != 0 || read == nullptr) {
    delete read;
    return Status(Where::kSettings, kSettingsReadFailed, "the settings cannot be read");
  }
  storage->reset(static_cast<cClientStorage*>(read));
  archive.Close().Ignore("everything wanted has been read");
  return Status::Ok();
}

// A failure of the save, with its code and what went wrong for the user to read.
Status SaveFailed(int32_t code, std::string reason) {
  return Status(Where::kSettings, code, std::move(reason));
}

Status SaveUnguarded(const char* path, cClientStorage& storage, swString* used_path,
                     const cSettingsSaveFaults* faults) {
  using Step = cSettingsSaveFaults::Step;
  std::string target = ResolvePath(path, used_path).CStr();
  cFileReplacement replacement(target, std::string(".") + kSettingsFileName + ".");
  if (!replacement.IsOpen()) {
    return SystemError(Where::kSettings, "cannot write beside " + target, errno, kCannotOpenFile);
  }
  // The archive writes through a file handle of its own.
  replacement.CloseDescriptor();
  const std::string& temporary = replacement.TemporaryPath();

  // A failure returns and the replacement removes the temporary file; a simulated crash
  // leaves it behind, as a real one would.
  auto crash = [&replacement] {
    replacement.Abandon();
    return SaveFailed(hv::kCannotOpenFile, "the save was stopped");
  };
  swFile file;
  const Status opened = file.Open(temporary.c_str(), kFileWrite | kFileCreate | kFileKeepExisting);
  if (!opened.ok()) return SaveFailed(hv::kCannotOpenFile, opened.message());
  CountingFile counted(file, faults);
  // Neither the preface check nor the archive knows the system's reason; the file kept it.
  auto write_failed = [&counted, &temporary](int32_t code) {
    const std::string& why =
        counted.shortfall().empty() ? "the settings could not be stored" : counted.shortfall();
    return SaveFailed(code, "cannot write " + temporary + ": " + why);
  };
  size_t preface_length = std::strlen(kSettingsName);
  std::string preface = std::string(kSettingsName) + static_cast<char>(kPrefaceEnd);
  if (counted.Write(preface.data(), static_cast<uint32_t>(preface.size())) != preface_length + 1) {
    if (counted.crashed()) return crash();
    return write_failed(hv::kSettingsPrefaceFailed);
  }

  Status written;
  {
    swArchive archive;
    written = RegisterSettingsClasses(archive);
    if (!written.ok()) return written;
    if (!OpenSettingsArchive(archive, &counted, true).ok()) {
      written = write_failed(hv::kSettingsOpenFailed);
    } else {
      archive.WriteObjectRef(&storage, 1);
      if (!archive.Close().ok()) written = write_failed(hv::kSettingsReadFailed);
    }
  }
  if (counted.crashed()) return crash();
  if (!written.ok()) return written;

  if (CrashesBefore(faults, Step::kBeforeSync)) return crash();
  const Status synced = file.Sync();
  if (!synced.ok()) return SaveFailed(hv::kCannotOpenFile, synced.message());
  file.Close();
  if (CrashesBefore(faults, Step::kBeforeRename)) return crash();
  const Status renamed = replacement.RenameOverTarget();
  if (!renamed.ok()) return SaveFailed(hv::kCannotOpenFile, renamed.message());
  if (CrashesBefore(faults, Step::kBeforeFolderSync)) return crash();
  replacement.SyncFolder();
  return Status::Ok();
}

}  // namespace

// The standard strings and containers on the way throw when memory runs out. Everything
// they hold is released as the exception passes, the temporary file of a save included, so
// here it becomes the status every caller already handles, with the old file whole.
Status LoadClientStorage(const char* path, std::unique_ptr<cClientStorage>* storage,
                         swString* used_path) {
  if (storage == nullptr) return Status(Where::kSettings, hv::kMissingArgument);
  try {
    return LoadUnguarded(path, storage, used_path);
  } catch (const std::bad_alloc&) {
    return Status(Where::kSettings, hv::kOutOfMemory);
  }
}

Status SaveClientStorage(const char* path, cClientStorage& storage, swString* used_path,
                         const cSettingsSaveFaults* faults) {
  try {
    return SaveUnguarded(path, storage, used_path, faults);
  } catch (const std::bad_alloc&) {
    return Status(Where::kSettings, hv::kOutOfMemory);
  }
}

}  // namespace hv
