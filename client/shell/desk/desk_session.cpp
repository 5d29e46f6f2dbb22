#include "client/shell/desk/desk_session.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <variant>

#include "client/picture/bitmap.h"
#include "client/protocol/protocol_context.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/protocol/session_requests.h"
#include "client/protocol/video_requests.h"
#include "client/shell/app/program_flags.h"
#include "client/shell/desk/desk_texts.h"
#include "client/shell/desk/house_desk_layout.h"
#include "client/shell/desk/tab_arrangement.h"
#include "client/shell/setup/client_settings.h"
#include "client/ui/window.h"
#include "client/views/log/activity_items.h"
#include "client/views/video/thumbnail_decoder.h"
#include "client/views/video/video_thumbnails.h"
#include "client/views/view_feeds.h"
#include "core/status.h"

namespace hv {

namespace {

// Hands something to every view whose feed is Feed. Each view reports its own trouble (a
// request it could not send becomes an activity entry; a list that could not grow starts
// afresh and fills again on the next refresh), and one view's trouble must not stop the
// others or cost the connection, so their statuses end here.
template <class Feed, class Op>
void HandToEveryView(cTabArrangement& arrangement, Op op) {
  arrangement.ForEachFeed<Feed>(
      [&op](Feed& feed) { op(feed).Ignore("each view reports its own trouble"); });
}

}  // namespace

cDeskSession::cDeskSession(const cDeskSessionServices& services, cTabArrangement& views)
    : services_(services),
      views_(views),
      thumbnail_decoder_(std::make_unique<cThumbnailDecoder>(
          *services.event_loop, services.thumbnail_decode_threads,
          [this](const ThumbnailRecord& record, cBitmap& picture) {
            ShowThumbnail(record, picture);
          })) {
  services_.context->SetTransferNotice([this](cTransferState state) {
    ShowTraffic(state == cTransferState::kSending     ? ">"
                : state == cTransferState::kReceiving ? "<"
                                                      : "");
  });
}

cDeskSession::~cDeskSession() { Close(); }

void cDeskSession::Close() {
  if (phase_ == eDeskPhase::kClosed) return;
  phase_ = eDeskPhase::kClosed;
  services_.context->SetTransferNotice(nullptr);
}

bool cDeskSession::Connected() const { return services_.connection->IsConnected(); }

Status cDeskSession::Send(const char* failure,
                          const std::function<Status(cRemoteClientSocket*)>& send) {
  return SendReportingFailure(*services_.connection, services_.log, failure, send);
}

Status cDeskSession::SendCommand(const char* failure,
                                 const std::function<Status(cRemoteClientSocket*)>& send) {
  if (!Connected()) {
    ReportRequestFailure(services_.log, failure);
    return Status(Where::kProtocol, kNotConnected);
  }
  return Send(failure, send);
}

void cDeskSession::SetText(int32_t id, const char* text) {
  if (window_ == nullptr) return;
  if (cControl* control = window_->Control(id)) control->SetText(text);
}

void cDeskSession::SetCheck(int32_t id, uint16_t on) {
  if (window_ == nullptr) return;
  if (cButton* box = window_->Button(id)) box->SetCheck(on != 0 ? 1 : 0);
}

void cDeskSession::ShowConnectionText(const swString& control_file) {
  const cClientSettings& settings = *services_.settings;
  connection_text_ = control_file.GetLength() == 0
                         ? ConnectionText(settings.address, settings.port)
                         : ConnectionText(settings.address, settings.port, control_file);
  SetText(desk::kConnectionText, connection_text_.CStr());
}

void cDeskSession::ShowTraffic(const char* mark) {
  traffic_text_ = mark;
  SetText(desk::kTrafficIndicator, mark);
}

void cDeskSession::ComposeTitle() {
  if (window_ != nullptr) {
    window_->SetTitle(ComposeDeskTitle(traffic_text_, connection_text_, Connected()).CStr());
  }
}

void cDeskSession::RequestListItems() {
  views_.ForEachList(true, [](cListViewFeed& list) {
    list.RequestItems().Ignore("each view reports its own trouble");
  });
}

void cDeskSession::RequestVideo() {
  Send(failure::kGetVideoSources, SendGetVideoSources).Ignore(kSendFailureReported);
  const uint32_t snapshots = static_cast<uint32_t>(services_.settings->max_snapshots);
  Send(failure::kGetThumbnails, [snapshots](cRemoteClientSocket* s) {
    return SendGetThumbnails(s, snapshots);
  }).Ignore(kSendFailureReported);
}

Status cDeskSession::RefreshVideo() {
  views_.RemoveVideoTabs();
  if (Connected()) RequestVideo();
  Status status;
  views_.ForEachFeed<cVideoFeed>([&status](cVideoFeed& feed) {
    if (status.failed()) return;
    Status restored = feed.RestoreWindowState();
    if (restored.failed()) status = std::move(restored);
  });
  return status;
}

Status cDeskSession::Reconnect() {
  cClientSettings& settings = *services_.settings;
  if (settings.address.GetLength() != 0) {
    services_.connection->Disconnect().Ignore("not connected is as good as disconnected");
    const Status status =
        services_.connection->Connect(settings.address.CStr(), static_cast<uint32_t>(settings.port),
                                      settings.user_name.CStr(), settings.password.CStr());
    if (status.failed()) {
      ComposeTitle();
      ShowServerTime();
      return status;
    }
  }
  views_.ForEachList(false, [](cListViewFeed& list) { list.EmptyList(); });
  RequestListItems();
  if (Connected() && phase_ != eDeskPhase::kInitialising) RequestSessionFacts();
  ComposeTitle();
  return Status::Ok();
}

void cDeskSession::RequestSessionFacts() {
  Send(failure::kGetLightDark, SendGetLightDark).Ignore(kSendFailureReported);
  RenewVideo();
  services_.activity_items->Clear();
  const uint32_t max_entries = static_cast<uint32_t>(services_.settings->max_log_entries);
  Send(failure::kGetLogItems, [max_entries](cRemoteClientSocket* s) {
    return SendGetLogItems(s, max_entries);
  }).Ignore(kSendFailureReported);
  Send(failure::kGetControlFileNameReconnect, SendGetControlFileName).Ignore(kSendFailureReported);
  Send(failure::kGetClientQty, SendGetClientQty).Ignore(kSendFailureReported);
  Send(failure::kGetServerTime, SendGetServerTime).Ignore(kSendFailureReported);
  Send(failure::kGetDawnDusk, SendGetDawnDusk).Ignore(kSendFailureReported);
}

void cDeskSession::RenewVideo() {
  // The server sends every source and thumbnail again; views that kept the old ones would
  // show each picture twice, and a source the server no longer has would stay. Pictures
  // still being decoded land first, so that none of the old ones comes after the new.
  thumbnail_decoder_->DeliverAll();
  views_.DropVideoViews();
  services_.thumbnails->Clear();
  RequestVideo();
  if (views_.TopView() == nullptr) {
    views_.RecreateTopView().Ignore(
        "a top view that cannot be made leaves the top pane empty; the tabs work on");
  }
}

void cDeskSession::UpdateServerTime(int32_t time, eClockUpdate mode) {
  if (mode == eClockUpdate::kAnswer) {
    server_clock_ = time;
  } else if (server_clock_ != 0) {
    ++server_clock_;
  }
  ShowServerTime();
}

void cDeskSession::ShowServerTime() {
  SetText(desk::kServerTimeText,
          ServerTimeText(services_.context->HeardFromServer() != 0, server_clock_).CStr());
}

void cDeskSession::ShowConnectionEnded() {
  if (phase_ == eDeskPhase::kClosed || window_ == nullptr) return;
  // A clock that is not being told the server's time any more would only drift.
  server_clock_ = 0;
  ShowServerTime();
  SetText(desk::kClientCount, "0");
  ComposeTitle();
}

// --- Answers ---

Status cDeskSession::Receive(const Answer& answer) {
  return std::visit(
      AnswerVisitor{
          [this](const SwitchRecord& r) { return HandToListViews(&cSwitchesFeed::AddSwitch, r); },
          [this](const SensorItemRecord& r) {
            return HandToListViews(&cSensorsFeed::AddSensor, r);
          },
          [this](const MacroRecord& r) { return HandToListViews(&cMacrosFeed::AddMacro, r); },
          [this](const ModeRecord& r) { return HandToListViews(&cModesFeed::AddMode, r); },
          [this](const SwitchStatusRecord& r) {
            return HandToListViews(&cSwitchesFeed::SetSwitchStatus, r);
          },
          [this](const SensorStatusRecord& r) {
            return HandToListViews(&cSensorsFeed::SetSensorStatus, r);
          },
          [this](const MacroStatusRecord& r) {
            return HandToListViews(&cMacrosFeed::SetMacroStatus, r);
          },
          [this](const ModeStatusRecord& r) {
            return HandToListViews(&cModesFeed::SetModeStatus, r);
          },
          [this](const ControlFileNameRecord& r) {
            if (!IsReady()) return Status::Declined(Where::kUi);
            ShowConnectionText(r.name);
            ComposeTitle();
            return Status::Ok();
          },
          [this](const ClientQtyRecord& r) {
            swString text;
            text.Format("%d", static_cast<int>(r.quantity));
            return ShowFact(desk::kClientCount, text.CStr());
          },
          [this](const LightDarkRecord& r) {
            return ShowFact(desk::kDayNight, r.dark != 0 ? "Night" : "Day");
          },
          [this](const PauseStateRecord& r) { return ShowFactCheck(desk::kPauseMacros, r.paused); },
          [this](const MuteStateRecord& r) { return ShowFactCheck(desk::kMute, r.muted); },
          [this](const ServerTimeRecord& r) {
            UpdateServerTime(r.seconds, eClockUpdate::kAnswer);
            return Status::Ok();
          },
          [this](const DawnDuskRecord& r) {
            return ShowFact(desk::kDawnDusk, DawnDuskText(r.dawn, r.dusk).CStr());
          },
          [this](const VideoSourceRecord& r) {
            if (phase_ == eDeskPhase::kClosed) return Status::Declined(Where::kUi);
            return views_.AddVideoSource(r.name, r.source_number);
          },
          [this](const ThumbnailAnswer& a) { return AddThumbnail(a); },
          [this](const ConnectionEndedRecord&) {
            ShowConnectionEnded();
            return Status::Ok();
          },
          // The main window's relay keeps these from the views: the log and the server's
          // requests of the desktop are its own.
          AnswerKinds<LogItemRecord, ServerMessageRecord, LaunchProgramRecord,
                      CommandResponseStoredRecord>(
              [](const auto&) { return Status::Declined(Where::kUi); }),
      },
      answer);
}

template <class Feed, class Record>
Status cDeskSession::HandToListViews(Status (Feed::*take)(const Record&),
                                     const std::type_identity_t<Record>& record) {
  if (!IsReady()) return Status::Declined(Where::kUi);
  HandToEveryView<Feed>(views_, [&](Feed& feed) { return (feed.*take)(record); });
  return Status::Ok();
}

Status cDeskSession::ShowFact(int32_t id, const char* text) {
  if (!IsReady()) return Status::Declined(Where::kUi);
  SetText(id, text);
  return Status::Ok();
}

Status cDeskSession::ShowFactCheck(int32_t id, uint16_t on) {
  if (!IsReady()) return Status::Declined(Where::kUi);
  SetCheck(id, on);
  return Status::Ok();
}

Status cDeskSession::AddThumbnail(const ThumbnailAnswer& answer) {
  if (phase_ == eDeskPhase::kClosed) return Status::Declined(Where::kUi);
  // A picture no view would show is not decoded at all.
  bool shown = false;
  views_.ForEachViewFeed<cVideoFeed>([&](cTabChildDlg& view, cVideoFeed&) {
    if (view.Name() == answer.record.source_name) shown = true;
  });
  if (!shown) return Status::Declined(Where::kUi);
  return thumbnail_decoder_->Submit(answer.record, answer.picture);
}

void cDeskSession::ShowThumbnail(const ThumbnailRecord& record, cBitmap& picture) {
  if (phase_ == eDeskPhase::kClosed) return;
  const auto max_count = static_cast<int32_t>(
      std::min<uint32_t>(static_cast<uint32_t>(services_.settings->max_snapshots), INT32_MAX));
  // The tab-page view of a source first: it owns the pictures that a top-pane view of the
  // same source draws from, so the top-pane view finds the new one already there. A view
  // that cannot keep the picture (no memory) goes without it; the others still show it.
  for (const int32_t placement : {kPlacementTab, kPlacementTop}) {
    views_.ForEachViewFeed<cVideoFeed>([&](cTabChildDlg& view, cVideoFeed& feed) {
      if (view.Placement() != placement || view.Name() != record.source_name) return;
      feed.AddThumbnail(record, &picture, max_count)
          .Ignore("a view without memory for the picture goes without it");
    });
  }
}

// --- What the views report ---

Status cDeskSession::ShowLogEntry(const LogItemRecord& entry, CActivityItem* item) {
  bool& showing = services_.flags->showing_log_entry;
  if (showing || phase_ == eDeskPhase::kClosed) return Status::Declined(Where::kUi);
  showing = true;
  Status status;
  views_.ForEachFeed<cActivityLogFeed>([&](cActivityLogFeed& feed) {
    if (status.failed()) return;
    Status shown = feed.AddEntry(entry, item);
    if (shown.failed()) status = std::move(shown);
  });
  if (services_.entry_shown) services_.entry_shown();
  showing = false;
  return status;
}

void cDeskSession::SettingsNotSaved(const Status& failure) {
  if (services_.settings_not_saved) services_.settings_not_saved(failure);
}

void cDeskSession::ForgetActivityItem(const CActivityItem* item) {
  views_.ForEachFeed<cActivityLogFeed>([item](cActivityLogFeed& feed) { feed.ForgetItem(item); });
}

Status cDeskSession::SnapPicture(const char* source_name) {
  if (source_name == nullptr) return Status(Where::kUi, kMissingArgument);
  return SendCommand(failure::kSnapPicture, [source_name](cRemoteClientSocket* s) {
    return SendSnapPicture(s, source_name);
  });
}

Status cDeskSession::RecordToggle(const char* source_name) {
  if (source_name == nullptr) return Status(Where::kUi, kMissingArgument);
  const bool stopping = recording_;
  const Status status =
      SendCommand(failure::kStartStopRecord, [source_name, stopping](cRemoteClientSocket* s) {
        return stopping ? SendStopRecord(s, source_name) : SendStartRecord(s, source_name);
      });
  if (status.failed()) return status;
  recording_ = !stopping;
  return stopping ? Status::Declined(Where::kUi) : Status::Ok();
}

}  // namespace hv
