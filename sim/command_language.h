// The command language of command files: one command per line, run against the house in
// order. Blank lines and lines starting with '#' or ';' are skipped. Names may be written in
// double quotes or plainly (words up to the action); names match exactly first, then without
// regard to case.
//
//   switch <name> on|off|toggle        switch <name> dim <0-100>     switch <name> bright [n]
//   sensor <name> <status> [value]     status: a code number, or on, off, motion, still,
//                                      open, closed, temperature
//   macro <name> run|stop|enable|disable
//   mode <name> on|off
//   x10 <A1..P16 | A..P> on|off|dim <n>|bright <n>|allon|alloff|allunitsoff
//   snap <video source>
//   lightdark day|night      pause on|off      mute on|off
//   log <text>               (an Info entry in the activity log)
//
// Each command gives one result line: "OK <command>" or "ERROR <command>: <reason>"; a line
// whose quote is left open is refused whole ("missing closing quote").
#ifndef HV_SIM_COMMAND_LANGUAGE_H_
#define HV_SIM_COMMAND_LANGUAGE_H_

#include <string>
#include <vector>

#include "core/status.h"
#include "sim/house.h"

namespace hv::sim {

struct CommandResult {
  bool ok = false;
  std::string line;  // "OK ..." or "ERROR ...: reason"
};

// Runs one command line. Returns false (and leaves *result alone) for a blank or comment line.
bool RunCommandLine(House& house, const std::string& line, const std::string& by,
                    CommandResult* result);

// Runs every line of a command file and returns the response text: one result line per
// command, each ended by "\r\n". The text is cut (with a final note) to stay within max_bytes.
std::string RunCommandFile(House& house, const std::string& text, const std::string& by,
                           size_t max_bytes = 60000);

// Splits a line into *words; "double quoted" words keep their spaces. A quote left open is a
// failure ("missing closing quote"), with *words as far as they went. For the console.
Status SplitWords(const std::string& line, std::vector<std::string>* words);

}  // namespace hv::sim

#endif  // HV_SIM_COMMAND_LANGUAGE_H_
