#include "client/shell/tray/tray_favourites.h"

#include <cstring>
#include <memory>

#include "client/platform/settings_writer.h"
#include "client/protocol/request_failures.h"
#include "client/shell/setup/client_settings.h"
#include "client/views/devices/dlg_child_macros.h"
#include "client/views/devices/dlg_child_switches.h"
#include "client/views/devices/item_view_requests.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr const char* kSwitchPrefix = "Switch:";
constexpr const char* kMacroPrefix = "Macro:";

std::string Key(const swString& name) { return std::string(name.CStr(), name.GetLength()); }

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

}  // namespace

void cTrayFavourites::Load(const char* company, const char* application) {
  company_ = company;
  application_ = application;
  favourites_.clear();
  auto buffer = std::make_unique<char[]>(kStoredListSize);
  ReadProfileString(company, application, cClientSettings::kSection, kValueName, "", buffer.get(),
                    kStoredListSize)
      .Ignore("no favourites stored is an empty list");
  const std::string stored = buffer.get();
  size_t start = 0;
  while (start < stored.size()) {
    size_t end = stored.find('\n', start);
    if (end == std::string::npos) end = stored.size();
    std::string line = stored.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    eFavouriteKind kind;
    std::string name;
    if (StartsWith(line, kSwitchPrefix)) {
      kind = eFavouriteKind::kSwitch;
      name = line.substr(std::strlen(kSwitchPrefix));
    } else if (StartsWith(line, kMacroPrefix)) {
      kind = eFavouriteKind::kMacro;
      name = line.substr(std::strlen(kMacroPrefix));
    } else {
      continue;  // a line this client does not know (written by hand, or by a later one)
    }
    const swString item(name.c_str());
    if (item.GetLength() == 0 || Find(kind, item) >= 0) continue;
    if (favourites_.size() >= static_cast<size_t>(kMaxFavourites)) break;
    favourites_.push_back(cFavourite{kind, item});
  }
}

int32_t cTrayFavourites::Find(eFavouriteKind kind, const swString& name) const {
  for (size_t i = 0; i < favourites_.size(); ++i) {
    if (favourites_[i].kind == kind && favourites_[i].name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

bool cTrayFavourites::IsFavourite(eFavouriteKind kind, const swString& name) const {
  return Find(kind, name) >= 0;
}

bool cTrayFavourites::SetFavourite(eFavouriteKind kind, const swString& name, bool favourite) {
  const int32_t at = Find(kind, name);
  if (!favourite) {
    if (at < 0) return true;
    favourites_.erase(favourites_.begin() + at);
    Save();
    return true;
  }
  if (at >= 0) return true;
  const char* text = name.CStr();
  if (name.GetLength() == 0 || std::strpbrk(text, "\r\n") != nullptr ||
      favourites_.size() >= static_cast<size_t>(kMaxFavourites)) {
    return false;
  }
  favourites_.push_back(cFavourite{kind, name});
  Save();
  return true;
}

void cTrayFavourites::Save() const {
  if (company_ == nullptr || !ClientSettingsMayBeSaved(company_, application_)) return;
  std::string stored;
  for (const cFavourite& favourite : favourites_) {
    stored += favourite.kind == eFavouriteKind::kSwitch ? kSwitchPrefix : kMacroPrefix;
    stored += favourite.name.CStr();
    stored += '\n';
  }
  // A list longer than what is read back would lose its end at the next start; the names
  // are the server's and short, so this takes far more than the favourites allowed.
  if (stored.size() >= kStoredListSize) return;
  // A value the store refuses keeps the former list; this run goes on with the new one.
  cSettingsWriter writer(company_, application_);
  writer.Text(cClientSettings::kSection, kValueName, stored.c_str());
  const Status saved = writer.Finish();
  if (save_report_) save_report_(saved);
}

void cTrayFavourites::Remember(std::map<std::string, bool>& statuses, eFavouriteKind kind,
                               const swString& name, bool on) {
  std::string key = Key(name);
  auto found = statuses.find(key);
  if (found != statuses.end()) {
    found->second = on;
  } else if (statuses.size() < kMaxKnownStatuses || IsFavourite(kind, name)) {
    statuses.emplace(std::move(key), on);
  }
}

void cTrayFavourites::SwitchStatus(const swString& name, uint32_t status) {
  Remember(switch_on_, eFavouriteKind::kSwitch, name, CDlgChildSwitches::IsOn(status));
}

void cTrayFavourites::MacroStatus(const swString& name, uint32_t status) {
  Remember(macro_running_, eFavouriteKind::kMacro, name, status == kMacroInProgress);
}

bool cTrayFavourites::IsOn(const cFavourite& favourite) const {
  const auto& statuses = favourite.kind == eFavouriteKind::kSwitch ? switch_on_ : macro_running_;
  auto found = statuses.find(Key(favourite.name));
  return found != statuses.end() && found->second;
}

std::vector<cTrayFavourites::cMenuEntry> cTrayFavourites::MenuEntries() const {
  std::vector<cMenuEntry> entries;
  for (size_t i = 0; i < favourites_.size(); ++i) {
    std::string text;
    for (const char* c = favourites_[i].name.CStr(); *c != '\0'; ++c) {
      if (*c == '&') text += '&';
      text += *c;
    }
    entries.push_back(cMenuEntry{kFirstCommand + static_cast<int32_t>(i), swString(text.c_str()),
                                 IsOn(favourites_[i])});
  }
  return entries;
}

Status cTrayFavourites::RunCommand(
    int32_t command, cItemViewRequests& requests,
    const std::function<void(const char* message)>& report_failure) const {
  const int64_t index = static_cast<int64_t>(command) - kFirstCommand;
  if (index < 0 || index >= static_cast<int64_t>(favourites_.size())) {
    return Status::Declined(Where::kUi);
  }
  // A copy: the send may pump events, and the list may change meanwhile.
  const cFavourite favourite = favourites_[static_cast<size_t>(index)];
  const bool on = IsOn(favourite);
  Status sent;
  const char* failure;
  if (favourite.kind == eFavouriteKind::kSwitch) {
    sent = requests.SetSwitchStatus(favourite.name, on ? 3 : 2);
    failure = failure::kSetSwitchStatus;
  } else {
    sent = requests.SetMacroStatus(favourite.name, on ? kMacroMonitoring : kMacroInProgress);
    failure = failure::kSetMacroStatus;
  }
  if (sent.failed() && report_failure) report_failure(failure);
  return sent;
}

}  // namespace hv
