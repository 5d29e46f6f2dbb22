#include "sim/house.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <utility>

#include "core/status.h"
#include "core/string/clock_text.h"

namespace hv::sim {
namespace {

template <typename T>
T* FindByName(std::vector<T>& items, const std::string& name) {
  for (T& item : items) {
    if (item.name == name) return &item;
  }
  for (T& item : items) {
    if (strcasecmp(item.name.c_str(), name.c_str()) == 0) return &item;
  }
  return nullptr;
}

// The status of a change asked of an item the house does not have.
Status NotFound(const char* kind, const std::string& name) {
  return Status(Where::kSim, kNotFound, std::string("no ") + kind + " named \"" + name + "\"");
}

std::string ByText(const std::string& by) { return by.empty() ? std::string() : " by " + by; }

std::string FormatLocal(int64_t seconds, const char* format) {
  return hv::FormatLocalClock(seconds, format);
}

// Source names become part of a file name, so only letters and digits survive.
std::string FileSafe(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) out += c;
  }
  return out.empty() ? std::string("Camera") : out;
}

const char* MotionName(uint32_t code) {
  static const char* const kNames[] = {
      "pan left",      "pan right",     "pan up",         "pan down",
      "center",        "sweep",         "position 1",     "position 2",
      "position 3",    "position 4",    "program pos 1",  "program pos 2",
      "program pos 3", "program pos 4", "program center", "program sweep"};
  return code < std::size(kNames) ? kNames[code] : "unknown motion";
}

}  // namespace

House::House(HouseData data, const SimClock& clock, size_t log_capacity)
    : data_(std::move(data)), clock_(clock), log_capacity_(std::max<size_t>(log_capacity, 1)) {
  // A fresh house already has a few pictures per camera so a client has something to show.
  int64_t now = clock_.WallSeconds();
  for (const VideoSource& source : data_.video_sources) {
    for (int age_minutes : {30, 20, 10}) {
      AddSnapshot(source.name, false, static_cast<uint32_t>(now - age_minutes * 60));
    }
  }
  // Startup macros run once when the server starts, as a real server's do.
  for (MacroItem& macro : data_.macros) {
    if (macro.startup && macro.status == kMacroMonitoring) macro.status = kMacroRunning;
    if (macro.status == kMacroRunning) macro.run_ends_at_ms = clock_.NowMs() + macro.run_ms;
  }
}

bool House::CheckLogin(const std::string& user, const std::string& password) const {
  for (const UserAccount& account : data_.users) {
    // User names are matched without regard to case, as people type them; passwords exactly.
    if (strcasecmp(account.name.c_str(), user.c_str()) == 0 && account.password == password) {
      return true;
    }
  }
  return false;
}

const SwitchItem* House::FindSwitch(const std::string& name) const {
  return FindByName(const_cast<std::vector<SwitchItem>&>(data_.switches), name);
}
const SensorItem* House::FindSensor(const std::string& name) const {
  return FindByName(const_cast<std::vector<SensorItem>&>(data_.sensors), name);
}
const MacroItem* House::FindMacro(const std::string& name) const {
  return FindByName(const_cast<std::vector<MacroItem>&>(data_.macros), name);
}
const ModeItem* House::FindMode(const std::string& name) const {
  return FindByName(const_cast<std::vector<ModeItem>&>(data_.modes), name);
}
const VideoSource* House::FindVideoSource(const std::string& name) const {
  return FindByName(const_cast<std::vector<VideoSource>&>(data_.video_sources), name);
}
SwitchItem* House::MutableSwitch(const std::string& name) {
  return FindByName(data_.switches, name);
}
SensorItem* House::MutableSensor(const std::string& name) {
  return FindByName(data_.sensors, name);
}
MacroItem* House::MutableMacro(const std::string& name) { return FindByName(data_.macros, name); }
ModeItem* House::MutableMode(const std::string& name) { return FindByName(data_.modes, name); }

void House::ApplySwitch(SwitchItem& item, uint32_t status, double value, const std::string& by) {
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, 0.0, 100.0);
  const char* what = nullptr;
  switch (status) {
    case kOn:
      item.status = kOn;
      item.value = 100;
      what = "Turned on";
      break;
    case kOff:
      item.status = kOff;
      item.value = 0;
      what = "Turned off";
      break;
    case kDim:
    case kPresetDim:
      item.status = value <= 0 ? kOff : kDim;
      item.value = value;
      what = "Dimmed";
      break;
    case kBright: {
      double level = (item.status == kOff ? 0 : item.value) + (value > 0 ? value : 10);
      item.value = std::min(level, 100.0);
      item.status = item.value >= 100 ? kOn : kDim;
      what = "Brightened";
      break;
    }
    case kToggle: ApplySwitch(item, item.status == kOff ? kOn : kOff, value, by); return;
    default:
      item.status = status;
      item.value = value;
      what = "Set";
      break;
  }
  if (listener_ != nullptr) listener_->OnSwitchStatus(item);
  LogEntry entry;
  entry.entry_type = kEntrySwitch;
  entry.name = item.name;
  entry.message = what + ByText(by);
  entry.path = item.address.IsSet() ? FormatX10Address(item.address) : std::string("IO");
  entry.function_code = item.status;
  entry.value = item.status == kDim ? item.value : 0;
  AddLog(std::move(entry));
}

Status House::SetSwitchStatus(const std::string& name, uint32_t status, double value,
                              const std::string& by) {
  SwitchItem* item = MutableSwitch(name);
  if (item == nullptr) return NotFound("switch", name);
  ApplySwitch(*item, status, value, by);
  return Status::Ok();
}

Status House::SetSensorStatus(const std::string& name, uint32_t status, double value,
                              const std::string& by) {
  SensorItem* item = MutableSensor(name);
  if (item == nullptr) return NotFound("sensor", name);
  if (!std::isfinite(value)) value = 0;
  item->status = status;
  item->value = value;
  if (listener_ != nullptr) listener_->OnSensorStatus(*item);
  LogEntry entry;
  entry.entry_type = item->role == SensorRole::kTemperature ? kEntryTemperature
                     : item->kind == kX10Sensor             ? kEntryX10Sensor
                                                            : kEntrySensor;
  entry.name = item->name;
  entry.message = "Sensor changed" + ByText(by);
  entry.path = item->address.IsSet() ? FormatX10Address(item->address) : std::string("IO");
  entry.function_code = status;
  entry.value = value;
  AddLog(std::move(entry));
  return Status::Ok();
}

Status House::SetMacroStatus(const std::string& name, uint32_t status, const std::string& by) {
  MacroItem* macro = MutableMacro(name);
  if (macro == nullptr) return NotFound("macro", name);
  LogEntry entry;
  entry.entry_type = kEntryMacro;
  entry.name = macro->name;
  switch (status) {
    case kMacroRunning:
      if (macro->status == kMacroDisabled || data_.facts.paused) {
        entry.entry_type = kEntryWarning;
        entry.message = data_.facts.paused ? "Not started: macros are paused"
                                           : "Not started: the macro is disabled";
        if (listener_ != nullptr) listener_->OnMacroStatus(*macro);
        AddLog(std::move(entry));
        return Status::Declined(Where::kSim);
      }
      macro->status = kMacroRunning;
      macro->run_ends_at_ms = clock_.NowMs() + macro->run_ms;
      entry.message = "Started" + ByText(by);
      break;
    case kMacroMonitoring:
      if (macro->status == kMacroRunning) {
        EndRun(*macro, ("Stopped" + ByText(by)).c_str());
        return Status::Ok();
      }
      macro->status = kMacroMonitoring;
      entry.message = "Enabled" + ByText(by);
      break;
    case kMacroDisabled:
      macro->status = kMacroDisabled;
      macro->run_ends_at_ms = 0;
      entry.message = "Disabled" + ByText(by);
      break;
    default: return Status::Declined(Where::kSim);
  }
  if (listener_ != nullptr) listener_->OnMacroStatus(*macro);
  AddLog(std::move(entry));
  return Status::Ok();
}

void House::EndRun(MacroItem& macro, const char* why) {
  macro.status = kMacroMonitoring;
  macro.run_ends_at_ms = 0;
  if (listener_ != nullptr) listener_->OnMacroStatus(macro);
  AddLog(kEntryMacro, macro.name, why);
}

Status House::SetModeStatus(const std::string& name, bool active, const std::string& by) {
  ModeItem* mode = MutableMode(name);
  if (mode == nullptr) return NotFound("mode", name);
  mode->active = active;
  if (listener_ != nullptr) listener_->OnModeStatus(*mode);
  AddLog(kEntrySetMode, mode->name, (active ? "Activated" : "Deactivated") + ByText(by));
  return Status::Ok();
}

void House::SetLightDark(bool dark, const std::string& by) {
  data_.facts.dark = dark;
  if (listener_ != nullptr) listener_->OnLightDark(dark);
  AddLog(kEntryInfo, "Light/Dark", (dark ? "Set to night" : "Set to day") + ByText(by));
}

void House::SetPause(bool paused, const std::string& by) {
  data_.facts.paused = paused;
  if (listener_ != nullptr) listener_->OnPause(paused);
  AddLog(paused ? kEntryWarning : kEntryInfo, "Pause",
         (paused ? "All macro activity paused" : "Macro activity resumed") + ByText(by));
  if (paused) {
    for (MacroItem& macro : data_.macros) {
      if (macro.status == kMacroRunning) EndRun(macro, "Stopped: macros paused");
    }
  }
}

void House::SetMute(bool muted, const std::string& by) {
  data_.facts.muted = muted;
  if (listener_ != nullptr) listener_->OnMute(muted);
  AddLog(kEntryInfo, "Mute", (muted ? "Server muted" : "Server unmuted") + ByText(by));
}

int House::SendX10(uint32_t house_code, uint32_t unit, uint32_t function, uint32_t dim,
                   const std::string& by) {
  LogEntry entry;
  entry.name = "X10";
  bool whole_house = unit == 255 || function == kAllUnitsOff || function == kAllLightsOn ||
                     function == kAllLightsOff;
  if (house_code < 16) {
    entry.path = std::string(1, static_cast<char>('A' + house_code));
    if (!whole_house && unit < 16) entry.path += std::to_string(unit + 1);
  } else {
    entry.path = "?";
  }
  entry.message = "X10 code sent" + ByText(by);
  entry.function_code = function;
  entry.value = dim;
  AddLog(std::move(entry));
  if (house_code >= 16) return 0;

  uint32_t effect = function;
  if (function == kAllUnitsOff || function == kAllLightsOff) effect = kOff;
  if (function == kAllLightsOn) effect = kOn;
  if (effect != kOn && effect != kOff && effect != kDim && effect != kBright &&
      effect != kPresetDim && effect != kToggle) {
    return 0;
  }
  int changed = 0;
  for (SwitchItem& item : data_.switches) {
    if (!item.address.IsSet() || item.address.house != static_cast<int>(house_code)) continue;
    if (!whole_house && item.address.unit != static_cast<int>(unit)) continue;
    ApplySwitch(item, effect, dim, by);
    ++changed;
  }
  return changed;
}

Status House::VideoMotion(const std::string& source, uint32_t code, uint32_t repeat,
                          const std::string& by) {
  const VideoSource* video = FindVideoSource(source);
  if (video == nullptr) return NotFound("video source", source);
  LogEntry entry;
  entry.entry_type = kEntryVideo;
  entry.name = video->name;
  entry.message = std::string("Camera motion: ") + MotionName(code) + " x" +
                  std::to_string(repeat) + ByText(by);
  entry.extra = code;
  AddLog(std::move(entry));
  return Status::Ok();
}

void House::UserMessage(const std::string& text, const std::string& by) {
  AddLog(kEntryUserMessage, by.empty() ? std::string("User") : by, text);
}

Snapshot& House::AddSnapshot(const std::string& source, bool is_clip, uint32_t time_stamp) {
  Snapshot shot;
  shot.source = source;
  shot.is_clip = is_clip;
  shot.time_stamp = time_stamp;
  shot.serial = next_serial_++;
  std::string stem = FileSafe(source) + "-" + FormatLocal(time_stamp, "%Y%m%d-%H%M%S") + "-" +
                     std::to_string(shot.serial);
  shot.picture_path = "C:\\Varnholt\\Pictures\\" + stem + ".jpg";
  if (is_clip) shot.clip_path = "C:\\Varnholt\\Clips\\" + stem + ".avi";
  snapshots_.push_back(std::move(shot));
  // Keep each source's pictures bounded so a long run does not grow without end.
  size_t count = 0;
  for (const Snapshot& s : snapshots_) count += s.source == source ? 1 : 0;
  if (count > kSnapshotsPerSource) {
    for (auto it = snapshots_.begin(); it != snapshots_.end(); ++it) {
      if (it->source == source) {
        snapshots_.erase(it);
        break;
      }
    }
  }
  return snapshots_.back();
}

Status House::Snap(const std::string& source, const std::string& by) {
  const VideoSource* video = FindVideoSource(source);
  if (video == nullptr) return NotFound("video source", source);
  Snapshot shot = AddSnapshot(video->name, false, static_cast<uint32_t>(clock_.WallSeconds()));
  if (listener_ != nullptr) listener_->OnSnapshot(shot);
  LogEntry entry;
  entry.entry_type = kEntryVideo;
  entry.name = video->name;
  entry.message = "Picture taken" + ByText(by);
  entry.path = shot.picture_path;
  AddLog(std::move(entry));
  return Status::Ok();
}

Status House::StartRecord(const std::string& source, const std::string& by) {
  const VideoSource* video = FindVideoSource(source);
  if (video == nullptr) return NotFound("video source", source);
  if (std::find(recording_.begin(), recording_.end(), video->name) == recording_.end()) {
    recording_.push_back(video->name);
  }
  AddLog(kEntryVideo, video->name, "Recording started" + ByText(by));
  return Status::Ok();
}

Status House::StopRecord(const std::string& source, const std::string& by) {
  const VideoSource* video = FindVideoSource(source);
  if (video == nullptr) return NotFound("video source", source);
  auto it = std::find(recording_.begin(), recording_.end(), video->name);
  LogEntry entry;
  entry.entry_type = kEntryVideo;
  entry.name = video->name;
  if (it == recording_.end()) {
    entry.entry_type = kEntryWarning;
    entry.message = "Stop record: the source was not recording";
    AddLog(std::move(entry));
    return Status::Declined(Where::kSim);
  }
  recording_.erase(it);
  Snapshot clip = AddSnapshot(video->name, true, static_cast<uint32_t>(clock_.WallSeconds()));
  if (listener_ != nullptr) listener_->OnSnapshot(clip);
  entry.message = "Recording stopped" + ByText(by);
  entry.path = clip.clip_path;
  AddLog(std::move(entry));
  return Status::Ok();
}

void House::AddLog(uint32_t entry_type, std::string name, std::string message) {
  LogEntry entry;
  entry.entry_type = entry_type;
  entry.name = std::move(name);
  entry.message = std::move(message);
  AddLog(std::move(entry));
}

void House::AddLog(LogEntry entry) {
  int64_t now = clock_.WallSeconds();
  entry.date_text = FormatLocal(now, "%m/%d/%Y");
  entry.time_text = FormatLocal(now, "%I:%M:%S %p");
  log_.push_back(std::move(entry));
  while (log_.size() > log_capacity_) log_.pop_front();
  if (listener_ != nullptr) listener_->OnLogEntry(log_.back());
}

void House::Tick() {
  uint64_t now = clock_.NowMs();
  for (MacroItem& macro : data_.macros) {
    if (macro.status == kMacroRunning && macro.run_ends_at_ms <= now) EndRun(macro, "Finished");
  }
}

uint64_t House::NextDeadlineMs() const {
  uint64_t next = UINT64_MAX;
  for (const MacroItem& macro : data_.macros) {
    if (macro.status == kMacroRunning) next = std::min(next, macro.run_ends_at_ms);
  }
  return next;
}

std::vector<LogEntry> House::RecentLog(size_t max) const {
  size_t count = std::min(max, log_.size());
  return std::vector<LogEntry>(log_.end() - static_cast<std::ptrdiff_t>(count), log_.end());
}

std::vector<Snapshot> House::RecentSnapshots(const std::string& source, size_t max) const {
  std::vector<Snapshot> out;
  for (auto it = snapshots_.rbegin(); it != snapshots_.rend() && out.size() < max; ++it) {
    if (it->source == source) out.push_back(*it);
  }
  std::reverse(out.begin(), out.end());
  return out;
}

const Snapshot* House::FindSnapshot(const std::string& picture_path) const {
  for (const Snapshot& s : snapshots_) {
    if (s.picture_path == picture_path) return &s;
  }
  return nullptr;
}

}  // namespace hv::sim
