// What the main window works on, handed to it by the application that owns it: the
// toolkit, clock, loop and shell, the connection and its context, the settings, the stored
// entries and thumbnails, the program's flags, the activity log, and the few commands that
// reach the application itself (the frame, help, the about box, the history).
#ifndef HV_CLIENT_SHELL_DESK_DESK_SERVICES_H_
#define HV_CLIENT_SHELL_DESK_DESK_SERVICES_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class CActivityItemList;
class cActivityLog;
class cAppMainFrame;
class cClientSettings;
class cClock;
class cDeskSettings;
class cEventLoop;
class cProtocolContext;
class cRegistryWords;
class cServerConnection;
class cShell;
class cToolkit;
class cVideoThumbnailList;
struct cProgramFlags;

// The application's part of the window's commands.
class cDeskCommands {
 public:
  virtual ~cDeskCommands() = default;
  // Null while there is no main frame (tests without windows).
  virtual cAppMainFrame* MainFrame() = 0;
  // The help page of a context id; a failure has been shown to the user, so may be dropped.
  [[nodiscard]] virtual Status ShowHelp(uint32_t context_id) = 0;
  virtual void ShowAbout() = 0;
  virtual void OpenHistory() = 0;
  // Hands the history settings the user just changed to the history.
  virtual void ApplyHistorySettings() = 0;
};

// Every pointer must be set and outlive the window.
struct cDeskServices {
  cToolkit* toolkit = nullptr;
  cClock* clock = nullptr;
  cEventLoop* event_loop = nullptr;
  cShell* shell = nullptr;
  cServerConnection* connection = nullptr;
  cProtocolContext* protocol_context = nullptr;
  cClientSettings* settings = nullptr;
  cDeskSettings* desk_settings = nullptr;
  const cRegistryWords* registry_words = nullptr;
  CActivityItemList* activity_items = nullptr;
  cVideoThumbnailList* thumbnails = nullptr;
  cProgramFlags* flags = nullptr;
  cActivityLog* log = nullptr;
  cDeskCommands* commands = nullptr;
  // 0 decodes each thumbnail as it arrives.
  uint32_t thumbnail_decode_threads = 0;
  // The running program's folder, where a newer website picture may be.
  swString program_directory;
};

}  // namespace hv

#endif  // HV_CLIENT_SHELL_DESK_DESK_SERVICES_H_
