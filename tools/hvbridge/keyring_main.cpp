// hvbridge-keyring: hvbridge's helper for --password-from-keyring. It writes the password the
// desktop client filed in the keyring for its own login to standard output and exits 0, or
// writes why it could not and exits 1. The keyring's libraries (libsecret, GLib, GIO and
// theirs) would otherwise be mapped into the bridge for the whole of its run, megabytes of
// its memory for one lookup at the start.
#include <cstdio>
#include <cstring>
#include <string>

#include "client/platform/linux/secret_password_store.h"
#include "core/status.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = argc == 2 && std::strcmp(argv[1], "--help") == 0;
    std::fputs(
        "usage: hvbridge-keyring\n"
        "Writes the password the desktop client keeps in the keyring for its login to\n"
        "standard output, for hvbridge --password-from-keyring.\n",
        help ? stdout : stderr);
    return help ? 0 : 2;
  }
  hv::cSecretPasswordStore keyring;
  if (!keyring.IsAvailable()) {
    std::fputs("no keyring answers on the session bus", stdout);
    return 1;
  }
  hv::swString text;
  const hv::Status found =
      keyring.Lookup("Orvane LLC", "Varnholt", "Client Settings\\Password", &text);
  if (found.declined()) {
    std::fputs("the keyring holds no password of the desktop client's login", stdout);
    return 1;
  }
  if (!found.ok()) {
    std::fputs(found.ToString().c_str(), stdout);
    return 1;
  }
  std::fwrite(text.CStr(), 1, text.GetLength(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
