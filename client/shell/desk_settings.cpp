#include "client/shell/desk_settings.h"

#include <cstring>

#include "client/cmdfile/client_storage.h"
#include "client/shell/client_settings.h"
#include "client/shell/house_desk_app.h"
#include "client/shell/registry_words.h"
#include "core/profile/profile.h"
#include "core/profile/profile_store.h"

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
    ReadProfileNumber(company_, application_, section_, name, &value, fallback);
    return value;
  }
  swString Text(const char* name, const char* fallback) const {
    char buffer[kNameBufferSize];
    ReadProfileString(company_, application_, section_, name, fallback, buffer, sizeof buffer);
    return swString(buffer);
  }
  // A value the store refuses keeps its former one: the window's layout is no reason to
  // stop the program, and the next write tries again.
  void Write(const char* name, uint32_t value) const {
    (void)WriteProfile(company_, application_, section_, name, &value, kProfileNumber);
  }
  void Write(const char* name, int32_t value) const { Write(name, static_cast<uint32_t>(value)); }
  void Write(const char* name, const swString& value) const {
    (void)WriteProfile(company_, application_, section_, name, value.CStr(), kProfileText);
  }

 private:
  const char* company_;
  const char* application_;
  const char* section_;
};

}  // namespace

cClientSettings& cDeskSettings::Client() const { return app_.Settings(); }

cArrangementChoices cDeskSettings::ReadMainWindow() const {
  const cSection section(app_.RegistryWords(), kMainWindow);
  cArrangementChoices choices;
  choices.split_view = section.Number("Split View", 1) != 0;
  choices.additional_information = section.Number("Show Additional Information", 1) != 0;
  choices.user_log_messages = section.Number("Allow User Log Messages", 1) != 0;
  choices.current_tab_view = static_cast<int32_t>(section.Number("Current Tab View", 0));
  choices.top_kind = static_cast<int32_t>(section.Number("Top Child Dialog Type", 1));
  choices.top_name = section.Text("Top Child Dialog Name", "");
  return choices;
}

void cDeskSettings::WriteMainWindow(const cArrangementChoices& choices) const {
  const cSection section(app_.RegistryWords(), kMainWindow);
  // One transaction for the lot: ending the program writes these, and each commit of its own
  // would wait for the disk.
  swProfileBatch batch;
  section.Write("Split View", choices.split_view ? 1u : 0u);
  section.Write("Show Additional Information", choices.additional_information ? 1u : 0u);
  section.Write("Allow User Log Messages", choices.user_log_messages ? 1u : 0u);
  section.Write("Current Tab View", choices.current_tab_view);
  section.Write("Top Child Dialog Type", choices.top_kind);
  section.Write("Top Child Dialog Name", choices.top_name);
}

cRect cDeskSettings::ReadWindowSize() const {
  const cSection section(app_.RegistryWords(), kWindowSize);
  // Coordinates are signed: a window on a monitor left of the main one has negative ones.
  return cRect{static_cast<int32_t>(section.Number("Main X1", 0)),
               static_cast<int32_t>(section.Number("Main Y1", 0)),
               static_cast<int32_t>(section.Number("Main X2", 0)),
               static_cast<int32_t>(section.Number("Main Y2", 0))};
}

void cDeskSettings::WriteWindowSize(const cRect& rect) const {
  const cSection section(app_.RegistryWords(), kWindowSize);
  swProfileBatch batch;  // the four corners go to the disk together
  section.Write("Main X1", rect.left);
  section.Write("Main Y1", rect.top);
  section.Write("Main X2", rect.right);
  section.Write("Main Y2", rect.bottom);
}

void cDeskSettings::WriteClientSettingsAfterSetup() const {
  ::WriteClientSettingsAfterSetup(app_.RegistryWords(), app_.Settings(), app_.Keyring());
}

cSiteRegistry cDeskSettings::SiteRegistry() const {
  return cSiteRegistry{app_.RegistryWords().Company(), app_.RegistryWords().Application(),
                       app_.Keyring()};
}

cMonitorCommandFile* cDeskSettings::CommandFileMonitor() const {
  cClientStorage* storage = app_.ClientStorage();
  return storage != nullptr ? storage->Monitor() : nullptr;
}

}  // namespace hv
