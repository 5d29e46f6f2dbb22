// A stand-in for the updated program in the tests of the restart program: it writes the
// folder it was started in and the name it was started by to "started.txt" in that folder.
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int, char** argv) {
  std::string folder(4096, '\0');
  if (getcwd(folder.data(), folder.size()) == nullptr) return 1;
  folder.resize(folder.find('\0'));
  std::FILE* out = std::fopen("started.txt", "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%s\n%s\n", folder.c_str(), argv[0]);
  return std::fclose(out) == 0 ? 0 : 1;
}
