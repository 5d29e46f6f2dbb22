// Runs a built program to its end the way the program tests need it: its own arguments and
// environment, its standard streams in files, and a time limit so that a program that hangs
// fails its test instead of stalling the run.
#ifndef HV_CORE_TESTING_PROGRAM_RUN_H_
#define HV_CORE_TESTING_PROGRAM_RUN_H_

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace hv {

namespace test {

// Every member has a default, so a designated initializer names only what a run needs.
struct cProgramRun {
  std::string program;                      // the executable's path; also its argv[0]
  std::vector<std::string> arguments = {};  // the rest of its command line
  // NAME=value entries; the test's own environment when unset.
  std::optional<std::vector<std::string>> environment = std::nullopt;
  std::string input = "/dev/null";  // standard input is read from this file
  // Standard output and error are written to these files (created or emptied), or go where
  // the test's own go when empty.
  std::string output = {};
  std::string errors = {};
  // After this long the program is killed and the run counts as hung.
  std::chrono::milliseconds limit = std::chrono::seconds(30);
};

struct cProgramEnd {
  bool started = false;
  bool exited = false;      // ended by itself, not by a signal (an abort would be one)
  bool hung = false;        // still running at the time limit, and killed
  int code = -1;            // the exit code when it exited
  std::string start_error;  // why it did not start
};

cProgramEnd RunProgram(const cProgramRun& run);

// The test's own environment without the variables named in `drop`, and with the NAME=value
// entries of `set` in place of any of the same name.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& drop,
                                         const std::vector<std::string>& set);

}  // namespace test

}  // namespace hv

#endif  // HV_CORE_TESTING_PROGRAM_RUN_H_
