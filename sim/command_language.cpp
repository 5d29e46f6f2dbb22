#include "sim/command_language.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>

#include "core/status.h"
#include "core/string/real_text.h"

namespace hv::sim {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
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

// The outcome of a house change, worded for a result line.
std::string Failure(int status, const char* kind, const std::string& name) {
  if (status == kNotFound) return std::string("no ") + kind + " named \"" + name + "\"";
  return "declined by the house";
}

// A word of a command line; a quoted word is one name, whatever it holds.
struct Word {
  std::string text;
  bool quoted = false;
};

std::vector<Word> SplitLine(const std::string& line) {
  std::vector<Word> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size()) break;
    Word word;
    if (line[i] == '"') {
      size_t close = line.find('"', i + 1);
      if (close == std::string::npos) close = line.size();
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

// Runs the parsed command; returns the empty text on success, else the reason.
std::string Execute(House& house, const std::vector<Word>& parsed, const std::string& line,
                    const std::string& by) {
  std::vector<std::string> words;
  words.reserve(parsed.size());
  for (const Word& word : parsed) words.push_back(word.text);
  const std::string verb = Lower(words[0]);
  const size_t n = words.size();
  if (verb == "log") {
    std::string text = Trim(line.substr(
        line.find_first_of(" \t") == std::string::npos ? line.size() : line.find_first_of(" \t")));
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
      text = text.substr(1, text.size() - 2);
    }
    LogEntry entry;
    entry.name = by.empty() ? std::string("Command") : by;
    entry.message = text;
    house.AddLog(std::move(entry));
    return {};
  }
  if (verb == "switch") {
    if (n < 3) return "usage: switch <name> on|off|toggle|dim <n>|bright [n]";
    const size_t name_end = NameEnd(parsed, n >= 4 && IsNumber(words[n - 1]) ? n - 2 : n - 1);
    if (n - name_end > 2) return Unexpected(words, name_end + 2);
    std::string action = Lower(words[name_end]);
    const bool has_level = n - name_end == 2;
    uint32_t status;
    if (action == "on") {
      status = kOn;
    } else if (action == "off") {
      status = kOff;
    } else if (action == "toggle") {
      status = kToggle;
    } else if (action == "dim") {
      status = kDim;
    } else if (action == "bright") {
      status = kBright;
    } else {
      return "unknown switch action \"" + action + "\"";
    }
    double level = 0;
    if (has_level && !ParseNumber(words[n - 1], &level)) return Unexpected(words, n - 1);
    if (status == kDim) {
      if (!has_level) return "dim needs a level from 0 to 100";
      if (level < 0 || level > 100) return "dim level must be from 0 to 100";
    }
    std::string name = JoinWords(words, 1, name_end);
    if (name.empty()) return "missing switch name";
    int rc = house.SetSwitchStatus(name, status, level, by);
    return rc == kOk ? std::string() : Failure(rc, "switch", name);
  }
  if (verb == "sensor") {
    if (n < 3) return "usage: sensor <name> <status> [value]";
    const bool value_at_end = n >= 4 && IsNumber(words[n - 1]) &&
                              (IsNumber(words[n - 2]) || SensorStatusWord(words[n - 2]) >= 0);
    const size_t status_index = NameEnd(parsed, value_at_end ? n - 2 : n - 1);
    if (n - status_index > 2) return Unexpected(words, status_index + 2);
    double value = 0;
    if (n - status_index == 2 && !ParseNumber(words[n - 1], &value)) {
      return Unexpected(words, n - 1);
    }
    double code = 0;
    int status = SensorStatusWord(words[status_index]);
    if (status < 0) {
      if (!ParseNumber(words[status_index], &code) || code < 0 || code > 255) {
        return "unknown sensor status \"" + words[status_index] + "\"";
      }
      status = static_cast<int>(code);
    }
    std::string name = JoinWords(words, 1, status_index);
    if (name.empty()) return "missing sensor name";
    int rc = house.SetSensorStatus(name, static_cast<uint32_t>(status), value, by);
    return rc == kOk ? std::string() : Failure(rc, "sensor", name);
  }
  if (verb == "macro") {
    if (n < 3) return "usage: macro <name> run|stop|enable|disable";
    const size_t name_end = NameEnd(parsed, n - 1);
    if (n - name_end > 1) return Unexpected(words, name_end);
    std::string action = Lower(words[n - 1]);
    uint32_t status;
    if (action == "run" || action == "start") {
      status = kMacroRunning;
    } else if (action == "stop" || action == "enable") {
      status = kMacroMonitoring;
    } else if (action == "disable") {
      status = kMacroDisabled;
    } else {
      return "unknown macro action \"" + action + "\"";
    }
    std::string name = JoinWords(words, 1, n - 1);
    int rc = house.SetMacroStatus(name, status, by);
    return rc == kOk ? std::string() : Failure(rc, "macro", name);
  }
  if (verb == "mode") {
    bool on = false;
    if (n < 3 || !OnOff(words[n - 1], &on)) return "usage: mode <name> on|off";
    const size_t name_end = NameEnd(parsed, n - 1);
    if (n - name_end > 1) return Unexpected(words, name_end);
    std::string name = JoinWords(words, 1, n - 1);
    int rc = house.SetModeStatus(name, on, by);
    return rc == kOk ? std::string() : Failure(rc, "mode", name);
  }
  if (verb == "x10") {
    if (n < 3) return "usage: x10 <address> <function> [level]";
    X10Address address;
    uint32_t unit = 255;
    if (words[1].size() == 1) {
      char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(words[1][0])));
      if (letter < 'A' || letter > 'P') return "bad X10 address \"" + words[1] + "\"";
      address.house = letter - 'A';
    } else if (ParseX10Address(words[1], &address)) {
      unit = static_cast<uint32_t>(address.unit);
    } else {
      return "bad X10 address \"" + words[1] + "\"";
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
    std::string function_word = Lower(words[2]);
    for (const auto& f : kFunctions) {
      if (function_word != f.word) continue;
      double level = 0;
      if (n >= 4 && (!ParseNumber(words[3], &level) || level < 0 || level > 100)) {
        return "level must be from 0 to 100";
      }
      house.SendX10(static_cast<uint32_t>(address.house), unit, f.code,
                    static_cast<uint32_t>(level), by);
      return {};
    }
    return "unknown X10 function \"" + words[2] + "\"";
  }
  if (verb == "snap") {
    if (n < 2) return "usage: snap <video source>";
    const size_t name_end = NameEnd(parsed, n);
    if (n > name_end) return Unexpected(words, name_end);
    std::string name = JoinWords(words, 1, n);
    int rc = house.Snap(name, by);
    return rc == kOk ? std::string() : Failure(rc, "video source", name);
  }
  if (verb == "lightdark" || verb == "pause" || verb == "mute") {
    bool on = false;
    if (n != 2 || !OnOff(words[1], &on)) {
      return verb == "lightdark" ? "usage: lightdark day|night" : "usage: " + verb + " on|off";
    }
    if (verb == "lightdark") house.SetLightDark(on, by);
    if (verb == "pause") house.SetPause(on, by);
    if (verb == "mute") house.SetMute(on, by);
    return {};
  }
  return "unknown command \"" + words[0] + "\"";
}

}  // namespace

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  for (Word& word : SplitLine(line)) words.push_back(std::move(word.text));
  return words;
}

bool RunCommandLine(House& house, const std::string& raw, const std::string& by,
                    CommandResult* result) {
  std::string line = Trim(raw);
  if (line.empty() || line[0] == '#' || line[0] == ';') return false;
  std::vector<Word> words = SplitLine(line);
  if (words.empty()) return false;
  std::string reason = Execute(house, words, line, by);
  result->ok = reason.empty();
  result->line = result->ok ? "OK " + line : "ERROR " + line + ": " + reason;
  return true;
}

std::string RunCommandFile(House& house, const std::string& text, const std::string& by,
                           size_t max_bytes) {
  static const char kCut[] = "ERROR response cut: too many commands\r\n";
  std::string response;
  bool cut = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    CommandResult result;
    if (!RunCommandLine(house, line, by, &result)) continue;
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
