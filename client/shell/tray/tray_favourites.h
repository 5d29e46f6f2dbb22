// cTrayFavourites: the switches and macros the user marked as favourites, and what the
// server last said of each one's status, so the tray menu can list them with check marks
// (a switch that is on, a macro that runs) and switch them from there.
//
// The marks are kept in the registry value "Favourites" of "Client Settings", one item a
// line: "Switch:" or "Macro:" and the name as the server spells it. They are written at once
// on every change (unless "Save Settings" forbids writing "Client Settings"), so a second
// running client or a crash loses nothing. Statuses are learnt from the server's item lists
// and status changes; they are kept for the run only.
#ifndef HV_CLIENT_SHELL_TRAY_TRAY_FAVOURITES_H_
#define HV_CLIENT_SHELL_TRAY_TRAY_FAVOURITES_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "client/views/devices/favourite_marks.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cItemViewRequests;

class cTrayFavourites : public cFavouriteMarks {
 public:
  static constexpr const char* kValueName = "Favourites";
  // The tray menu commands of the favourites: kFirstCommand + their place in the list.
  static constexpr int32_t kFirstCommand = 33200;
  static constexpr int32_t kMaxFavourites = 200;
  // The stored list is read into a buffer of this many bytes.
  static constexpr uint32_t kStoredListSize = 64 * 1024;

  struct cFavourite {
    eFavouriteKind kind;
    swString name;
  };
  struct cMenuEntry {
    int32_t command;
    swString text;  // the name, with "&" doubled so the menu shows it as it is
    bool checked;
  };

  // The registry words (static texts) are fixed at start-up; until Load the list is empty.
  void Load(const char* company, const char* application);
  // Hears how each save of the marks went (ok or the store's refusal); may be empty.
  void SetSaveReport(std::function<void(const Status& saved)> report) {
    save_report_ = std::move(report);
  }

  // cFavouriteMarks
  bool IsFavourite(eFavouriteKind kind, const swString& name) const override;
  bool SetFavourite(eFavouriteKind kind, const swString& name, bool favourite) override;

  const std::vector<cFavourite>& Favourites() const { return favourites_; }

  // What the server says. Switch statuses are X10 functions (on: 2 On or 4 Dim); macro
  // statuses 1 disabled, 2 monitoring, 3 in progress (running).
  void SwitchStatus(const swString& name, uint32_t status);
  void MacroStatus(const swString& name, uint32_t status);
  // The last status heard of a favourite: on or running. False when never heard.
  bool IsOn(const cFavourite& favourite) const;

  // The tray menu's entries, in the order the favourites were marked.
  std::vector<cMenuEntry> MenuEntries() const;
  // The user chose a tray menu command: a favourite's command sends the opposite of its
  // status (a switch that is on is switched off, a running macro stopped, anything else
  // switched on or started) and returns the send's status, after reporting a failed send
  // with `report_failure` (the failure message). Declined when the command names no
  // favourite.
  [[nodiscard]] Status RunCommand(
      int32_t command, cItemViewRequests& requests,
      const std::function<void(const char* message)>& report_failure) const;

 private:
  int32_t Find(eFavouriteKind kind, const swString& name) const;
  void Save() const;
  void Remember(std::map<std::string, bool>& statuses, eFavouriteKind kind, const swString& name,
                bool on);

  const char* company_ = nullptr;
  const char* application_ = nullptr;
  std::function<void(const Status& saved)> save_report_;
  std::vector<cFavourite> favourites_;
  // By name. A server that lists ever new names is not followed past this many; the
  // favourites' own statuses are always kept.
  static constexpr size_t kMaxKnownStatuses = 4096;
  std::map<std::string, bool> switch_on_;
  std::map<std::string, bool> macro_running_;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_TRAY_TRAY_FAVOURITES_H_
