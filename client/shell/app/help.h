// Help: the program's HTML help pages, installed with it in
// <program directory>/../share/hearthview/help, opened in the user's browser through the
// shell. Each context id the windows ask for has its own page with an anchor of that id.
#ifndef HV_CLIENT_SHELL_APP_HELP_H_
#define HV_CLIENT_SHELL_APP_HELP_H_

#include <cstdint>

#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cShell;
class cToolkit;
class cWindow;

// Context ids of the help topics.
constexpr uint32_t kHelpMainWindow = 1000;
constexpr uint32_t kHelpClientSetup = 1039;
constexpr uint32_t kHelpCommandFileMonitoring = 1060;
constexpr uint32_t kHelpSendX10Code = 1067;

// The help folder for a program directory: its "../share/hearthview/help".
swString HelpFolderFor(const swString& program_directory);

// The page of a topic ("main-window.html" ...); the contents page "index.html" for ids
// without a page of their own.
const char* HelpPageName(uint32_t context_id);

// The address to open for a topic: "file://" + the page's path (percent-encoded where a
// URL needs it) + "#" + the id; the contents page without an anchor for unknown ids.
swString HelpTopicAddress(const swString& help_folder, uint32_t context_id);

// The page file of a topic, for the user to open by hand: the page's path with the folder's
// "." and ".." taken out. Ids above 0x20000 are reduced as OpenHelpTopic does.
swString HelpPageFile(const swString& help_folder, uint32_t context_id);

// Opens the topic through the shell. Ids above 0x20000 are reduced by 0x20000 first (the
// toolkit adds that to ids of dialogs). Ok, or the shell's failure.
[[nodiscard]] Status OpenHelpTopic(cShell& shell, const swString& help_folder, uint32_t context_id);

// Opens the topic, and tells the user in a box over no window when it cannot: a page that
// is not installed, no program to open pages with, or another failure of the shell. Ok,
// kCannotOpenFile for a missing page, or the shell's failure.
[[nodiscard]] Status ShowHelpTopic(cToolkit& toolkit, cShell& shell, const swString& help_folder,
                                   uint32_t context_id);

// Tells the user, in a box titled `caption` over `parent`, that the shell's open of a page
// failed with `rc`. Without a program to open pages, the box says where the page is
// (`by_hand` names it, e.g. "The web page is", followed by `target`), so it can be opened
// by hand; otherwise that the `kind` ("web page") `target` could not be opened.
void ShowPageOpenFailure(cToolkit& toolkit, cWindow* parent, const char* caption, int32_t rc,
                         const char* kind, const char* by_hand, const char* target);

}  // namespace hv

#endif  // HV_CLIENT_SHELL_APP_HELP_H_
