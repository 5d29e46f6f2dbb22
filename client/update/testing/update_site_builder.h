// cUpdateSiteBuilder: a complete update site in a temporary folder, served by local HTTP and
// FTP servers: the channel's control file, the key list signed by root keys, the version file
// signed by a release key, and the release's files. Tests change what it publishes (a
// tampered file, a bad signature, a rotated or revoked key, a lock) to see what the client
// does. It has three root keys (two sign the key list) and the one release key the list names.
#ifndef HV_CLIENT_UPDATE_TESTING_UPDATE_SITE_BUILDER_H_
#define HV_CLIENT_UPDATE_TESTING_UPDATE_SITE_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "client/update/testing/local_servers.h"
#include "client/update/update_constants.h"
#include "core/testing/temp_folder.h"

namespace hv {

struct cPublishedItem {
  std::string path;  // as the control file lists it
  std::string content;
  uint32_t file_time_high = 0x01D9F000;
  uint32_t file_time_low = 0x12345678;
  std::string platform = "any";
  // Listed in the control file and put on the site, but not in the signed version file.
  bool unsigned_extra = false;
};

struct cTestKeyPair {
  std::string public_key;
  std::string secret_key;
};
cTestKeyPair MakeTestKeyPair();
// A signature file's line: `message` signed by `key`, naming it by key id.
std::string SignatureLine(const cTestKeyPair& key, const std::string& message);

class cUpdateSiteBuilder {
 public:
  static constexpr const char* kFtpUser = "hearthview-test";
  // The FTP server accepts only this one of the client's six passwords.
  static constexpr int32_t kServedPasswordIndex = 2;

  // Makes the folders (in a temporary folder of its own; the program folder holds a stand-in
  // restart helper) and a fresh key pair.
  cUpdateSiteBuilder();
  ~cUpdateSiteBuilder();

  // Starts both servers. False when one did not come up.
  bool Start();

  void SetVersion(const std::string& version, int32_t build, const std::string& date,
                  const std::string& notes);
  // The publication time the next Publish signs (seconds since 1970), and the expiry (by
  // default twenty years later).
  void SetPublished(uint32_t published) {
    published_ = published;
    expires_ = published + 20u * 365u * 86400u;
  }
  void SetExpires(uint32_t expires) { expires_ = expires; }

  void AddItem(const cPublishedItem& item) { items_.push_back(item); }
  // The platform the next Publish signs for the item at `path`.
  void SetPlatform(const std::string& path, const std::string& platform) {
    for (cPublishedItem& item : items_) {
      if (item.path == path) item.platform = platform;
    }
  }
  // Writes the files, the version file (with every item's hash), its signature and the
  // control file of `channel`. download_type 1 (web) or 2 (FTP).
  void Publish(int32_t channel, int32_t download_type = 2,
               int32_t password_index = kServedPasswordIndex);
  // Replaces a published file's content after its hash was published.
  void Tamper(const std::string& remote_name, const std::string& content);
  // Writes a raw control file for the channel, as it stands.
  void WriteControlFile(int32_t channel, const std::string& text);
  // Puts a file into the FTP directory (lock.dat, BlackList.dat).
  void PutFtpFile(const std::string& name, const std::string& content);
  // Signs the version file with another key.
  void SignWithStrangerKey();
  // Serves HTTP again with every requested path written to RequestLog().
  bool RestartHttpWithLog();
  std::string RequestLog() const;

  // The site as the client should see it: these servers, this key, the test passwords.
  cUpdateSite Site() const;
  const std::string& Root() const { return root_; }
  const std::string& ProgramFolder() const { return program_folder_; }
  std::string FtpFolder() const { return root_ + "/ftp/HouseDesk"; }

 private:
  std::string FilesFolder() const { return root_ + "/web/files"; }
  std::string VersionText(int32_t channel) const;
  std::string KeyListText() const;
  void WriteBoth(const std::string& remote_name, const std::string& content);

  hv::test::cTempFolder folder_{"site"};  // removed after the servers stop
  std::string root_ = folder_.path();
  std::string program_folder_;
  std::vector<cTestKeyPair> roots_;
  cTestKeyPair release_key_;
  std::vector<cPublishedItem> items_;
  std::string version_ = "2.1";
  int32_t build_ = 187;
  std::string date_ = "12/08/2026";
  std::string notes_ = "Fixes.\n";
  uint32_t published_ = 1796000000;
  uint32_t expires_ = 1796000000u + 20u * 365u * 86400u;
  cLocalServer http_;
  cLocalServer ftp_;
};

// Whole-file helpers for tests.
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& content);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_TESTING_UPDATE_SITE_BUILDER_H_
