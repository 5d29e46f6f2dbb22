#include "restart/staging_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "core/string/plain_text.h"
#include "restart/restart_list.h"

namespace hv {

namespace {

void Split(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Exists(int folder, const std::string& name) {
  struct stat info {};
  return fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// The staging folders in `folder`, by name.
std::vector<std::string> StagingFolders(int folder) {
  std::vector<std::string> names;
  const int copy = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
  if (dir == nullptr) {
    if (copy >= 0) close(copy);
    return names;
  }
  while (const dirent* entry = readdir(dir)) {
    struct stat info {};
    if (IsStagingFolderName(entry->d_name) &&
        fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(dir);
  return names;
}

// Puts back the data files that a swap killed before its program had moved had already
// swapped in, in the order the swap numbered them (the data files in list order). A file with
// neither a second name nor a mark in "old" was never moved, or was already put back.
void RollBackLeftover(int program_folder, int staging, const std::vector<cListedFile>& listed,
                      const std::string& program_name, cSwapFiles& files, cRestartHost& host) {
  const cFd old_files = OpenFolderAt(staging, kOldFilesFolder);
  size_t index = 0;
  for (const cListedFile& file : listed) {
    if (file.target == program_name) continue;
    const std::string old_name = std::to_string(index++);
    std::string folder;
    std::string name;
    Split(file.target, &folder, &name);
    Status failed;
    const cFd target =
        files.OpenFoldersBelow(program_folder, folder == "." ? "" : folder, false, &failed);
    if (!target.ok()) continue;
    Status back;
    if (old_files.ok() && Exists(old_files.get(), old_name)) {
      back = files.Rename(old_files.get(), old_name, target.get(), name);
    } else if (old_files.ok() && Exists(old_files.get(), old_name + kNewFileMark) &&
               !Exists(staging, file.staged)) {
      // It left the staging folder only to take its place, where nothing was before.
      back = files.Remove(target.get(), name);
    }
    if (!back.ok()) {
      host.Note(("the old file " + std::string(Quoted(file.target.c_str())) +
                 " could not be put back (" + back.message() + ")")
                    .c_str());
    }
  }
}

}  // namespace

bool IsStagingFolderName(std::string_view name) {
  return name.size() > kStagingPrefix.size() &&
         name.substr(0, kStagingPrefix.size()) == kStagingPrefix &&
         name.find('/') == std::string_view::npos;
}

bool LockStagingFolder(int staging) { return flock(staging, LOCK_EX | LOCK_NB) == 0; }

int32_t StagingOwner(std::string_view name) {
  if (!IsStagingFolderName(name)) return 0;
  const std::string_view rest = name.substr(kStagingPrefix.size());
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash > 9) return 0;
  int32_t pid = 0;
  for (size_t i = 0; i < dash; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return 0;
    pid = pid * 10 + (rest[i] - '0');
  }
  return pid;
}

int CleanUpLeftovers(const std::string& program_path, const std::string& current_staging,
                     cSwapFiles& files, cRestartHost& host) {
  std::string folder_path;
  std::string program_name;
  Split(program_path, &folder_path, &program_name);
  std::string current_folder;
  std::string current_name;
  Split(current_staging, &current_folder, &current_name);
  const cFd program_folder = OpenFolderPath(folder_path);
  if (!program_folder.ok()) return 0;
  int removed = 0;
  for (const std::string& name : StagingFolders(program_folder.get())) {
    if (name == current_name && current_folder == folder_path) continue;
    const int32_t owner = StagingOwner(name);
    if (owner != 0 && host.ProcessRuns(owner)) continue;
    const cFd staging = OpenFolderAt(program_folder.get(), name);
    // A helper is swapping it in right now (its client has just ended).
    if (staging.ok() && !LockStagingFolder(staging.get())) continue;
    std::vector<cListedFile> listed;
    if (staging.ok() && ReadRestartListAt(staging.get(), kRestartListName, &listed).ok()) {
      for (const cListedFile& file : listed) {
        // The program still waits there: the swap stopped before it, so it is undone.
        if (file.target == program_name && Exists(staging.get(), file.staged)) {
          RollBackLeftover(program_folder.get(), staging.get(), listed, program_name, files, host);
          break;
        }
      }
    }
    if (files.RemoveTree(program_folder.get(), name).ok()) ++removed;
  }
  return removed;
}

}  // namespace hv
