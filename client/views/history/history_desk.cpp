#include "client/views/history/history_desk.h"

#include <cstdio>
#include <utility>

#include "client/platform/event_loop.h"
#include "core/profile/profile.h"

namespace hv::history {

namespace {

constexpr uint32_t kPollMs = 1000;
constexpr const char* kPicksSection = "History";

}  // namespace

std::string HouseKey(const char* address, int32_t port) {
  return std::string(address != nullptr ? address : "") + ":" + std::to_string(port);
}

HistoryDesk::HistoryDesk(HistoryDeskServices services)
    : services_(std::move(services)),
      recorder_(
          [this](const std::string& house) {
            Status status;
            auto store = HistoryStore::Open(
                services_.path.empty() ? HistoryStore::DefaultPath() : services_.path, house,
                &status);
            if (store == nullptr)
              std::fprintf(stderr, "hearthview: %s\n", status.ToString().c_str());
            return store;
          },
          services_.log, services_.now_ms) {
  const std::string store = services_.path.empty() ? HistoryStore::DefaultPath() : services_.path;
  recorder_.SetSpillFolder(
      store.substr(0, store.rfind('/') == std::string::npos ? 0 : store.rfind('/')));
  if (services_.event_loop != nullptr) {
    poll_timer_ = services_.event_loop->StartTimer(kPollMs, [this] { recorder_.Poll(); });
  }
}

HistoryDesk::~HistoryDesk() {
  if (services_.event_loop != nullptr) services_.event_loop->StopTimer(poll_timer_);
  window_.reset();
}

void HistoryDesk::OpenWindow(cWindow* owner) {
  if (window_ == nullptr) {
    HistoryWindowServices window;
    window.toolkit = services_.toolkit;
    window.make_chart = services_.make_chart;
    window.now_ms = services_.now_ms;
    window.screen_place = services_.screen_place;
    // The window reads what the writer has written, at most a batch (a quarter second)
    // behind: waiting for the writer here would wait out a trim or another client's write.
    window.event_loop = services_.event_loop;
    window.load_picks = [this] {
      char text[16384] = "";
      const std::string name = "Picks " + recorder_.house_key();
      // A store that cannot be read gives no picks: the window starts with none.
      (void)ReadProfileString(services_.company, services_.application, kPicksSection, name.c_str(),
                              "", text, sizeof text);
      return std::string(text);
    };
    window.save_picks = [this](const std::string& picks) {
      const std::string name = "Picks " + recorder_.house_key();
      // Picks are a convenience: a store that refuses them is told of by the settings' own
      // notice, and the window goes on with the picks it has.
      (void)WriteProfile(services_.company, services_.application, kPicksSection, name.c_str(),
                         picks.c_str(), kProfileText);
    };
    // Called on the window's worker: the house key and the settings are read here, on the
    // window's thread, each time the window opens.
    window.open_store = [this, path = services_.path.empty() ? HistoryStore::DefaultPath()
                                                             : services_.path](
                            Status* status) -> std::unique_ptr<HistoryStore> {
      std::string house;
      {
        std::lock_guard<std::mutex> lock(window_house_mutex_);
        house = window_house_;
      }
      if (house.empty()) return nullptr;
      return HistoryStore::OpenForReading(path, house, status);
    };
    window_ = std::make_unique<CDlgHistory>(std::move(window), owner);
  }
  {
    std::lock_guard<std::mutex> lock(window_house_mutex_);
    window_house_ = recorder_.settings().record ? recorder_.house_key() : std::string();
  }
  if (!window_->Open()) window_.reset();
}

}  // namespace hv::history
