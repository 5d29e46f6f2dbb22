#include "core/profile/ini_profile.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "core/string/plain_text.h"

namespace hv {

namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// What stands around a line's words: blanks, and the carriage return a Windows-written file
// leaves.
constexpr std::string_view kBlanks = " \t\r";

}  // namespace

bool IniUsesRegistry(const std::string& path) {
  swIniFile ini;
  if (!ini.Load(path)) return false;
  const std::string* use = ini.Get("Options", "Use Registry");
  return use != nullptr && std::strtol(use->c_str(), nullptr, 10) != 0;
}

bool swIniFile::Load(const std::string& path) {
  sections_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return access(path.c_str(), F_OK) != 0;
  sections_.push_back(Section{});  // entries before the first header
  std::string line;
  while (std::getline(in, line)) {
    std::string text = Trim(line, kBlanks);
    if (text.empty() || text[0] == ';' || text[0] == '#') continue;
    if (text.front() == '[' && text.back() == ']') {
      sections_.push_back(Section{Trim(text.substr(1, text.size() - 2), kBlanks), {}});
      continue;
    }
    size_t equals = text.find('=');
    if (equals == std::string::npos) continue;
    sections_.back().entries.emplace_back(Trim(text.substr(0, equals), kBlanks),
                                          Trim(text.substr(equals + 1), kBlanks));
  }
  return !in.bad();
}

bool swIniFile::Save(const std::string& path) const {
  std::ostringstream out;
  for (const Section& section : sections_) {
    if (section.name.empty() && section.entries.empty()) continue;
    if (!section.name.empty() || &section != &sections_.front()) {
      out << '[' << section.name << "]\n";
    }
    for (const auto& entry : section.entries) out << entry.first << '=' << entry.second << '\n';
  }
  std::string text = out.str();
  std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fflush(file) == 0 && ok;
  ok = fsync(fileno(file)) == 0 && ok;
  ok = std::fclose(file) == 0 && ok;
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int reason = errno;  // what stopped the save, for the caller's message
    std::remove(temporary.c_str());
    errno = reason;
  }
  return ok;
}

swIniFile::Section* swIniFile::Find(const std::string& section) {
  for (Section& s : sections_) {
    if (SameName(s.name, section)) return &s;
  }
  return nullptr;
}

const swIniFile::Section* swIniFile::Find(const std::string& section) const {
  return const_cast<swIniFile*>(this)->Find(section);
}

const std::string* swIniFile::Get(const std::string& section, const std::string& name) const {
  const Section* s = Find(section);
  if (s == nullptr) return nullptr;
  for (const auto& entry : s->entries) {
    if (SameName(entry.first, name)) return &entry.second;
  }
  return nullptr;
}

void swIniFile::Set(const std::string& section, const std::string& name, const std::string& value) {
  Section* s = Find(section);
  if (s == nullptr) {
    sections_.push_back(Section{section, {}});
    s = &sections_.back();
  }
  for (auto& entry : s->entries) {
    if (SameName(entry.first, name)) {
      entry.second = value;
      return;
    }
  }
  s->entries.emplace_back(name, value);
}

bool swIniFile::Erase(const std::string& section, const std::string& name) {
  Section* s = Find(section);
  if (s == nullptr) return false;
  for (auto entry = s->entries.begin(); entry != s->entries.end(); ++entry) {
    if (SameName(entry->first, name)) {
      s->entries.erase(entry);
      return true;
    }
  }
  return false;
}

bool swIniFile::EraseSection(const std::string& section) {
  for (auto s = sections_.begin(); s != sections_.end(); ++s) {
    if (!section.empty() && SameName(s->name, section)) {
      sections_.erase(s);
      return true;
    }
  }
  return false;
}

bool swIniFile::HasSection(const std::string& section) const { return Find(section) != nullptr; }

std::vector<std::string> swIniFile::Names(const std::string& section) const {
  std::vector<std::string> names;
  const Section* s = Find(section);
  if (s != nullptr) {
    for (const auto& entry : s->entries) names.push_back(entry.first);
  }
  return names;
}

}  // namespace hv
