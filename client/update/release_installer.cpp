#include "client/update/release_installer.h"

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "client/update/file_time.h"
#include "client/update/program_folder.h"
#include "client/update/update_codes.h"
#include "client/update/update_constants.h"
#include "client/update/update_signature.h"
#include "core/file/write_all.h"
#include "core/string/path_name.h"
#include "core/system_error.h"
#include "restart/swap_files.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

bool EqualsNoCase(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

bool ContainsSystem32(const std::string& path) {
  return strcasestr(path.c_str(), "SYSTEM32") != nullptr;
}

// Copies the plain file `source` into the open folder `folder` as `name`, with its mode. A
// link or a file with a second name planted at `name` is refused, not written through: the
// copy would land, or the truncation strike, outside the backup.
Status CopyIntoFolder(const std::string& source, int folder, const std::string& name) {
  const cFd from(open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat from_info {};
  if (!from.ok() || fstat(from.get(), &from_info) != 0) {
    return SystemError(Where::kUpdate, "cannot read " + source + " to back it up", errno,
                       kCannotOpenFile);
  }
  if (!S_ISREG(from_info.st_mode)) {
    return Status(Where::kUpdate, kCannotOpenFile, source + " is not a plain file to back up");
  }
  const cFd to(openat(folder, name.c_str(),
                      O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                      from_info.st_mode & 0777));
  struct stat to_info {};
  if (!to.ok() || fstat(to.get(), &to_info) != 0) {
    return SystemError(Where::kUpdate, "cannot write the backup copy " + name, errno,
                       kCannotOpenFile);
  }
  if (!S_ISREG(to_info.st_mode) || to_info.st_nlink != 1) {
    return Status(Where::kUpdate, kCannotOpenFile,
                  "the backup copy " + name + " is not a plain file of its own");
  }
  if (ftruncate(to.get(), 0) != 0 || fchmod(to.get(), from_info.st_mode & 0777) != 0) {
    return SystemError(Where::kUpdate, "cannot write the backup copy " + name, errno,
                       kCannotOpenFile);
  }
  char buffer[64 * 1024];
  while (true) {
    const ssize_t got = read(from.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      return SystemError(Where::kUpdate, "cannot read " + source + " to back it up", errno,
                         kCannotOpenFile);
    }
    if (got == 0) return Status::Ok();
    const Status written = WriteAll(to.get(), buffer, static_cast<size_t>(got), name);
    if (!written.ok()) return Status(Where::kUpdate, kCannotOpenFile, written.message());
  }
}

}  // namespace

std::string RemoteNameOf(const std::string& path) {
  std::string base;
  std::string extension;
  SplitPosixFileName(path, &base, &extension);
  return EqualsNoCase(extension, "ex_") ? WithPosixExtension(path, "exe") : path;
}

bool IsSafeItemPath(const std::string& path) {
  return IsPlainRelativePath(path) && path.find('\\') == std::string::npos;
}

std::vector<cStagedFile> cReleaseInstaller::Choose(
    const std::map<std::string, cManifestEntry>& manifest, const std::string& staging) const {
  std::string program_base;
  std::string program_extension;
  SplitPosixFileName(options_.program_path, &program_base, &program_extension);
  std::vector<cStagedFile> chosen;
  for (const auto& [path, entry] : manifest) {
    // Libraries for the system folder of another platform, files built for another computer,
    // and paths that would leave the program folder are never fetched.
    if (ContainsSystem32(path) || !IsSafeItemPath(path)) continue;
    if (entry.platform != kAnyPlatform && entry.platform != options_.platform) continue;
    std::string base;
    std::string extension;
    SplitPosixFileName(path, &base, &extension);
    const bool is_exe = EqualsNoCase(extension, "exe") || EqualsNoCase(extension, "ex_");
    if (options_.main_program_only) {
      bool wanted = is_exe && EqualsNoCase(base, program_base.c_str());
      for (const char* data_file : kMainProgramDataFiles) wanted = wanted || path == data_file;
      if (!wanted) continue;
    }
    cStagedFile file;
    file.path = path;
    file.remote_name = RemoteNameOf(path);
    file.entry = entry;
    // The program itself cannot be overwritten while it runs: it is staged under the "ex_"
    // name, and the restart helper swaps it in.
    file.is_program =
        is_exe && (EqualsNoCase(base, program_base.c_str()) || EqualsNoCase(base, "Varnh"));
    const std::string relative =
        file.is_program ? WithPosixExtension(PosixFileName(path), "ex_") : path;
    file.final_path =
        file.is_program ? options_.program_path : JoinPosixPath(options_.program_folder, relative);
    file.staged_path = JoinPosixPath(staging, relative);
    if (options_.skip_current && !file.is_program) {
      uint32_t high = 0;
      uint32_t low = 0;
      struct stat info {};
      if (options_.listed_time && options_.listed_time(path, &high, &low) &&
          stat(file.final_path.c_str(), &info) == 0 &&
          info.st_mtim.tv_sec >= FileTimeToTimespec(high, low).tv_sec) {
        continue;
      }
    }
    chosen.push_back(file);
  }
  return chosen;
}

Status cReleaseInstaller::StageAll(const std::vector<cStagedFile>& files, const cFetchProven& fetch,
                                   std::string* failed) const {
  for (const cStagedFile& file : files) {
    const Status status = fetch(file);
    if (!status.ok()) {
      *failed = file.path;
      return status;
    }
    uint32_t high = 0;
    uint32_t low = 0;
    if (options_.listed_time && options_.listed_time(file.path, &high, &low)) {
      SetFileTimes(file.staged_path.c_str(), high, low).Ignore("the time only informs the skip");
    }
  }
  return Status::Ok();
}

Status cReleaseInstaller::BackUp(const std::vector<cStagedFile>& files) const {
  if (!options_.backup_wanted) return Status::Ok();
  const std::string relative =
      std::string("Backup/Version ") + ThisVersionText() + " Build " + ThisBuildText();
  const cFd program_folder(OpenFolderNoFollow(options_.program_folder));
  const cFd backup(program_folder.ok() ? OpenFoldersBelow(program_folder.get(), relative) : -1);
  if (!backup.ok()) {
    return SystemError(Where::kUpdate, "cannot make the backup folder " + relative, errno,
                       kCannotOpenFile);
  }
  if (!options_.backup_source.empty()) {
    const Status copied = CopyIntoFolder(options_.backup_source, backup.get(),
                                         std::string(PosixFileName(options_.backup_source)));
    if (!copied.ok()) return copied;
  }
  for (const cStagedFile& file : files) {
    struct stat info {};
    if (lstat(file.final_path.c_str(), &info) != 0) continue;  // nothing there to keep
    const Status copied =
        CopyIntoFolder(file.final_path, backup.get(), std::string(PosixFileName(file.final_path)));
    if (!copied.ok()) return copied;
  }
  return Status::Ok();
}

Status cReleaseInstaller::HandOff(const std::vector<cStagedFile>& files, const std::string& staging,
                                  const cProcessStarter& start, int32_t pid) const {
  cRestartHandOff hand_off;
  hand_off.restart_program = FindRestartProgram(options_.program_folder);
  if (hand_off.restart_program.empty()) {
    return UpdateFailure(kRestartNotStarted,
                         "The restart helper is neither beside the program nor installed");
  }
  hand_off.program_path = options_.program_path;
  hand_off.staging_folder = staging;
  hand_off.pid = pid;
  for (const cStagedFile& file : files) {
    hand_off.files.push_back({file.staged_path, file.final_path, HexText(file.entry.sha256)});
  }
  return LaunchRestart(hand_off, start);
}

bool cReleaseInstaller::PlaceDataFiles(const std::vector<cStagedFile>& files) const {
  // What each file replaced waits beside it until all are in, so a failure can put it back.
  std::vector<std::pair<std::string, std::string>> moved;  // final path, its old copy (or "")
  bool placed = true;
  const std::string& folder = options_.program_folder;
  for (const cStagedFile& file : files) {
    std::error_code ignored;
    std::string old_copy;
    if (fs::exists(file.final_path, ignored)) {
      old_copy = file.final_path + ".update-old";
      if (!MoveIntoProgramFolder(file.final_path, old_copy, folder)) {
        placed = false;
        break;
      }
    }
    if (!MoveIntoProgramFolder(file.staged_path, file.final_path, folder)) {
      if (!old_copy.empty()) MoveIntoProgramFolder(old_copy, file.final_path, folder);
      placed = false;
      break;
    }
    moved.emplace_back(file.final_path, old_copy);
  }
  for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
    if (placed) {
      if (!it->second.empty()) unlink(it->second.c_str());
    } else if (!it->second.empty()) {
      MoveIntoProgramFolder(it->second, it->first, folder);
    } else {
      unlink(it->first.c_str());
    }
  }
  return placed;
}

}  // namespace hv
