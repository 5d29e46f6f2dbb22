#include "fuzz/scratch_folder.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/testing/temp_folder.h"

namespace hvfuzz {

namespace {

hvtest::cTempFolder* g_folder = nullptr;

void RemoveScratch() {
  delete g_folder;
  g_folder = nullptr;
}

}  // namespace

const std::string& ScratchFolder() {
  if (g_folder != nullptr) return g_folder->path();
  g_folder = new hvtest::cTempFolder("hvfuzz");
  if (g_folder->path().empty()) {
    std::perror("fuzz: cannot make the scratch folder");
    std::abort();
  }
  std::atexit(RemoveScratch);
  return g_folder->path();
}

std::string ScratchSubfolder(const char* name) {
  std::string folder = ScratchFolder() + "/" + name;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

void EmptyFolder(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    std::error_code ignored;
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteWholeFile(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", path.c_str());
    std::abort();
  }
}

}  // namespace hvfuzz
