#include "client/history/history_recorder.h"

#include <utility>
#include <variant>

#include "client/protocol/activity_log.h"

namespace hv::history {

HistoryRecorder::HistoryRecorder(StoreOpener opener, cActivityLog* log,
                                 std::function<int64_t()> now_ms)
    : opener_(std::move(opener)), log_(log), now_ms_(std::move(now_ms)) {
  if (!now_ms_) now_ms_ = SystemNowMs;
}

HistoryRecorder::~HistoryRecorder() = default;

void HistoryRecorder::Apply(const HistorySettings& settings) {
  settings_ = settings;
  if (!settings_.record) {
    writer_.reset();  // writes what was queued before recording was turned off
    return;
  }
  if (writer_ != nullptr) {
    writer_->SetLimits(settings_.limits);
  } else if (!house_key_.empty()) {
    OpenWriter();
  }
}

// The writer opens the store on its own thread: the window never waits for the file (a
// large WAL to replay, a damaged file to set aside). A store that cannot be opened is told
// by the writer's notice, once for the house.
void HistoryRecorder::OpenWriter() {
  writer_.reset();
  if (!settings_.record || house_key_.empty()) return;
  HistoryWriterOptions options;
  options.limits = settings_.limits;
  options.now_ms = now_ms_;
  options.spill_folder = spill_folder_;
  writer_ = std::make_unique<HistoryWriter>(
      [opener = opener_, house = house_key_](Status*) { return opener(house); },
      std::move(options));
}

void HistoryRecorder::Poll() {
  if (writer_ == nullptr || log_ == nullptr) return;
  for (const std::string& notice : writer_->TakeNotices()) {
    AddLogEntryOrDrop(*log_, MakeClientEntry(kEntryError, 0, 5, "History", notice.c_str()), true,
                      true);
  }
}

void HistoryRecorder::Flush() {
  if (writer_ != nullptr) writer_->Flush();
  Poll();
}

void HistoryRecorder::ConnectionStarted(const std::string& house_key) {
  if (house_key == house_key_ && writer_ != nullptr) {
    // A reconnection: the connection was lost after the last answer, and nothing was known
    // from then until now.
    if (last_answer_ms_ > 0) writer_->EndReceiving(last_answer_ms_);
    last_answer_ms_ = 0;
    writer_->StartSession();
    return;
  }
  last_answer_ms_ = 0;
  house_key_ = house_key;
  OpenWriter();
}

void HistoryRecorder::ConnectionEnded() {
  if (writer_ != nullptr && last_answer_ms_ > 0) writer_->EndReceiving(now_ms_());
  last_answer_ms_ = 0;  // the next connection's start has no loss of its own to mark
}

void HistoryRecorder::ClientEntryAdded(const LogItemRecord& entry, const std::string& house_key) {
  if (writer_ == nullptr && house_key_.empty() && !house_key.empty()) {
    house_key_ = house_key;
    OpenWriter();
  }
  if (writer_ == nullptr) return;
  LogRow row = RowOf(entry);
  row.date_text.clear();
  row.time_text.clear();
  writer_->Add(std::move(row));
}

LogRow HistoryRecorder::RowOf(const LogItemRecord& entry) const {
  LogRow row;
  row.at_ms = now_ms_();
  row.entry_type = entry.entry_type;
  row.name = entry.name.CStr();
  row.message = entry.message.CStr();
  row.path = entry.path.CStr();
  row.function_code = entry.function_code;
  row.value = entry.value;
  row.extra = entry.extra;
  row.date_text = entry.date_text.CStr();
  row.time_text = entry.time_text.CStr();
  row.detail1 = entry.detail1;
  row.detail2 = entry.detail2;
  return row;
}

void HistoryRecorder::AddSample(ItemKind kind, const char* name, int32_t status, double value) {
  // An empty name ends an item list; it is no item.
  if (writer_ == nullptr || name[0] == '\0') return;
  writer_->Add(kind, name, now_ms_(), status, value);
}

// Switches and sensors, listed or changed, carry a status and a value alike.
template <class Record>
void HistoryRecorder::AddValued(ItemKind kind, const Record& record) {
  AddSample(kind, record.name.CStr(), static_cast<int32_t>(record.status), record.value);
}

// Macros carry a status and no value.
template <class Record>
void HistoryRecorder::AddStatus(ItemKind kind, const Record& record) {
  AddSample(kind, record.name.CStr(), static_cast<int32_t>(record.status), 0.0);
}

void HistoryRecorder::AnswerReceived(const Answer& answer) {
  if (writer_ == nullptr) return;
  std::visit(
      AnswerVisitor{
          [this](const LogItemRecord& r) { writer_->Add(RowOf(r)); },
          [this](const SwitchRecord& r) { AddValued(ItemKind::kSwitch, r); },
          [this](const SwitchStatusRecord& r) { AddValued(ItemKind::kSwitch, r); },
          [this](const SensorItemRecord& r) { AddValued(ItemKind::kSensor, r); },
          [this](const SensorStatusRecord& r) { AddValued(ItemKind::kSensor, r); },
          [this](const MacroRecord& r) { AddStatus(ItemKind::kMacro, r); },
          [this](const MacroStatusRecord& r) { AddStatus(ItemKind::kMacro, r); },
          [this](const ModeRecord& r) { AddSample(ItemKind::kMode, r.name.CStr(), r.state, 0.0); },
          [this](const ModeStatusRecord& r) {
            AddSample(ItemKind::kMode, r.name.CStr(), r.state, 0.0);
          },
          // The history keeps the house's items and its log; the rest are facts of the moment
          // or requests of the desktop.
          AnswerKinds<ControlFileNameRecord, ClientQtyRecord, LightDarkRecord, PauseStateRecord,
                      MuteStateRecord, ServerTimeRecord, DawnDuskRecord, VideoSourceRecord,
                      ThumbnailAnswer, ServerMessageRecord, LaunchProgramRecord,
                      CommandResponseStoredRecord, ConnectionEndedRecord>([](const auto&) {}),
      },
      answer);
  last_answer_ms_ = now_ms_();
}

}  // namespace hv::history
