#include "client/update/release_trust.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <random>
#include <string>
#include <vector>

#include "client/update/testing/update_site_builder.h"
#include "client/update/update_codes.h"
#include "client/update/update_signature.h"

namespace hv {

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kStart = 1796000000;

std::string Signed(const cTestKeyPair& key, const std::string& message) {
  unsigned char signature[crypto_sign_BYTES];
  crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                       message.size(), reinterpret_cast<const unsigned char*>(key.secret_key.data()));
  return SignatureLineText(key.public_key,
                           std::string(reinterpret_cast<const char*>(signature), sizeof signature));
}

// A publisher's keys: three root keys (two must sign), release keys as they come and go.
struct cPublisher {
  cPublisher() {
    for (int i = 0; i < 3; ++i) roots.push_back(MakeTestKeyPair());
    for (const cTestKeyPair& root : roots) trusted.keys.push_back(root.public_key);
    trusted.threshold = 2;
  }

  std::string KeyList(uint32_t serial, const std::vector<const cTestKeyPair*>& listed,
                      const std::vector<const cTestKeyPair*>& revoked) const {
    std::string text = "KEY LIST = " + std::to_string(serial) + "\n";
    for (const cTestKeyPair* key : listed) text += "RELEASE KEY = " + HexText(key->public_key) + "\n";
    for (const cTestKeyPair* key : revoked) text += "REVOKED KEY = " + KeyIdOf(key->public_key) + "\n";
    return text;
  }

  cReleaseProof Proof(const std::string& key_list, const std::vector<int>& root_signers,
                      const cTestKeyPair& release_key, int64_t published, int64_t expires,
                      const std::string& platform = "any",
                      const std::string& channel = "release") const {
    cReleaseProof proof;
    proof.key_list = key_list;
    for (const int index : root_signers) proof.key_list_signature += Signed(roots[index], key_list);
    proof.version = "PROGRAM BUILD = 187\nCHANNEL = " + channel +
                    "\nPUBLISHED = " + std::to_string(published) +
                    "\nEXPIRES = " + std::to_string(expires) + "\nFILE hearthview.exe = 3 " +
                    std::string(64, 'a') + " " + platform + "\n";
    proof.version_signature = Signed(release_key, proof.version);
    return proof;
  }

  std::vector<cTestKeyPair> roots;
  cRootKeys trusted;
};

struct cCheck {
  int32_t code = 0;
  std::string why;
};

cCheck Check(const cPublisher& publisher, const cReleaseProof& proof, int64_t now,
             cTrustMemory* memory, const char* platform = "linux-x86_64") {
  cTrustedRelease release;
  cCheck check;
  check.code = CheckRelease(proof, publisher.trusted, "release", platform, now, memory, &release,
                            &check.why)
                   .code();
  return check;
}

TEST(ReleaseTrustTest, KeyListNeedsTheThresholdOfDifferentRootKeys) {
  cPublisher publisher;
  const cTestKeyPair release = MakeTestKeyPair();
  const std::string list = publisher.KeyList(1, {&release}, {});
  cTrustMemory memory;
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 2}, release, kStart, kStart + kDay), kStart,
                  &memory).code,
            0);
  // One root key, or the same one twice, is below the threshold; so is a stranger's.
  for (const std::vector<int>& signers : {std::vector<int>{1}, std::vector<int>{1, 1}}) {
    cTrustMemory fresh;
    const cCheck check =
        Check(publisher, publisher.Proof(list, signers, release, kStart, kStart + kDay), kStart,
              &fresh);
    EXPECT_EQ(check.code, kNotAuthentic);
    EXPECT_EQ(check.why, "The update site's key list is signed by 1 of the root keys, and 2 are needed");
    EXPECT_EQ(fresh.key_list_serial, 0u);
  }
  cReleaseProof forged = publisher.Proof(list, {0}, release, kStart, kStart + kDay);
  forged.key_list_signature += Signed(MakeTestKeyPair(), list);
  cTrustMemory fresh;
  EXPECT_EQ(Check(publisher, forged, kStart, &fresh).code, kNotAuthentic);
  // A build without root keys trusts nothing.
  cPublisher keyless = publisher;
  keyless.trusted.keys.clear();
  EXPECT_EQ(Check(keyless, publisher.Proof(list, {0, 1}, release, kStart, kStart + kDay), kStart,
                  &fresh).code,
            kNotAuthentic);
}

TEST(ReleaseTrustTest, RotatedKeyIsTakenRevokedAndUnlistedKeysAreNot) {
  cPublisher publisher;
  const cTestKeyPair first = MakeTestKeyPair();
  const cTestKeyPair second = MakeTestKeyPair();
  cTrustMemory memory;
  ASSERT_EQ(Check(publisher,
                  publisher.Proof(publisher.KeyList(1, {&first}, {}), {0, 1}, first, kStart,
                                  kStart + 30 * kDay),
                  kStart, &memory).code,
            0);
  // Rotated: the new list names the second key, which now signs.
  const std::string rotated = publisher.KeyList(2, {&second}, {});
  EXPECT_EQ(Check(publisher, publisher.Proof(rotated, {1, 2}, second, kStart + 10, kStart + kDay),
                  kStart + 20, &memory).code,
            0);
  EXPECT_EQ(memory.key_list_serial, 2u);
  // The first key is no longer listed: what it signs is refused.
  cCheck check = Check(publisher, publisher.Proof(rotated, {1, 2}, first, kStart + 30, kStart + kDay),
                       kStart + 40, &memory);
  EXPECT_EQ(check.code, kNotAuthentic);
  EXPECT_EQ(check.why, "The version file is not signed by a release key of the publisher");
  // Revoked, even where a list still names it, the key is refused by its id.
  const std::string revoking = publisher.KeyList(3, {&first, &second}, {&first});
  check = Check(publisher, publisher.Proof(revoking, {0, 2}, first, kStart + 50, kStart + kDay),
                kStart + 60, &memory);
  EXPECT_EQ(check.code, kNotAuthentic);
  EXPECT_EQ(check.why, "The version file is signed by the revoked key " + KeyIdOf(first.public_key));
  // The old list that still trusted the first key cannot be brought back.
  check = Check(publisher,
                publisher.Proof(publisher.KeyList(1, {&first}, {}), {0, 1}, first, kStart + 70,
                                kStart + kDay),
                kStart + 80, &memory);
  EXPECT_EQ(check.code, kRollbackRefused);
  EXPECT_EQ(memory.key_list_serial, 3u);
}

TEST(ReleaseTrustTest, ExpiryAllowsAFewMinutesOfSkewAndPlatformMustMatch) {
  cPublisher publisher;
  const cTestKeyPair key = MakeTestKeyPair();
  const std::string list = publisher.KeyList(1, {&key}, {});
  const int64_t expires = kStart + 30 * kDay;
  cTrustMemory memory;
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires),
                  expires + kClockSkewSeconds, &memory).code,
            0);
  const cCheck late = Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires),
                            expires + kClockSkewSeconds + 1, &memory);
  EXPECT_EQ(late.code, kSiteExpired);
  EXPECT_EQ(late.why, "The update site is out of date: its release list expired on 12/30/2026 "
                      "12:53 AM UTC");
  // A version file without an expiry has long expired.
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, 0), kStart, &memory).code,
            kSiteExpired);

  // A set with files for another machine only is another machine's release; "any" is for all.
  const cCheck other = Check(publisher,
                             publisher.Proof(list, {0, 1}, key, kStart, expires, "linux-aarch64"),
                             kStart, &memory, "linux-x86_64");
  EXPECT_EQ(other.code, kWrongPlatform);
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires, "linux-x86_64"),
                  kStart, &memory, "linux-x86_64").code,
            0);
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires, "any", "beta"),
                  kStart, &memory).code,
            kRollbackRefused);
}

// Eighteen months of a publisher's life on a simulated clock: releases, key rotations, keys
// revoked after a compromise, a mirror that replays old sets, an attacker who holds a revoked
// release key or one root key, the client's clock jumping back and forth, and the client
// killed before it could keep what it accepted. Every answer is compared with a plain model
// of what the client must accept.
TEST(ReleaseTrustTest, MonthsOfReleasesRotationsAndAttacksAgainstAPlainModel) {
  struct cSnapshot {
    cReleaseProof proof;
    uint32_t serial;
    int64_t published;
    int64_t expires;
    int root_signers;     // different root keys on its key list
    bool signer_trusted;  // listed and not revoked in its own key list
  };
  cPublisher publisher;
  // Reserved, so that the pointers below stay valid as keys are added.
  std::vector<cTestKeyPair> keys;
  keys.reserve(1024);
  keys.push_back(MakeTestKeyPair());
  std::vector<const cTestKeyPair*> listed = {&keys[0]};
  std::vector<const cTestKeyPair*> revoked;
  uint32_t serial = 1;
  int64_t publisher_time = kStart;
  std::vector<cSnapshot> genuine;
  const auto publish = [&] {
    const std::string list = publisher.KeyList(serial, listed, revoked);
    genuine.push_back({publisher.Proof(list, {0, 1}, *listed.back(), publisher_time,
                                       publisher_time + 30 * kDay),
                       serial, publisher_time, publisher_time + 30 * kDay, 2, true});
  };
  publish();

  std::mt19937 random(20261210);
  const auto chance = [&](int percent) {
    return std::uniform_int_distribution<int>(0, 99)(random) < percent;
  };
  cTrustMemory client;
  cTrustMemory model;
  int accepted = 0;
  int expired = 0;
  int refused = 0;
  for (int step = 0; step < 400; ++step) {
    publisher_time += std::uniform_int_distribution<int64_t>(kDay / 4, 3 * kDay)(random);
    if (chance(3)) {
      // A release key is compromised: the next list revokes it and names a fresh one.
      revoked.push_back(listed.back());
      keys.push_back(MakeTestKeyPair());
      listed = {&keys.back()};
      ++serial;
      publish();
    } else if (chance(4)) {
      keys.push_back(MakeTestKeyPair());
      listed = {&keys.back()};
      ++serial;
      publish();
    } else if (chance(20)) {
      publish();
    }
    // What the client is served: mostly the newest set, else a replay or a forgery.
    cSnapshot served = genuine.back();
    if (chance(15)) {
      served = genuine[std::uniform_int_distribution<size_t>(0, genuine.size() - 1)(random)];
    } else if (chance(5) && !revoked.empty()) {
      const cTestKeyPair* stolen = revoked.back();
      const std::string list = publisher.KeyList(serial, listed, revoked);
      served = {publisher.Proof(list, {0, 1}, *stolen, publisher_time, publisher_time + kDay),
                serial, publisher_time, publisher_time + kDay, 2, false};
    } else if (chance(5)) {
      // The attacker holds one root key and lists a key of their own, with a higher serial.
      const cTestKeyPair* own = &keys.emplace_back(MakeTestKeyPair());
      const std::string list = publisher.KeyList(serial + 1, {own}, {});
      served = {publisher.Proof(list, {2}, *own, publisher_time, publisher_time + kDay),
                serial + 1, publisher_time, publisher_time + kDay, 1, true};
    }
    // The client's clock: mostly close to the publisher's, sometimes far off either way.
    int64_t now = publisher_time + std::uniform_int_distribution<int64_t>(-600, 600)(random);
    if (chance(8)) now += std::uniform_int_distribution<int64_t>(-40, 60)(random) * kDay;

    // The plain model: a key list counts with two roots and no older serial than seen; the
    // set then with a trusted signer, no older publication than accepted, and not expired.
    cTrustMemory expected_memory = model;
    int32_t expected = 0;
    if (served.root_signers < 2) {
      expected = kNotAuthentic;
    } else if (served.serial < model.key_list_serial) {
      expected = kRollbackRefused;
    } else {
      expected_memory.key_list_serial = served.serial;
      if (!served.signer_trusted) {
        expected = kNotAuthentic;
      } else if (served.published < model.newest_published) {
        expected = kRollbackRefused;
      } else if (now > served.expires + kClockSkewSeconds) {
        expected = kSiteExpired;
      } else {
        expected_memory.newest_published = static_cast<uint32_t>(served.published);
      }
    }
    cTrustMemory after = client;
    const cCheck check = Check(publisher, served.proof, now, &after);
    ASSERT_EQ(check.code, expected) << "step " << step << ": " << check.why;
    ASSERT_EQ(after.key_list_serial, expected_memory.key_list_serial) << "step " << step;
    ASSERT_EQ(after.newest_published, expected_memory.newest_published) << "step " << step;
    // Killed before it kept what it learnt, the client starts the next step as it was.
    if (!chance(10)) {
      client = after;
      model = expected_memory;
    }
    accepted += expected == 0;
    expired += expected == kSiteExpired;
    refused += expected != 0 && expected != kSiteExpired;
  }
  // The walk met every kind of answer, and a revoked key never got through.
  EXPECT_GT(accepted, 100);
  EXPECT_GT(expired, 5);
  EXPECT_GT(refused, 20);
  EXPECT_GE(serial, 3u);
}

}  // namespace

}  // namespace hv
