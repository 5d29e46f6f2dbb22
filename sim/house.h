// House: the live house a simulator serves. It owns the items, the stored activity log and the
// pictures' index, applies every change the clients, the command language, the console and the
// animation ask for, and tells its one listener about each change so the server can push it.
// Single-threaded: everything runs on the server's loop.
#ifndef HV_SIM_HOUSE_H_
#define HV_SIM_HOUSE_H_

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/status.h"
#include "sim/house_data.h"
#include "sim/sim_clock.h"

namespace hv::sim {

struct LogEntry {
  uint32_t entry_type = kEntryInfo;
  std::string name;
  std::string message;
  std::string path;
  uint32_t function_code = kNoFunction;
  double value = 0;
  uint32_t extra = 0;
  std::string date_text;  // "%m/%d/%Y", filled by the house
  std::string time_text;  // "%I:%M:%S %p", filled by the house
  uint32_t detail1 = 0;
  uint32_t detail2 = 0;
};

// One still picture or recorded clip of a video source. Pictures are drawn on demand from
// these facts, so the house keeps no picture bytes.
struct Snapshot {
  std::string source;
  std::string picture_path;
  uint32_t time_stamp = 0;
  uint32_t serial = 0;  // 0: not one the house took (redrawn from what a client knows)
  // A recording's snapshot also names its clip.
  bool is_clip = false;
  std::string clip_path;
};

// Told about every change, after it has been applied.
class HouseListener {
 public:
  virtual ~HouseListener() = default;
  virtual void OnSwitchStatus(const SwitchItem& item) = 0;
  virtual void OnSensorStatus(const SensorItem& item) = 0;
  virtual void OnMacroStatus(const MacroItem& item) = 0;
  virtual void OnModeStatus(const ModeItem& item) = 0;
  virtual void OnLightDark(bool dark) = 0;
  virtual void OnPause(bool paused) = 0;
  virtual void OnMute(bool muted) = 0;
  virtual void OnLogEntry(const LogEntry& entry) = 0;
  virtual void OnSnapshot(const Snapshot& snapshot) = 0;
};

class House {
 public:
  static constexpr size_t kDefaultLogCapacity = 1000;
  static constexpr size_t kSnapshotsPerSource = 200;

  // `clock` must outlive the house.
  House(HouseData data, const SimClock& clock, size_t log_capacity = kDefaultLogCapacity);
  House(const House&) = delete;
  House& operator=(const House&) = delete;

  // Null detaches. The listener must outlive the house or be detached first.
  void SetListener(HouseListener* listener) { listener_ = listener; }

  bool CheckLogin(const std::string& user, const std::string& password) const;

  const HouseData& data() const { return data_; }

  // Lookups match the exact name first, then the name without regard to case. Null when absent.
  const SwitchItem* FindSwitch(const std::string& name) const;
  const SensorItem* FindSensor(const std::string& name) const;
  const MacroItem* FindMacro(const std::string& name) const;
  const ModeItem* FindMode(const std::string& name) const;
  const VideoSource* FindVideoSource(const std::string& name) const;

  // Changes. Each fails with kNotFound (where kSim, its message naming the missing item) when
  // the item does not exist, and is declined when the house refuses the change (for example a
  // macro start while macros are paused). `by` names who asked (a user name, "command file",
  // "console"); empty for the house itself.
  // Switch statuses: 2 on, 3 off, 4 dim (value = level 0..100), 5 bright, 16 toggle.
  [[nodiscard]] Status SetSwitchStatus(const std::string& name, uint32_t status, double value,
                                       const std::string& by);
  [[nodiscard]] Status SetSensorStatus(const std::string& name, uint32_t status, double value,
                                       const std::string& by);
  // 1 disable, 2 monitor (stops a run), 3 start a run of the macro's length.
  [[nodiscard]] Status SetMacroStatus(const std::string& name, uint32_t status,
                                      const std::string& by);
  [[nodiscard]] Status SetModeStatus(const std::string& name, bool active, const std::string& by);
  void SetLightDark(bool dark, const std::string& by);
  void SetPause(bool paused, const std::string& by);
  void SetMute(bool muted, const std::string& by);

  // Logs the code and applies it to the switches at that address (unit 255 = every unit of the
  // house code). Returns how many switches changed.
  int SendX10(uint32_t house_code, uint32_t unit, uint32_t function, uint32_t dim,
              const std::string& by);
  // Logs a camera motion; fails with kNotFound for an unknown source.
  [[nodiscard]] Status VideoMotion(const std::string& source, uint32_t code, uint32_t repeat,
                                   const std::string& by);
  void UserMessage(const std::string& text, const std::string& by);
  // Takes a new picture of the source; fails with kNotFound for an unknown source.
  [[nodiscard]] Status Snap(const std::string& source, const std::string& by);
  // Start marks the source as recording; stop makes a clip entry (declined when it was not
  // recording). Both fail with kNotFound for an unknown source.
  [[nodiscard]] Status StartRecord(const std::string& source, const std::string& by);
  [[nodiscard]] Status StopRecord(const std::string& source, const std::string& by);

  // Stores (dating it) and announces an entry.
  void AddLog(LogEntry entry);
  // An entry that says only who or what and what happened.
  void AddLog(uint32_t entry_type, std::string name, std::string message);

  // Ends the macro runs whose time has come. Call from the loop.
  void Tick();
  // The monotonic time of the next macro run end, or UINT64_MAX.
  uint64_t NextDeadlineMs() const;

  // The newest `max` stored entries, oldest first.
  std::vector<LogEntry> RecentLog(size_t max) const;
  // The newest `max` pictures of the source, oldest first.
  std::vector<Snapshot> RecentSnapshots(const std::string& source, size_t max) const;
  // A picture by its path (any source); null when unknown.
  const Snapshot* FindSnapshot(const std::string& picture_path) const;

  size_t log_size() const { return log_.size(); }
  const SimClock& clock() const { return clock_; }

 private:
  SwitchItem* MutableSwitch(const std::string& name);
  SensorItem* MutableSensor(const std::string& name);
  MacroItem* MutableMacro(const std::string& name);
  ModeItem* MutableMode(const std::string& name);
  void ApplySwitch(SwitchItem& item, uint32_t status, double value, const std::string& by);
  void EndRun(MacroItem& macro, const char* why);
  Snapshot& AddSnapshot(const std::string& source, bool is_clip, uint32_t time_stamp);

  HouseData data_;
  const SimClock& clock_;
  size_t log_capacity_;
  HouseListener* listener_ = nullptr;
  std::deque<LogEntry> log_;
  std::deque<Snapshot> snapshots_;
  std::vector<std::string> recording_;  // sources being recorded
  uint32_t next_serial_ = 1;
};

}  // namespace hv::sim

#endif  // HV_SIM_HOUSE_H_
