// cReleaseInstaller: brings the files of a proven release into the program folder, all or
// nothing. It chooses the files the run wants from the signed manifest (never from the
// control file), has each fetched into the run's staging folder and checked, and only when
// every one is there puts them in place: data files alone it moves in itself; with a new
// program among them, everything stays staged and the restart helper swaps it all in once
// the client has ended.
#ifndef HV_CLIENT_UPDATE_RELEASE_INSTALLER_H_
#define HV_CLIENT_UPDATE_RELEASE_INSTALLER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client/update/restart_launch.h"
#include "client/update/version_file.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

// One file of the run: where it waits, where it goes, and what it must be.
struct cStagedFile {
  std::string path;         // the manifest's path
  std::string remote_name;  // its name on the site ("ex_" as "exe")
  std::string staged_path;
  std::string final_path;
  cManifestEntry entry;
  bool is_program = false;
};

struct cInstallOptions {
  std::string program_path;
  std::string program_folder;
  bool main_program_only = false;
  bool skip_current = false;
  // Copies of the files a run replaces go to "Backup/Version <v> Build <b>" in the program
  // folder, with `backup_source` beside them.
  bool backup_wanted = false;
  std::string backup_source;
  const char* platform = "";
  // The file times the control file lists (path -> FILETIME high, low), set on what comes in.
  std::function<bool(const std::string& path, uint32_t* high, uint32_t* low)> listed_time;
};

class cReleaseInstaller {
 public:
  // Fetches `file.remote_name` into `file.staged_path`, proven against `file.entry`.
  using cFetchProven = std::function<Status(const cStagedFile& file)>;

  explicit cReleaseInstaller(cInstallOptions options) : options_(std::move(options)) {}

  // The files of `manifest` this run installs, in path order, with their staged paths in
  // `staging`.
  std::vector<cStagedFile> Choose(const std::map<std::string, cManifestEntry>& manifest,
                                  const std::string& staging) const;
  // Fetches every chosen file. The first that fails ends the pass; its status is returned
  // and *failed names it.
  Status StageAll(const std::vector<cStagedFile>& files, const cFetchProven& fetch,
                  std::string* failed) const;
  // With backup wanted, copies the files that will be replaced (and the backup source) into
  // the backup folder. Neither the folder nor a copy is ever reached through a link; a failure
  // says which and why.
  Status BackUp(const std::vector<cStagedFile>& files) const;
  // Hands every staged file (a new program among them) with its signed hash to the restart
  // helper, which swaps them in once the client `pid` has ended. Ok when it was started;
  // otherwise kRestartNotStarted, its message saying why.
  Status HandOff(const std::vector<cStagedFile>& files, const std::string& staging,
                 const cProcessStarter& start, int32_t pid) const;
  // Moves staged data files into place (the run has no new program). False, having put back
  // what it had moved, when one cannot be moved.
  bool PlaceDataFiles(const std::vector<cStagedFile>& files) const;

 private:
  cInstallOptions options_;
};

// The item's name on the site: "ex_" stands for "exe".
std::string RemoteNameOf(const std::string& path);
// Item paths come from the site, so they are only ever taken as relative paths below the
// folder they are meant for: no absolute paths, no "..", no empty or "." parts.
bool IsSafeItemPath(const std::string& path);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_RELEASE_INSTALLER_H_
