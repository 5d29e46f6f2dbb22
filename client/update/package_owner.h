// Whether the system's package manager owns this copy of the program. Such a copy learns of
// updates but leaves installing them to the package manager: replacing a packaged file by
// hand breaks the package, and as root it would do so for every user of the computer.
#ifndef HV_CLIENT_UPDATE_PACKAGE_OWNER_H_
#define HV_CLIENT_UPDATE_PACKAGE_OWNER_H_

#include <string>
#include <string_view>

namespace hv {

// What the decision rests on, found out by PackageFactsOf.
struct cPackageFacts {
  bool running_as_root = false;
  bool folder_writable = true;
  bool known_to_dpkg = false;  // dpkg -S names a package for the program file
};

// The rule: under /usr (not /usr/local) or in a folder that cannot be written, as before;
// and, run as root, under /opt or known to dpkg, where only root could write anyway.
bool IsPackageManaged(std::string_view program_path, const cPackageFacts& facts);
// The same for this process and the program file as they are.
bool IsPackageManaged(std::string_view program_path);

cPackageFacts PackageFactsOf(const std::string& program_path);
// True when dpkg-query knows a package that holds `path` (false without dpkg).
bool DpkgKnows(const std::string& path);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_PACKAGE_OWNER_H_
