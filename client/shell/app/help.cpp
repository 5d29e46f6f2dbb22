#include "client/shell/app/help.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "client/platform/shell.h"
#include "client/ui/message_box.h"
#include "client/ui/toolkit.h"
#include "core/status.h"

namespace hv {

namespace {

struct HelpPage {
  uint32_t context_id;
  const char* page;
};

constexpr HelpPage kPages[] = {
    {kHelpMainWindow, "main-window.html"},
    {kHelpClientSetup, "client-setup.html"},
    {kHelpCommandFileMonitoring, "command-files.html"},
    {kHelpSendX10Code, "send-x10-code.html"},
};

constexpr const char* kContentsPage = "index.html";

// Letters, digits and the few marks a file URL may carry as they are; everything else
// (spaces, '#', '%', '?', bytes above 127) is percent-encoded so the browser finds the file.
std::string EncodePath(const char* path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char* p = path; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

}  // namespace

swString HelpFolderFor(const swString& program_directory) {
  std::string folder = program_directory.CStr();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  folder += "/../share/hearthview/help";
  return swString(folder.c_str());
}

const char* HelpPageName(uint32_t context_id) {
  for (const HelpPage& page : kPages) {
    if (page.context_id == context_id) return page.page;
  }
  return kContentsPage;
}

swString HelpTopicAddress(const swString& help_folder, uint32_t context_id) {
  std::string path = help_folder.CStr();
  if (path.empty() || path.back() != '/') path += '/';
  const char* page = HelpPageName(context_id);
  path += page;
  std::string address = "file://" + EncodePath(path.c_str());
  if (page != kContentsPage) address += "#" + std::to_string(context_id);
  return swString(address.c_str());
}

swString HelpPageFile(const swString& help_folder, uint32_t context_id) {
  if (context_id > 0x20000) context_id -= 0x20000;
  std::error_code error;
  std::filesystem::path path = std::filesystem::path(help_folder.CStr()) / HelpPageName(context_id);
  std::filesystem::path tidy = std::filesystem::weakly_canonical(path, error);
  return swString((error ? path.lexically_normal() : tidy).c_str());
}

Status OpenHelpTopic(cShell& shell, const swString& help_folder, uint32_t context_id) {
  if (context_id > 0x20000) context_id -= 0x20000;
  return shell.Open(HelpTopicAddress(help_folder, context_id).CStr());
}

Status ShowHelpTopic(cToolkit& toolkit, cShell& shell, const swString& help_folder,
                     uint32_t context_id) {
  // An opener handed a missing file still succeeds and leaves the browser to say "not
  // found", which tells the user nothing about what to do; a missing page is said here.
  const swString page = HelpPageFile(help_folder, context_id);
  std::error_code error;
  if (!std::filesystem::is_regular_file(page.CStr(), error)) {
    swString text;
    text.Format(
        "The help pages are not installed: %s is missing. Reinstall Hearthview to "
        "get them back.",
        page.CStr());
    toolkit.MessageBox().Show(text.CStr(), "Help", cMessageBoxIcon::kWarning,
                              cMessageBoxButtons::kOk, nullptr);
    return Status(Where::kUi, hv::kCannotOpenFile, page.CStr());
  }
  Status opened = OpenHelpTopic(shell, help_folder, context_id);
  if (opened.failed()) {
    ShowPageOpenFailure(toolkit, nullptr, "Help", opened.code(), "help page",
                        "The help page is the file", page.CStr());
  }
  return opened;
}

void ShowPageOpenFailure(cToolkit& toolkit, cWindow* parent, const char* caption, int32_t rc,
                         const char* kind, const char* by_hand, const char* target) {
  swString text;
  if (rc == hv::kNoOpener) {
    text.Format(
        "No program to open web pages was found: xdg-open is not installed or not on the "
        "PATH.\r\n\r\n%s %s; open it in a web browser.",
        by_hand, target);
  } else {
    text.Format("Unable to open the %s %s", kind, target);
  }
  toolkit.MessageBox().Show(text.CStr(), caption, cMessageBoxIcon::kWarning,
                            cMessageBoxButtons::kOk, parent);
}

}  // namespace hv
