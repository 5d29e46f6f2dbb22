// update_probe: a stand-in for a client build in the end-to-end update test. It is built from
// the client's own build constants with a chosen build number, and on start it reports that
// number in "reported-build.txt" beside itself, so the test can see which build came up.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "client/update/update_constants.h"

using namespace hv;  // main() and the C entry points stand outside the namespace

int main() {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return 1;
  std::string folder(self, static_cast<size_t>(length));
  folder.erase(folder.rfind('/') + 1);
  const std::string report = folder + "reported-build.txt";
  std::FILE* file = std::fopen(report.c_str(), "w");
  if (file == nullptr) return 1;
  std::fprintf(file, "%s", ThisBuildText());
  std::fclose(file);
  std::printf("build %s\n", ThisBuildText());
  return 0;
}
