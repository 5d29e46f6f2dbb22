#include "client/views/video/video_window_settings.h"

#include "client/platform/settings_writer.h"
#include "core/profile/profile.h"
#include "core/string/sw_string.h"

namespace hv {

namespace {

constexpr const char* kSection = "Video Windows";

struct cValue {
  const char* prefix;
  bool zirer = false;
  int32_t cVideoWindowSettings::*field = nullptr;
  int32_t cRect::*edge = nullptr;
  cRect cVideoWindowSettings::*rect = nullptr;
};

const cValue kValues[] = {
    {"Show Preview-", false, &cVideoWindowSettings::show_preview},
    {"Preview Window Left-", false, nullptr, &cRect::left, &cVideoWindowSettings::preview_rect},
    {"Preview Window Top-", false, nullptr, &cRect::top, &cVideoWindowSettings::preview_rect},
    {"Preview Window Right-", false, nullptr, &cRect::right, &cVideoWindowSettings::preview_rect},
    {"Preview Window Bottom-", false, nullptr, &cRect::bottom, &cVideoWindowSettings::preview_rect},
    {"Preview Always On Top-", false, &cVideoWindowSettings::preview_always_on_top},
    {"Full Screen-", false, &cVideoWindowSettings::full_screen},
    {"Show Zirer-", true, &cVideoWindowSettings::show_zirer},
    {"Zirer Window Left-", true, nullptr, &cRect::left, &cVideoWindowSettings::zirer_rect},
    {"Zirer Window Top-", true, nullptr, &cRect::top, &cVideoWindowSettings::zirer_rect},
    {"Zirer Window Right-", true, nullptr, &cRect::right, &cVideoWindowSettings::zirer_rect},
    {"Zirer Window Bottom-", true, nullptr, &cRect::bottom, &cVideoWindowSettings::zirer_rect},
    {"Zirer Always On Top-", true, &cVideoWindowSettings::zirer_always_on_top},
};

int32_t& Slot(cVideoWindowSettings& settings, const cValue& value) {
  return value.field != nullptr ? settings.*value.field : (settings.*value.rect).*value.edge;
}

swString ValueName(const cValue& value, const char* source_name) {
  swString name(value.prefix);
  name.Append(source_name != nullptr ? source_name : "");
  return name;
}

}  // namespace

void cVideoWindowSettings::Load(const char* company, const char* application,
                                const char* source_name) {
  for (const cValue& value : kValues) {
    int32_t& slot = Slot(*this, value);
    uint32_t number = static_cast<uint32_t>(slot);
    ReadProfileNumber(company, application, kSection, ValueName(value, source_name).CStr(), &number,
                      number)
        .Ignore("a value never saved keeps the window's own");
    slot = static_cast<int32_t>(number);
  }
}

void cVideoWindowSettings::Save(const char* company, const char* application,
                                const char* source_name, bool with_zirer) const {
  cVideoWindowSettings copy = *this;
  cSettingsWriter writer(company, application);  // the window's place in one transaction
  for (const cValue& value : kValues) {
    if (value.zirer && !with_zirer) continue;
    const uint32_t number = static_cast<uint32_t>(Slot(copy, value));
    writer.Number(kSection, ValueName(value, source_name).CStr(), number);
  }
  // The window closes with the main window, whose save of the views' settings commits these
  // and tells the user when that fails.
  writer.Finish().Ignore("a refused value keeps its former one: only where the window opens");
}

}  // namespace hv
