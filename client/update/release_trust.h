// Whether a release the site offers may be believed: the key list signed by enough root
// keys, the version file signed by a release key of that list that is not revoked, meant for
// this channel and this platform, not older than what this client has already accepted, and
// still current. Pure logic over the fetched bytes, the time and what the client remembers,
// so that the same rules can be checked over months of simulated releases.
#ifndef HV_CLIENT_UPDATE_RELEASE_TRUST_H_
#define HV_CLIENT_UPDATE_RELEASE_TRUST_H_

#include <cstdint>
#include <string>

#include "client/update/update_keys.h"
#include "client/update/version_file.h"
#include "core/status.h"

namespace hv {

// How far this computer's clock may run ahead of the publisher's before a release counts as
// expired early: clocks of home computers drift, and a few minutes must not stop an update.
constexpr int64_t kClockSkewSeconds = 10 * 60;

// The four files that prove a release, as they came from the site.
struct cReleaseProof {
  std::string key_list;
  std::string key_list_signature;
  std::string version;
  std::string version_signature;
};

// What the client keeps between runs (per channel for the publication), so that nothing
// older than what it has accepted is ever accepted again.
struct cTrustMemory {
  uint32_t key_list_serial = 0;
  uint32_t newest_published = 0;
};

struct cTrustedRelease {
  cVersionInfo info;
  std::string signed_by;  // the key id of the release key
};

// Checks `proof` for `channel_word` ("release", "beta", "alpha") on `platform` at `now`
// (seconds since 1970 UTC). Ok: *release holds the version file, and *memory the raised
// serial and publication. Otherwise the status's message says what was refused, *memory
// keeps only a key list that was proven, and the status is the update's: kNotAuthentic
// (signatures, threshold, revoked or unknown key), kRollbackRefused (an older key list or
// version file, another channel), kSiteExpired, kWrongPlatform.
[[nodiscard]] Status CheckRelease(const cReleaseProof& proof, const cRootKeys& roots,
                                  const char* channel_word, const char* platform, int64_t now,
                                  cTrustMemory* memory, cTrustedRelease* release);

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_RELEASE_TRUST_H_
