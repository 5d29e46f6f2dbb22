#include "sim/command_language.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>

#include "core/status.h"
#include "core/string/plain_text.h"
#include "core/string/real_text.h"

namespace hv::sim {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool ParseNumber(const std::string& text, double* value) { return hv::ParseRealText(text, value); }

bool IsNumber(const std::string& text) {
  double ignored = 0;
  return ParseNumber(text, &ignored);
}

std::string JoinWords(const std::vector<std::string>& words, size_t first, size_t last) {
  std::string out;
  for (size_t i = first; i < last; ++i) {
    if (!out.empty()) out += ' ';
    out += words[i];
  }
  return out;
}

// Sensor statuses by word; -1 when the word is none of them.
int SensorStatusWord(const std::string& word) {
  std::string w = Lower(word);
  if (w == "on") return kOn;
  if (w == "off") return kOff;
  if (w == "motion") return kMotion;
  if (w == "still") return kMotionStopped;
  if (w == "open") return kDoorOpen;
  if (w == "closed") return kDoorClosed;
  if (w == "temperature") return kTemperature;
  return -1;
}

bool OnOff(const std::string& word, bool* on) {
  std::string w = Lower(word);
  if (w == "on" || w == "night") {
    *on = true;
    return true;
  }
  if (w == "off" || w == "day") {
    *on = false;
    return true;
  }
  return false;
}

// A word of a command line; a quoted word is one name, whatever it holds.
struct Word {
  std::string text;
  bool quoted = false;
};

// *unclosed is set when a quote opens a word and the line ends before it closes.
std::vector<Word> SplitLine(const std::string& line, bool* unclosed) {
  *unclosed = false;
  std::vector<Word> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    Word word;
    if (line[i] == '"') {
      size_t close = line.find('"', i + 1);
      if (close == std::string::npos) {
        *unclosed = true;
        close = line.size();
      }
      word.text = line.substr(i + 1, close - i - 1);
      word.quoted = true;
      i = close + 1;
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
        word.text += line[i++];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

// Where the name of a command ends: a quoted name is exactly the quoted word, so everything
// after its closing quote is the command's arguments; a plain name runs up to `guessed_end`,
// where the arguments recognised from the end of the line begin.
size_t NameEnd(const std::vector<Word>& words, size_t guessed_end) {
  return words.size() > 1 && words[1].quoted ? 2 : guessed_end;
}

std::string Unexpected(const std::vector<std::string>& words, size_t index) {
  return "unexpected \"" + words[index] + "\" after the name";
}

// A command as its handler sees it.
struct Command {
  House& house;
  const std::vector<Word>& parsed;
  std::vector<std::string> words;  // the parsed words' texts
  const std::string& line;
  const std::string& by;
};

Status Refused(std::string reason) { return Status::Failure(Where::kSim, std::move(reason)); }

constexpr const char* kMissingClosingQuote = "missing closing quote";

// The outcome of a house change, worded for a result line.
// A change's status as the command's answer: a refusal without words of its own says who
// refused.
Status Outcome(Status change) {
  if (change.declined() && change.message().empty()) {
    return Status(change.where(), change.code(), "declined by the house");
  }
  return change;
}

Status RunLog(const Command& c) {
  const size_t space = c.line.find_first_of(" \t");
  std::string text = Trim(c.line.substr(space == std::string::npos ? c.line.size() : space));
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  LogEntry entry;
  entry.name = c.by.empty() ? std::string("Command") : c.by;
  entry.message = text;
  c.house.AddLog(std::move(entry));
  return Status::Ok();
}

Status RunSwitch(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  if (n < 3) return Refused("usage: switch <name> on|off|toggle|dim <n>|bright [n]");
  const size_t name_end = NameEnd(c.parsed, n >= 4 && IsNumber(words[n - 1]) ? n - 2 : n - 1);
  if (n - name_end > 2) return Refused(Unexpected(words, name_end + 2));
  const std::string action = Lower(words[name_end]);
  const bool has_level = n - name_end == 2;
  static const struct {
    const char* word;
    uint32_t status;
  } kActions[] = {
      {"on", kOn}, {"off", kOff}, {"toggle", kToggle}, {"dim", kDim}, {"bright", kBright}};
  const auto* found = std::find_if(std::begin(kActions), std::end(kActions),
                                   [&](const auto& a) { return action == a.word; });
  if (found == std::end(kActions)) return Refused("unknown switch action \"" + action + "\"");
  const uint32_t status = found->status;
  double level = 0;
  if (has_level && !ParseNumber(words[n - 1], &level)) return Refused(Unexpected(words, n - 1));
  if (status == kDim) {
    if (!has_level) return Refused("dim needs a level from 0 to 100");
    if (level < 0 || level > 100) return Refused("dim level must be from 0 to 100");
  }
  const std::string name = JoinWords(words, 1, name_end);
  if (name.empty()) return Refused("missing switch name");
  return Outcome(c.house.SetSwitchStatus(name, status, level, c.by));
}

Status RunSensor(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  if (n < 3) return Refused("usage: sensor <name> <status> [value]");
  const bool value_at_end = n >= 4 && IsNumber(words[n - 1]) &&
                            (IsNumber(words[n - 2]) || SensorStatusWord(words[n - 2]) >= 0);
  const size_t status_index = NameEnd(c.parsed, value_at_end ? n - 2 : n - 1);
  if (n - status_index > 2) return Refused(Unexpected(words, status_index + 2));
  double value = 0;
  if (n - status_index == 2 && !ParseNumber(words[n - 1], &value)) {
    return Refused(Unexpected(words, n - 1));
  }
  double code = 0;
  int status = SensorStatusWord(words[status_index]);
  if (status < 0) {
    if (!ParseNumber(words[status_index], &code) || code < 0 || code > 255) {
      return Refused("unknown sensor status \"" + words[status_index] + "\"");
    }
    status = static_cast<int>(code);
  }
  const std::string name = JoinWords(words, 1, status_index);
  if (name.empty()) return Refused("missing sensor name");
  return Outcome(c.house.SetSensorStatus(name, static_cast<uint32_t>(status), value, c.by));
}

Status RunMacro(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  if (n < 3) return Refused("usage: macro <name> run|stop|enable|disable");
  const size_t name_end = NameEnd(c.parsed, n - 1);
  if (n - name_end > 1) return Refused(Unexpected(words, name_end));
  const std::string action = Lower(words[n - 1]);
  uint32_t status;
  if (action == "run" || action == "start") {
    status = kMacroRunning;
  } else if (action == "stop" || action == "enable") {
    status = kMacroMonitoring;
  } else if (action == "disable") {
    status = kMacroDisabled;
  } else {
    return Refused("unknown macro action \"" + action + "\"");
  }
  const std::string name = JoinWords(words, 1, n - 1);
  return Outcome(c.house.SetMacroStatus(name, status, c.by));
}

Status RunMode(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  bool on = false;
  if (n < 3 || !OnOff(words[n - 1], &on)) return Refused("usage: mode <name> on|off");
  const size_t name_end = NameEnd(c.parsed, n - 1);
  if (n - name_end > 1) return Refused(Unexpected(words, name_end));
  const std::string name = JoinWords(words, 1, n - 1);
  return Outcome(c.house.SetModeStatus(name, on, c.by));
}

Status RunX10(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  if (n < 3) return Refused("usage: x10 <address> <function> [level]");
  X10Address address;
  uint32_t unit = 255;
  if (words[1].size() == 1) {
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(words[1][0])));
    if (letter < 'A' || letter > 'P') return Refused("bad X10 address \"" + words[1] + "\"");
    address.house = letter - 'A';
  } else if (ParseX10Address(words[1], &address)) {
    unit = static_cast<uint32_t>(address.unit);
  } else {
    return Refused("bad X10 address \"" + words[1] + "\"");
  }
  static const struct {
    const char* word;
    uint32_t code;
  } kFunctions[] = {{"on", kOn},
                    {"off", kOff},
                    {"dim", kDim},
                    {"bright", kBright},
                    {"allon", kAllLightsOn},
                    {"alloff", kAllLightsOff},
                    {"allunitsoff", kAllUnitsOff}};
  const std::string function_word = Lower(words[2]);
  for (const auto& f : kFunctions) {
    if (function_word != f.word) continue;
    double level = 0;
    if (n >= 4 && (!ParseNumber(words[3], &level) || level < 0 || level > 100)) {
      return Refused("level must be from 0 to 100");
    }
    c.house.SendX10(static_cast<uint32_t>(address.house), unit, f.code,
                    static_cast<uint32_t>(level), c.by);
    return Status::Ok();
  }
  return Refused("unknown X10 function \"" + words[2] + "\"");
}

Status RunSnap(const Command& c) {
  const std::vector<std::string>& words = c.words;
  const size_t n = words.size();
  if (n < 2) return Refused("usage: snap <video source>");
  const size_t name_end = NameEnd(c.parsed, n);
  if (n > name_end) return Refused(Unexpected(words, name_end));
  const std::string name = JoinWords(words, 1, n);
  return Outcome(c.house.Snap(name, c.by));
}

// lightdark, pause and mute: one on/off state of the server each.
Status RunServerState(const Command& c) {
  const std::string verb = Lower(c.words[0]);
  bool on = false;
  if (c.words.size() != 2 || !OnOff(c.words[1], &on)) {
    return Refused(verb == "lightdark" ? "usage: lightdark day|night"
                                       : "usage: " + verb + " on|off");
  }
  if (verb == "lightdark") c.house.SetLightDark(on, c.by);
  if (verb == "pause") c.house.SetPause(on, c.by);
  if (verb == "mute") c.house.SetMute(on, c.by);
  return Status::Ok();
}

// Runs the parsed command; a failure's message is the reason for the result line.
Status Execute(House& house, const std::vector<Word>& parsed, const std::string& line,
               const std::string& by) {
  Command command{house, parsed, {}, line, by};
  command.words.reserve(parsed.size());
  for (const Word& word : parsed) command.words.push_back(word.text);
  static const struct {
    const char* verb;
    Status (*run)(const Command&);
  } kVerbs[] = {{"log", RunLog},           {"switch", RunSwitch},
                {"sensor", RunSensor},     {"macro", RunMacro},
                {"mode", RunMode},         {"x10", RunX10},
                {"snap", RunSnap},         {"lightdark", RunServerState},
                {"pause", RunServerState}, {"mute", RunServerState}};
  const std::string verb = Lower(command.words[0]);
  for (const auto& entry : kVerbs) {
    if (verb == entry.verb) return entry.run(command);
  }
  return Refused("unknown command \"" + command.words[0] + "\"");
}

}  // namespace

Status SplitWords(const std::string& line, std::vector<std::string>* words) {
  bool unclosed = false;
  words->clear();
  for (Word& word : SplitLine(line, &unclosed)) words->push_back(std::move(word.text));
  return unclosed ? Refused(kMissingClosingQuote) : Status::Ok();
}

bool RunCommandLine(House& house, const std::string& raw, const std::string& by,
                    CommandResult* result) {
  std::string line = Trim(raw);
  if (line.empty() || line[0] == '#' || line[0] == ';') return false;
  bool unclosed = false;
  std::vector<Word> words = SplitLine(line, &unclosed);
  if (words.empty()) return false;
  // A name cut short by a missing quote could match another item, so nothing is run; a log
  // text is taken as written, quotes and all.
  const bool refused = unclosed && Lower(words[0].text) != "log";
  const Status outcome = refused ? Refused(kMissingClosingQuote) : Execute(house, words, line, by);
  result->ok = outcome.ok();
  result->line = result->ok ? "OK " + line : "ERROR " + line + ": " + outcome.message();
  return true;
}

std::string RunCommandFile(House& house, const std::string& text, const std::string& by,
                           size_t max_bytes) {
  static const char kCut[] = "ERROR response cut: too many commands\r\n";
  std::string response;
  bool cut = false;
  for (std::string_view line : SplitLines(text)) {
    CommandResult result;
    if (!RunCommandLine(house, std::string(line), by, &result)) continue;
    if (cut) continue;  // the commands still run; only their result lines are left out
    if (response.size() + result.line.size() + 2 + sizeof kCut > max_bytes) {
      response += kCut;
      cut = true;
      continue;
    }
    response += result.line + "\r\n";
  }
  return response;
}

}  // namespace hv::sim
