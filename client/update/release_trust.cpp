#include "client/update/release_trust.h"

#include <algorithm>
#include <ctime>

#include "client/update/update_codes.h"
#include "client/update/update_signature.h"

namespace hv {

namespace {

Status Refuse(int32_t code, std::string text) { return UpdateFailure(code, std::move(text)); }

std::string UtcText(int64_t seconds) {
  const time_t moment = static_cast<time_t>(seconds);
  tm fields{};
  gmtime_r(&moment, &fields);
  char text[40];
  strftime(text, sizeof text, "%m/%d/%Y %I:%M %p UTC", &fields);
  return text;
}

Status CheckKeyList(const cReleaseProof& proof, const cRootKeys& roots, cTrustMemory* memory,
                    cKeyList* list) {
  if (roots.keys.empty()) {
    return Refuse(kNotAuthentic, "This build has no key to check updates with");
  }
  const int32_t signers =
      CountValidSigners(proof.key_list, ParseSignatures(proof.key_list_signature), roots.keys);
  const int32_t needed = std::max<int32_t>(1, roots.threshold);
  if (signers < needed) {
    return Refuse(kNotAuthentic, "The update site's key list is signed by " +
                                     std::to_string(signers) + " of the root keys, and " +
                                     std::to_string(needed) + " are needed");
  }
  if (!ParseKeyList(proof.key_list, list)) {
    return Refuse(kNotAuthentic, "The update site's key list cannot be read");
  }
  if (list->serial < memory->key_list_serial) {
    return Refuse(kRollbackRefused, "The update site's key list (" + std::to_string(list->serial) +
                                        ") is older than one this client has already seen (" +
                                        std::to_string(memory->key_list_serial) + ")");
  }
  memory->key_list_serial = list->serial;
  return Status::Ok();
}

// The release key that signed the version file in *signer, or a refusal that says why none
// did.
Status ReleaseSigner(const cReleaseProof& proof, const cKeyList& list, std::string* signer) {
  const std::vector<cSignatureLine> signatures = ParseSignatures(proof.version_signature);
  std::string refused_id;
  for (const cSignatureLine& line : signatures) {
    if (list.revoked_ids.count(line.key_id) != 0) {
      refused_id = line.key_id;
      continue;
    }
    for (const std::string& key : list.release_keys) {
      if (KeyIdOf(key) == line.key_id && SignatureIsValid(proof.version, line.signature, key)) {
        *signer = line.key_id;
        return Status::Ok();
      }
    }
  }
  return Refuse(kNotAuthentic,
                refused_id.empty()
                    ? "The version file is not signed by a release key of the publisher"
                    : "The version file is signed by the revoked key " + refused_id);
}

// A set lists files for particular platforms only when it is built for them: one that has
// such files and none for this platform is another platform's release.
bool IsForPlatform(const cVersionInfo& info, const char* platform) {
  bool any_specific = false;
  for (const auto& [path, entry] : info.files) {
    if (entry.platform == kAnyPlatform) continue;
    any_specific = true;
    if (entry.platform == platform) return true;
  }
  return !any_specific;
}

}  // namespace

Status CheckRelease(const cReleaseProof& proof, const cRootKeys& roots, const char* channel_word,
                    const char* platform, int64_t now, cTrustMemory* memory,
                    cTrustedRelease* release) {
  cKeyList list;
  if (Status keys = CheckKeyList(proof, roots, memory, &list); !keys.ok()) return keys;
  std::string signer;
  if (Status signed_by = ReleaseSigner(proof, list, &signer); !signed_by.ok()) return signed_by;

  cVersionInfo info;
  ParseVersionFile(proof.version, &info);
  // A signed file of another channel, or an older one of this channel, is a genuine release
  // too: only these fields tell a replayed one from the latest.
  if (info.channel != channel_word) {
    return Refuse(kRollbackRefused, "The version file was published for another channel");
  }
  if (info.published == 0 || info.published < memory->newest_published) {
    return Refuse(kRollbackRefused,
                  "The version file is older than one this client has already seen");
  }
  if (now > static_cast<int64_t>(info.expires) + kClockSkewSeconds) {
    return Refuse(kSiteExpired, "The update site is out of date: its release list expired on " +
                                    UtcText(info.expires));
  }
  if (!IsForPlatform(info, platform)) {
    return Refuse(kWrongPlatform,
                  std::string("The update site offers a release for another computer than this "
                              "one (") +
                      platform + ")");
  }
  memory->newest_published = info.published;
  release->info = std::move(info);
  release->signed_by = signer;
  return Status::Ok();
}

}  // namespace hv
