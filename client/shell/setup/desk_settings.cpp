#include "client/shell/setup/desk_settings.h"

#include <cstring>
#include <optional>
#include <utility>

#include "client/cmdfile/client_storage.h"
#include "client/platform/password_store.h"
#include "client/platform/settings_writer.h"
#include "client/protocol/activity_log.h"
#include "client/shell/setup/client_settings.h"
#include "client/shell/setup/registry_words.h"
#include "client/views/view_kind.h"
#include "core/profile/profile.h"

namespace hv {

namespace {

constexpr const char* kMainWindow = "Main Window";
constexpr const char* kWindowSize = "WindowSize";

// Long enough for "Top Child Dialog Name" (at most 259 characters and the terminator).
constexpr uint32_t kNameBufferSize = 260;

class cSection {
 public:
  cSection(const cRegistryWords& words, const char* section)
      : company_(words.Company()), application_(words.Application()), section_(section) {}

  uint32_t Number(const char* name, uint32_t fallback) const {
    uint32_t value = fallback;
    ReadProfileNumber(company_, application_, section_, name, &value, fallback)
        .Ignore("a value never saved takes its fallback");
    return value;
  }
  swString Text(const char* name, const char* fallback) const {
    char buffer[kNameBufferSize];
    ReadProfileString(company_, application_, section_, name, fallback, buffer, sizeof buffer)
        .Ignore("a value never saved takes its fallback");
    return swString(buffer);
  }

 private:
  const char* company_;
  const char* application_;
  const char* section_;
};

}  // namespace

cDeskSettings::cDeskSettings(const cRegistryWords& words, cClientSettings& client,
                             cPasswordStore* keyring, std::function<cClientStorage*()> storage,
                             cActivityLog* log)
    : words_(words), client_(client), keyring_(keyring), storage_(std::move(storage)), log_(log) {}

cPasswordStore* cDeskSettings::Keyring() const {
  if (client_.store_passwords_in_keyring != 1) return nullptr;
  return AvailableKeyring();
}

cPasswordStore* cDeskSettings::AvailableKeyring() const {
  return keyring_ != nullptr && keyring_->IsAvailable() ? keyring_ : nullptr;
}

Status cDeskSettings::MovePasswords() const {
  cPasswordStore* keyring = AvailableKeyring();
  if (keyring == nullptr || !ClientSettingsMayBeSaved(words_)) return Status::Ok();
  const bool to_keyring = client_.store_passwords_in_keyring == 1;
  Status moved = MoveSavedSitePasswords(SiteRegistry(), keyring);
  KeepFirstFailure(&moved, MoveClientPasswords(words_, keyring, to_keyring));
  return moved;
}

cArrangementChoices cDeskSettings::ReadMainWindow() const {
  const cSection section(words_, kMainWindow);
  cArrangementChoices choices;
  choices.split_view = section.Number("Split View", 1) != 0;
  choices.additional_information = section.Number("Show Additional Information", 1) != 0;
  choices.user_log_messages = section.Number("Allow User Log Messages", 1) != 0;
  choices.current_tab_view = static_cast<int32_t>(section.Number("Current Tab View", 0));
  // A number no kind has (a hand-edited store) starts as a first start does.
  if (const std::optional<ViewKind> kind =
          ViewKindOfNumber(section.Number("Top Child Dialog Type", 1))) {
    choices.top_kind = *kind;
    choices.top_name = section.Text("Top Child Dialog Name", "");
  }
  return choices;
}

void cDeskSettings::WriteMainWindow(const cArrangementChoices& choices) const {
  // One transaction for the lot: ending the program writes these, and each commit of its own
  // would wait for the disk.
  cSettingsWriter writer(words_.Company(), words_.Application());
  writer.Number(kMainWindow, "Split View", choices.split_view ? 1u : 0u);
  writer.Number(kMainWindow, "Show Additional Information",
                choices.additional_information ? 1u : 0u);
  writer.Number(kMainWindow, "Allow User Log Messages", choices.user_log_messages ? 1u : 0u);
  writer.Number(kMainWindow, "Current Tab View", static_cast<uint32_t>(choices.current_tab_view));
  writer.Number(kMainWindow, "Top Child Dialog Type",
                static_cast<uint32_t>(ViewKindNumber(choices.top_kind)));
  writer.Text(kMainWindow, "Top Child Dialog Name", choices.top_name.CStr());
  ReportSave(writer.Finish());
}

cRect cDeskSettings::ReadWindowSize() const {
  const cSection section(words_, kWindowSize);
  // Coordinates are signed: a window on a monitor left of the main one has negative ones.
  return cRect{static_cast<int32_t>(section.Number("Main X1", 0)),
               static_cast<int32_t>(section.Number("Main Y1", 0)),
               static_cast<int32_t>(section.Number("Main X2", 0)),
               static_cast<int32_t>(section.Number("Main Y2", 0))};
}

void cDeskSettings::WriteWindowSize(const cRect& rect) const {
  // The four corners go to the disk together. Coordinates are signed, stored as their bits.
  cSettingsWriter writer(words_.Company(), words_.Application());
  writer.Number(kWindowSize, "Main X1", static_cast<uint32_t>(rect.left));
  writer.Number(kWindowSize, "Main Y1", static_cast<uint32_t>(rect.top));
  writer.Number(kWindowSize, "Main X2", static_cast<uint32_t>(rect.right));
  writer.Number(kWindowSize, "Main Y2", static_cast<uint32_t>(rect.bottom));
  ReportSave(writer.Finish());
}

Status cDeskSettings::WriteClientSettingsAfterSetup() const {
  return hv::WriteClientSettingsAfterSetup(words_, client_, Keyring());
}

Status cDeskSettings::WriteDesktopIntegrationSettings() const {
  return hv::WriteDesktopIntegrationSettings(words_, client_);
}

void cDeskSettings::ReportSave(const Status& saved) const {
  if (saved.ok() || saved.declined()) {
    told_ = false;
    return;
  }
  // A store that refuses one save refuses the next ones too: once is enough, until it works.
  if (told_ || log_ == nullptr) return;
  told_ = true;
  AddLogEntryOrDrop(*log_,
                    MakeClientError(kSettingsNotSavedName, SettingsNotSavedText(saved).c_str()),
                    true, true);
}

cSiteRegistry cDeskSettings::SiteRegistry() const {
  return cSiteRegistry{words_.Company(), words_.Application(), Keyring()};
}

cMonitorCommandFile* cDeskSettings::CommandFileMonitor() const {
  cClientStorage* storage = storage_ ? storage_() : nullptr;
  return storage != nullptr ? storage->Monitor() : nullptr;
}

}  // namespace hv
