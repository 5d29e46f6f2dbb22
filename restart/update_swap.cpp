#include "restart/update_swap.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/string/path_name.h"
#include "core/string/plain_text.h"
#include "restart/restart_list.h"
#include "restart/staging_folder.h"

namespace hv {

namespace {

// One file of the update, from its list line to its place.
struct cSwapFile {
  cListedFile listed;
  bool is_program = false;
  cFd staged_folder;
  std::string staged_name;
  cFd target_folder;
  std::string target_name;
  cFd fd;  // the staged file as checked: its mode is set through it
  struct stat info {};
  bool had_old = false;  // a file of that name was there before
  mode_t old_mode = 0;
  bool kept_old = false;  // the old file has a second name in the staging folder
  bool swapped = false;
  std::string old_name;  // that name, in the "old" folder
};

std::string Quote(const std::string& path) { return Quoted(path.c_str()); }

std::string Because(const Status& failed) { return " (" + failed.message() + ")"; }

// The folder part and the last name of `path`.
void Split(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The SHA-256 of what `fd` holds from its start.
bool HashOf(int fd, std::array<uint8_t, 32>* digest) {
  if (sodium_init() < 0) return false;
  crypto_hash_sha256_state state;
  crypto_hash_sha256_init(&state);
  unsigned char buffer[65536];
  for (off_t offset = 0;;) {
    const ssize_t got = pread(fd, buffer, sizeof buffer, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    crypto_hash_sha256_update(&state, buffer, static_cast<unsigned long long>(got));
    offset += got;
  }
  crypto_hash_sha256_final(&state, digest->data());
  return true;
}

class cSwap {
 public:
  cSwap(const cSwapRequest& request, cSwapFiles& files, cRestartHost& host)
      : request_(request), files_(files), host_(host) {}

  cSwapResult Run();

 private:
  bool Refuse(const std::string& why) {
    host_.Beep();
    host_.Note((why + "; nothing was replaced").c_str());
    return false;
  }
  bool OpenStagingAndList(std::vector<cListedFile>* listed);
  bool FindProgram(std::vector<cListedFile>* listed);
  bool CheckStaged(cSwapFile& file);
  bool OpenTarget(cSwapFile& file);
  bool SetMode(cSwapFile& file);
  Status SwapData(cSwapFile& file);
  Status SwapProgram(cSwapFile& file);
  bool Prepare();
  bool RollBack();
  void RemoveStaging();

  const cSwapRequest& request_;
  cSwapFiles& files_;
  cRestartHost& host_;
  std::string staging_path_;
  cFd staging_;
  cFd program_folder_;
  cFd old_folder_;
  std::vector<cSwapFile> swap_;  // the data files in list order, then the program
};

bool cSwap::OpenStagingAndList(std::vector<cListedFile>* listed) {
  std::string list_name;
  Split(request_.list_file.CStr(), &staging_path_, &list_name);
  staging_ = OpenFolderPath(staging_path_);
  struct stat info {};
  if (!staging_.ok() || fstat(staging_.get(), &info) != 0) {
    return Refuse("the staging folder " + Quote(staging_path_) + " cannot be opened" +
                  Because(SystemFailure(errno)));
  }
  if (info.st_uid != geteuid() || (info.st_mode & 022) != 0) {
    return Refuse("the staging folder " + Quote(staging_path_) +
                  " may be changed by other users than its owner");
  }
  if (const Status read = ReadRestartListAt(staging_.get(), list_name, listed); !read.ok()) {
    return Refuse("the list of the update's files " + Quote(request_.list_file.CStr()) +
                  " cannot be used: " + read.message());
  }
  return true;
}

// Puts the data files into swap_ and the program, which must be listed, last.
bool cSwap::FindProgram(std::vector<cListedFile>* listed) {
  std::string program_folder;
  std::string program_name;
  Split(request_.copy_to.CStr(), &program_folder, &program_name);
  program_folder_ = OpenFolderPath(program_folder);
  if (!program_folder_.ok()) {
    return Refuse("the program folder " + Quote(program_folder) + " cannot be opened" +
                  Because(SystemFailure(errno)));
  }
  bool found = false;
  for (cListedFile& entry : *listed) {
    cSwapFile file;
    file.is_program = entry.target == program_name;
    if (file.is_program && staging_path_ + "/" + entry.staged != request_.copy_from.CStr()) {
      return Refuse("the list names another new program than " + Quote(request_.copy_from.CStr()));
    }
    found = found || file.is_program;
    file.listed = std::move(entry);
    swap_.push_back(std::move(file));
  }
  if (!found) return Refuse("the list has no SHA-256 for the new program");
  if (BackupName(request_.copy_to) == request_.copy_to) {
    // Its backup would take the place of the program itself.
    return Refuse("no backup of " + Quote(request_.copy_to.CStr()) +
                  " can be kept under its own name");
  }
  std::stable_partition(swap_.begin(), swap_.end(),
                        [](const cSwapFile& file) { return !file.is_program; });
  return true;
}

bool cSwap::CheckStaged(cSwapFile& file) {
  std::string folder;
  Split(file.listed.staged, &folder, &file.staged_name);
  Status failed;
  file.staged_folder = files_.OpenFoldersBelow(
      staging_.get(), folder == "." ? std::string() : folder, false, &failed);
  const std::string shown = Quote(staging_path_ + "/" + file.listed.staged);
  if (file.staged_folder.ok()) file.fd = OpenFileAt(file.staged_folder.get(), file.staged_name);
  if (!file.fd.ok() || fstat(file.fd.get(), &file.info) != 0) {
    // O_NOFOLLOW says ELOOP for a link in the file's place (or in a folder's).
    if (errno == ELOOP || errno == ENOTDIR) {
      return Refuse("the new file " + shown + " is a symbolic link (or lies behind one)");
    }
    return Refuse("the new file " + shown + " cannot be opened" + Because(SystemFailure(errno)));
  }
  if (!S_ISREG(file.info.st_mode) || file.info.st_uid != geteuid() || file.info.st_nlink != 1) {
    return Refuse("the new file " + shown +
                  " is not a plain file of this user with only this name");
  }
  std::array<uint8_t, 32> digest{};
  if (!HashOf(file.fd.get(), &digest)) {
    return Refuse("the new file " + shown + " cannot be read" + Because(SystemFailure(errno)));
  }
  if (digest != file.listed.sha256) {
    return Refuse("the new file " + shown + " is not the file the update lists");
  }
  return true;
}

bool cSwap::OpenTarget(cSwapFile& file) {
  std::string folder;
  Split(file.listed.target, &folder, &file.target_name);
  Status failed;
  file.target_folder = files_.OpenFoldersBelow(
      program_folder_.get(), folder == "." ? std::string() : folder, true, &failed);
  std::string program_folder;
  std::string program_name;
  Split(request_.copy_to.CStr(), &program_folder, &program_name);
  const std::string shown = Quote(program_folder + "/" + file.listed.target);
  if (!file.target_folder.ok()) {
    return Refuse("the folder of " + shown + " cannot be opened" + Because(failed));
  }
  struct stat info {};
  if (fstat(file.target_folder.get(), &info) != 0 || info.st_dev != file.info.st_dev) {
    return Refuse(shown + " is on another file system than the staging folder");
  }
  if (fstatat(file.target_folder.get(), file.target_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) ==
      0) {
    if (!S_ISREG(info.st_mode)) return Refuse(shown + " is not a plain file");
    file.had_old = true;
    file.old_mode = info.st_mode & 0777;
  } else if (errno != ENOENT) {
    return Refuse(shown + " cannot be looked at" + Because(SystemFailure(errno)));
  }
  return true;
}

// Before the file moves, so it is never in place with the wrong mode: the program runs like
// the old one did (and can run at all), a data file keeps the mode of the one it replaces.
bool cSwap::SetMode(cSwapFile& file) {
  mode_t mode = file.had_old ? file.old_mode : (file.info.st_mode & 0777);
  if (file.is_program) {
    if (!file.had_old) mode = 0755;
    mode |= (mode & 0444) >> 2;
  }
  const Status set = files_.SetMode(file.fd.get(), mode);
  if (set.ok()) fsync(file.fd.get());
  if (!set.ok()) {
    return Refuse("the new file " + Quote(file.listed.staged) + " cannot be given its mode" +
                  Because(set));
  }
  return true;
}

// The renamed name must still be the file that was checked; another file put there in
// between is not the update's.
Status SameFile(const cSwapFile& file) {
  struct stat info {};
  if (fstatat(file.target_folder.get(), file.target_name.c_str(), &info, AT_SYMLINK_NOFOLLOW) !=
      0) {
    return SystemFailure(errno);
  }
  if (info.st_dev != file.info.st_dev || info.st_ino != file.info.st_ino) {
    return Status::Failure(Where::kRestart, "another file took the new file's place");
  }
  return Status::Ok();
}

// Each data file leaves a trace in the staging folder's "old" folder before it moves: the old
// file under a second name, or a mark that there was none. From these the next start can tell
// what to put back after a kill, whatever step the kill came at.
Status cSwap::SwapData(cSwapFile& file) {
  if (!old_folder_.ok()) {
    Status failed = files_.MakeFolder(staging_.get(), kOldFilesFolder);
    if (!failed.ok()) return failed;
    old_folder_ = OpenFolderAt(staging_.get(), kOldFilesFolder);
    if (!old_folder_.ok()) return SystemFailure(errno);
  }
  const std::string index = std::to_string(&file - swap_.data());
  if (file.had_old) {
    file.old_name = index;
    Status kept =
        files_.Link(file.target_folder.get(), file.target_name, old_folder_.get(), file.old_name);
    if (!kept.ok()) return kept;
    file.kept_old = true;
  } else {
    Status marked = files_.MakeMark(old_folder_.get(), index + kNewFileMark);
    if (!marked.ok()) return marked;
  }
  Status moved = files_.Rename(file.staged_folder.get(), file.staged_name, file.target_folder.get(),
                               file.target_name);
  if (!moved.ok()) return moved;
  file.swapped = true;
  return SameFile(file);
}

Status cSwap::SwapProgram(cSwapFile& file) {
  const std::string backup(PosixFileName(BackupName(request_.copy_to).CStr()));
  if (file.had_old) {
    // The backup goes first: were it to fail after the rename, the old program would be lost.
    Status removed = files_.Remove(file.target_folder.get(), backup);
    if (removed.ok()) {
      removed =
          files_.Link(file.target_folder.get(), file.target_name, file.target_folder.get(), backup);
    }
    if (!removed.ok()) return removed;
    file.kept_old = true;
    file.old_name = backup;
  }
  Status moved = files_.Rename(file.staged_folder.get(), file.staged_name, file.target_folder.get(),
                               file.target_name);
  if (!moved.ok()) return moved;
  file.swapped = true;
  return SameFile(file);
}

// Puts every swapped file back, the last first. False when one could not be.
bool cSwap::RollBack() {
  bool all_back = true;
  for (auto file = swap_.rbegin(); file != swap_.rend(); ++file) {
    if (!file->swapped) continue;
    Status back;
    if (file->kept_old) {
      const int from = file->is_program ? file->target_folder.get() : old_folder_.get();
      back = files_.Rename(from, file->old_name, file->target_folder.get(), file->target_name);
    } else {
      back = files_.Remove(file->target_folder.get(), file->target_name);
    }
    if (back.ok()) {
      file->swapped = false;
      continue;
    }
    all_back = false;
    host_.Note(
        ("the old file " + Quote(file->listed.target) + " could not be put back" + Because(back))
            .c_str());
  }
  return all_back;
}

void cSwap::RemoveStaging() {
  std::string parent;
  std::string name;
  Split(staging_path_, &parent, &name);
  if (!IsStagingFolderName(name) || !program_folder_.ok() || !staging_.ok()) return;
  // Only a staging folder of the program's own folder: a list elsewhere says nothing about
  // what else its folder holds.
  struct stat parent_info {};
  struct stat program_info {};
  const cFd parent_folder = OpenFolderPath(parent);
  if (!parent_folder.ok() || fstat(parent_folder.get(), &parent_info) != 0 ||
      fstat(program_folder_.get(), &program_info) != 0 ||
      parent_info.st_ino != program_info.st_ino || parent_info.st_dev != program_info.st_dev) {
    return;
  }
  const Status removed = files_.RemoveTree(parent_folder.get(), name);
  if (!removed.ok()) {
    host_.Note(
        ("the staging folder " + Quote(staging_path_) + " could not be removed" + Because(removed))
            .c_str());
  }
}

bool cSwap::Prepare() {
  std::vector<cListedFile> listed;
  if (!OpenStagingAndList(&listed) || !FindProgram(&listed)) return false;
  for (cSwapFile& file : swap_) {
    if (!CheckStaged(file)) return false;
  }
  for (cSwapFile& file : swap_) {
    if (!OpenTarget(file) || !SetMode(file)) return false;
  }
  return true;
}

cSwapResult cSwap::Run() {
  if (!Prepare()) {
    // Refused files are of no further use; the next update fetches them anew.
    RemoveStaging();
    return cSwapResult::kRefused;
  }
  for (cSwapFile& file : swap_) {
    const Status swapped = file.is_program ? SwapProgram(file) : SwapData(file);
    if (swapped.ok()) continue;
    host_.Beep();
    host_.Note(("the new file " + Quote(file.listed.target) + " could not be swapped in" +
                Because(swapped))
                   .c_str());
    if (!RollBack()) {
      host_.ShowMessage("Error",
                        ("The update could not be installed, and not every old file could be "
                         "put back: they are kept in \"" +
                         staging_path_ + "/" + kOldFilesFolder + "\".")
                            .c_str());
      return cSwapResult::kBroken;
    }
    RemoveStaging();
    return cSwapResult::kRolledBack;
  }
  for (const cSwapFile& file : swap_) fsync(file.target_folder.get());
  RemoveStaging();
  return cSwapResult::kReplaced;
}

}  // namespace

swString BackupName(const swString& path) {
  swPathName parts(path.CStr());
  parts.extension = "bak";
  return parts.FullPath();
}

cSwapResult SwapInUpdate(const cSwapRequest& request, cSwapFiles& files, cRestartHost& host) {
  if (request.copy_from.GetLength() == 0 || request.copy_to.GetLength() == 0) {
    return cSwapResult::kNotAsked;
  }
  if (request.list_file.GetLength() == 0) {
    host.Beep();
    host.Note("no list of the update's files with their SHA-256 was given; nothing was replaced");
    return cSwapResult::kRefused;
  }
  cSwap swap(request, files, host);
  return swap.Run();
}

}  // namespace hv
