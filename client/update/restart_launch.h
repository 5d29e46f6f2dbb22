// Starting the restart helper: the list of files it swaps in, the command line it is given and
// the process start. The helper is started directly (no shell sees the paths), in the program
// folder, and lives on after the client has quit.
//
// Every file of an update (the program and its data files) waits in the run's staging folder
// until the helper, once the client has ended, checks each against its SHA-256 and swaps them
// all in together. The helper learns them from a list file in the staging folder:
//
//   hearthview restart list 1
//   <sha256 hex> TAB <staged path, relative to the staging folder> TAB <target path,
//   relative to the program folder>
//
// one line per file. Relative paths keep every file the helper touches inside those two
// folders, whatever the list says.
#ifndef HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
#define HV_CLIENT_UPDATE_RESTART_LAUNCH_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace hv {

// The name of the list file in the staging folder, and its first line.
constexpr const char* kRestartListName = "restart.list";
constexpr const char* kRestartListHeader = "hearthview restart list 1";

// One downloaded and checked file, waiting to be swapped in.
struct cStagedUpdateFile {
  std::string staged_path;  // inside the staging folder
  std::string target_path;  // inside the program folder: the file it replaces or becomes
  std::string sha256_hex;   // the content the publisher signed, 64 hexadecimal digits
};

// What the client hands over. One of `files` must target `program_path`: it is the new
// program, which the helper swaps in last.
struct cRestartHandOff {
  std::string restart_program;  // the helper to start
  std::string program_path;     // replaced, then started again
  std::string staging_folder;   // holds the staged files; the list is written into it
  std::vector<cStagedUpdateFile> files;
  int32_t pid = 0;  // the client that hands over: the helper waits until it has ended
};

// `bytes` (a digest) as lowercase hexadecimal digits.
std::string HexText(std::string_view bytes);

// Starts `program` with `arguments` in `directory`. Fails with kRestartNotStarted
// (Where::kUpdate) when the system does not start it, the message saying why.
using cProcessStarter =
    std::function<Status(const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& directory)>;
[[nodiscard]] Status StartDetachedProcess(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          const std::string& directory);

// The text of the list file for `files`, or a failure (kRestartNotStarted) naming the file
// whose paths lie outside their folders, hold a tab or a line break, or whose hash is not 64
// hexadecimal digits.
[[nodiscard]] Status RestartListText(const std::string& program_folder,
                                     const std::string& staging_folder,
                                     const std::vector<cStagedUpdateFile>& files,
                                     std::string* text);

// The restart command line
// "/F="%s" /D=10000 /C="%s" /T="%s" /P=%d /L="%s"": launch `program` afterwards; once the
// process `pid` has ended (10 s at most), swap in the files of `list`, the new program
// `new_program` onto `program` among them.
std::string RestartCommandLine(const std::string& program, const std::string& new_program,
                               int32_t pid, const std::string& list);

// The command line as the helper's arguments: split at the spaces outside double quotes,
// the quotes kept, so the helper reads back exactly the text above.
std::vector<std::string> RestartArguments(const std::string& command_line);

// Writes the list into the staging folder (a new file, never through a link) and starts the
// helper with `start`. Fails with kRestartNotStarted, the message saying why; the staged files
// are then left for the caller to remove.
[[nodiscard]] Status LaunchRestart(const cRestartHandOff& hand_off, const cProcessStarter& start);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_RESTART_LAUNCH_H_
