#include "client/update/testing/update_site_builder.h"

#include <sodium.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "client/update/auto_updater.h"
#include "client/update/update_keys.h"
#include "client/update/update_signature.h"
#include "client/update/version_file.h"

namespace hv {

namespace fs = std::filesystem;

namespace {

std::string Sha256(const std::string& content) {
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(content.data()),
                     content.size());
  return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

const char* ChannelWord(int32_t channel) {
  switch (channel) {
    case kChannelRelease: return "release";
    case kChannelBeta: return "beta";
    default: return "alpha";
  }
}

std::string RemoteName(const std::string& path) {
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".ex_") == 0) {
    return path.substr(0, path.size() - 4) + ".exe";
  }
  return path;
}

}  // namespace

std::string ReadFileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream buffer;
  buffer << file.rdbuf();
  return buffer.str();
}

void WriteFileText(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << content;
}

cUpdateSiteBuilder::cUpdateSiteBuilder() {
  program_folder_ = root_ + "/program";
  fs::create_directories(root_ + "/web/files");
  fs::create_directories(root_ + "/ftp/HouseDesk");
  fs::create_directories(program_folder_);
  fs::create_directories(root_ + "/downloads");
  // The helper beside the program, as an installed program folder has it.
  WriteFileText(program_folder_ + "/restart", "#!/bin/sh\n");
  fs::permissions(program_folder_ + "/restart", fs::perms::owner_all, fs::perm_options::add);
  for (int i = 0; i < 3; ++i) roots_.push_back(MakeTestKeyPair());
  release_key_ = MakeTestKeyPair();
}

std::string SignatureLine(const cTestKeyPair& key, const std::string& message) {
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(),
                       reinterpret_cast<const unsigned char*>(key.secret_key.data()));
  return SignatureLineText(key.public_key,
                           std::string(reinterpret_cast<const char*>(signature), sizeof signature));
}

cTestKeyPair MakeTestKeyPair() {
  cTestKeyPair pair;
  if (sodium_init() < 0) return pair;
  unsigned char public_key[crypto_sign_PUBLICKEYBYTES];
  unsigned char secret_key[crypto_sign_SECRETKEYBYTES];
  crypto_sign_keypair(public_key, secret_key);
  pair.public_key.assign(reinterpret_cast<const char*>(public_key), sizeof public_key);
  pair.secret_key.assign(reinterpret_cast<const char*>(secret_key), sizeof secret_key);
  return pair;
}

std::string cUpdateSiteBuilder::KeyListText() const {
  return "KEY LIST = 1\nRELEASE KEY = " + HexText(release_key_.public_key) + "\n";
}

cUpdateSiteBuilder::~cUpdateSiteBuilder() {
  http_.Stop();
  ftp_.Stop();
}

bool cUpdateSiteBuilder::Start() {
  const cUpdateSite built_in = BuiltInUpdateSite();
  return http_.StartHttp(root_ + "/web") &&
         ftp_.StartFtp(root_ + "/ftp", kFtpUser,
                       built_in.ftp_passwords[kServedPasswordIndex].CStr());
}

void cUpdateSiteBuilder::SetVersion(const std::string& version, int32_t build,
                                    const std::string& date, const std::string& notes) {
  version_ = version;
  build_ = build;
  date_ = date;
  notes_ = notes;
}

void cUpdateSiteBuilder::WriteBoth(const std::string& remote_name, const std::string& content) {
  WriteFileText(FilesFolder() + "/" + remote_name, content);
  WriteFileText(FtpFolder() + "/" + remote_name, content);
}

std::string cUpdateSiteBuilder::VersionText(int32_t channel) const {
  std::string text = "FILE VERSION = 1\r\nPROGRAM VERSION = " + version_ +
                     "\r\nPROGRAM BUILD = " + std::to_string(build_) +
                     "\r\nDATE AVAILABLE = " + date_ + "\r\nCHANNEL = " + ChannelWord(channel) +
                     "\r\nPUBLISHED = " + std::to_string(published_) +
                     "\r\nEXPIRES = " + std::to_string(expires_) + "\r\n";
  for (const cPublishedItem& item : items_) {
    if (item.unsigned_extra) continue;
    text += std::string(kFileKeyPrefix) + item.path + " = " + std::to_string(item.content.size()) +
            " " + HexText(Sha256(item.content)) + " " + item.platform + "\r\n";
  }
  return text + "RELEASE NOTES:\r\n" + notes_;
}

void cUpdateSiteBuilder::Publish(int32_t channel, int32_t download_type, int32_t password_index) {
  for (const cPublishedItem& item : items_) WriteBoth(RemoteName(item.path), item.content);
  const std::string version = VersionText(channel);
  WriteBoth(kVersionFileName, version);
  const std::string signature_text = SignatureLine(release_key_, version);
  WriteBoth(kVersionSignatureName, signature_text);
  const std::string key_list = KeyListText();
  WriteBoth(kKeyListName, key_list);
  WriteBoth(kKeyListSignatureName,
            SignatureLine(roots_[0], key_list) + SignatureLine(roots_[1], key_list));

  std::string control = "1\r\n" + std::to_string(download_type) +
                        "\r\nhttp://127.0.0.1:" + std::to_string(http_.Port()) +
                        "/files\r\n127.0.0.1\r\n/HouseDesk\r\n" + std::to_string(ftp_.Port()) +
                        "\r\n" + kFtpUser + "\r\n" + std::to_string(password_index) + "\r\n";
  const auto line = [&](const std::string& path, size_t size, uint32_t high, uint32_t low) {
    control += "1;" + path + ";" + std::to_string(high) + ";" + std::to_string(low) + ";0;" +
               std::to_string(size) + "\r\n";
  };
  line(kVersionFileName, version.size(), 0x01D9F000, 0x10000000);
  line(kVersionSignatureName, signature_text.size(), 0x01D9F000, 0x10000000);
  for (const cPublishedItem& item : items_) {
    line(item.path, item.content.size(), item.file_time_high, item.file_time_low);
  }
  WriteControlFile(channel, control);
}

void cUpdateSiteBuilder::Tamper(const std::string& remote_name, const std::string& content) {
  WriteBoth(remote_name, content);
}

void cUpdateSiteBuilder::WriteControlFile(int32_t channel, const std::string& text) {
  WriteFileText(root_ + "/web/" + ControlFileName(channel), text);
}

void cUpdateSiteBuilder::PutFtpFile(const std::string& name, const std::string& content) {
  WriteFileText(FtpFolder() + "/" + name, content);
}

void cUpdateSiteBuilder::SignWithStrangerKey() {
  const std::string version = ReadFileText(FilesFolder() + "/" + kVersionFileName);
  WriteBoth(kVersionSignatureName, SignatureLine(MakeTestKeyPair(), version));
}

bool cUpdateSiteBuilder::RestartHttpWithLog() {
  return http_.StartHttp(root_ + "/web", root_ + "/requests.log");
}

std::string cUpdateSiteBuilder::RequestLog() const { return ReadFileText(root_ + "/requests.log"); }

cUpdateSite cUpdateSiteBuilder::Site() const {
  cUpdateSite site = BuiltInUpdateSite();
  site.web_address = ("http://127.0.0.1:" + std::to_string(http_.Port())).c_str();
  site.ftp_host = "127.0.0.1";
  site.ftp_port = ftp_.Port();
  site.ftp_directory = "/HouseDesk";
  site.ftp_user = kFtpUser;
  site.roots.keys.clear();
  for (const cTestKeyPair& root : roots_) site.roots.keys.push_back(root.public_key);
  site.roots.threshold = 2;
  site.download_folder = (root_ + "/downloads").c_str();
  return site;
}

}  // namespace hv
