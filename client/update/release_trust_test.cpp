#include "client/update/release_trust.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <map>
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
    for (const cTestKeyPair* key : listed)
      text += "RELEASE KEY = " + HexText(key->public_key) + "\n";
    for (const cTestKeyPair* key : revoked)
      text += "REVOKED KEY = " + KeyIdOf(key->public_key) + "\n";
    return text;
  }

  cReleaseProof Proof(const std::string& key_list, const std::vector<int>& root_signers,
                      const cTestKeyPair& release_key, int64_t published, int64_t expires,
                      const std::string& platform = "any",
                      const std::string& channel = "release") const {
    cReleaseProof proof;
    proof.key_list = key_list;
    for (const int index : root_signers)
      proof.key_list_signature += SignatureLine(roots[index], key_list);
    proof.version = "PROGRAM BUILD = 187\nCHANNEL = " + channel +
                    "\nPUBLISHED = " + std::to_string(published) +
                    "\nEXPIRES = " + std::to_string(expires) + "\nFILE hearthview.exe = 3 " +
                    std::string(64, 'a') + " " + platform + "\n";
    proof.version_signature = SignatureLine(release_key, proof.version);
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
  const Status status =
      CheckRelease(proof, publisher.trusted, "release", platform, now, memory, &release);
  check.code = status.code();
  check.why = status.message();
  return check;
}

TEST(ReleaseTrustTest, KeyListNeedsTheThresholdOfDifferentRootKeys) {
  cPublisher publisher;
  const cTestKeyPair release = MakeTestKeyPair();
  const std::string list = publisher.KeyList(1, {&release}, {});
  cTrustMemory memory;
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 2}, release, kStart, kStart + kDay), kStart,
                  &memory)
                .code,
            0);
  // One root key, or the same one twice, is below the threshold; so is a stranger's.
  for (const std::vector<int>& signers : {std::vector<int>{1}, std::vector<int>{1, 1}}) {
    cTrustMemory fresh;
    const cCheck check = Check(
        publisher, publisher.Proof(list, signers, release, kStart, kStart + kDay), kStart, &fresh);
    EXPECT_EQ(check.code, kNotAuthentic);
    EXPECT_EQ(check.why,
              "The update site's key list is signed by 1 of the root keys, and 2 are needed");
    EXPECT_EQ(fresh.key_list_serial, 0u);
  }
  cReleaseProof forged = publisher.Proof(list, {0}, release, kStart, kStart + kDay);
  forged.key_list_signature += SignatureLine(MakeTestKeyPair(), list);
  cTrustMemory fresh;
  EXPECT_EQ(Check(publisher, forged, kStart, &fresh).code, kNotAuthentic);
  // A build without root keys trusts nothing.
  cPublisher keyless = publisher;
  keyless.trusted.keys.clear();
  EXPECT_EQ(
      Check(keyless, publisher.Proof(list, {0, 1}, release, kStart, kStart + kDay), kStart, &fresh)
          .code,
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
                  kStart, &memory)
                .code,
            0);
  // Rotated: the new list names the second key, which now signs.
  const std::string rotated = publisher.KeyList(2, {&second}, {});
  EXPECT_EQ(Check(publisher, publisher.Proof(rotated, {1, 2}, second, kStart + 10, kStart + kDay),
                  kStart + 20, &memory)
                .code,
            0);
  EXPECT_EQ(memory.key_list_serial, 2u);
  // The first key is no longer listed: what it signs is refused.
  cCheck check =
      Check(publisher, publisher.Proof(rotated, {1, 2}, first, kStart + 30, kStart + kDay),
            kStart + 40, &memory);
  EXPECT_EQ(check.code, kNotAuthentic);
  EXPECT_EQ(check.why, "The version file is not signed by a release key of the publisher");
  // Revoked, even where a list still names it, the key is refused by its id.
  const std::string revoking = publisher.KeyList(3, {&first, &second}, {&first});
  check = Check(publisher, publisher.Proof(revoking, {0, 2}, first, kStart + 50, kStart + kDay),
                kStart + 60, &memory);
  EXPECT_EQ(check.code, kNotAuthentic);
  EXPECT_EQ(check.why,
            "The version file is signed by the revoked key " + KeyIdOf(first.public_key));
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
                  expires + kClockSkewSeconds, &memory)
                .code,
            0);
  const cCheck late = Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires),
                            expires + kClockSkewSeconds + 1, &memory);
  EXPECT_EQ(late.code, kSiteExpired);
  EXPECT_EQ(late.why,
            "The update site is out of date: its release list expired on 12/30/2026 "
            "12:53 AM UTC");
  // A version file without an expiry has long expired.
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, 0), kStart, &memory).code,
            kSiteExpired);

  // A set with files for another machine only is another machine's release; "any" is for all.
  const cCheck other =
      Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires, "linux-aarch64"), kStart,
            &memory, "linux-x86_64");
  EXPECT_EQ(other.code, kWrongPlatform);
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires, "linux-x86_64"),
                  kStart, &memory, "linux-x86_64")
                .code,
            0);
  EXPECT_EQ(Check(publisher, publisher.Proof(list, {0, 1}, key, kStart, expires, "any", "beta"),
                  kStart, &memory)
                .code,
            kRollbackRefused);
}

// One served set with what the model knows of it (its labels, not its bytes).
struct cServedSet {
  cReleaseProof proof;
  uint32_t serial = 0;
  int64_t published = 0;
  int64_t expires = 0;
  int root_signers = 2;        // different root keys on its key list
  bool signer_trusted = true;  // listed and not revoked in its own key list
};

// The plain model of what the client must accept: a key list counts with two roots and no
// older serial than seen; the set then with a trusted signer, no older publication than
// accepted, and not expired. *after receives what the client must then remember.
int32_t ModelAnswer(const cServedSet& served, int64_t now, const cTrustMemory& before,
                    cTrustMemory* after) {
  *after = before;
  if (served.root_signers < 2) return kNotAuthentic;
  if (served.serial < before.key_list_serial) return kRollbackRefused;
  after->key_list_serial = served.serial;
  if (!served.signer_trusted) return kNotAuthentic;
  if (served.published < before.newest_published) return kRollbackRefused;
  if (now > served.expires + kClockSkewSeconds) return kSiteExpired;
  after->newest_published = static_cast<uint32_t>(served.published);
  return 0;
}

// A publisher's life: releases, routine rotations, keys revoked after a compromise; and
// what a mirror or an attacker may serve instead of the newest set.
class cPublisherLife {
 public:
  explicit cPublisherLife(uint32_t seed) : random_(seed) {
    // Reserved, so that the pointers into it stay valid as keys are added.
    keys_.reserve(1024);
    listed_ = {&keys_.emplace_back(MakeTestKeyPair())};
    Publish();
  }

  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(random_) < percent; }
  int64_t Between(int64_t low, int64_t high) {
    return std::uniform_int_distribution<int64_t>(low, high)(random_);
  }

  // A day or so passes; the publisher may revoke, rotate or publish.
  void Live() {
    time_ += Between(kDay / 4, 3 * kDay);
    if (Chance(3)) {
      revoked_.push_back(listed_.back());
      NewKeyList();
    } else if (Chance(4)) {
      NewKeyList();
    } else if (Chance(20)) {
      Publish();
    }
  }

  // Mostly the newest set; else a replay, a set signed with a revoked key, or a key list
  // signed with one stolen root key.
  cServedSet Serve() {
    if (Chance(15)) return genuine_[static_cast<size_t>(Between(0, genuine_.size() - 1))];
    if (Chance(5) && !revoked_.empty()) {
      return Set(publisher_.KeyList(serial_, listed_, revoked_), {0, 1}, *revoked_.back(),
                 time_ + kDay, serial_, 2, false);
    }
    if (Chance(5)) {
      const cTestKeyPair* own = &keys_.emplace_back(MakeTestKeyPair());
      return Set(publisher_.KeyList(serial_ + 1, {own}, {}), {2}, *own, time_ + kDay, serial_ + 1,
                 1, true);
    }
    return genuine_.back();
  }

  // The client's clock: mostly close to the publisher's, sometimes far off either way.
  int64_t ClientNow() {
    int64_t now = time_ + Between(-600, 600);
    if (Chance(8)) now += Between(-40, 60) * kDay;
    return now;
  }

  const cPublisher& Publisher() const { return publisher_; }
  uint32_t Serial() const { return serial_; }

 private:
  cServedSet Set(const std::string& list, const std::vector<int>& roots, const cTestKeyPair& key,
                 int64_t expires, uint32_t serial, int root_signers, bool trusted) const {
    return {publisher_.Proof(list, roots, key, time_, expires),
            serial,
            time_,
            expires,
            root_signers,
            trusted};
  }
  void NewKeyList() {
    listed_ = {&keys_.emplace_back(MakeTestKeyPair())};
    ++serial_;
    Publish();
  }
  void Publish() {
    genuine_.push_back(Set(publisher_.KeyList(serial_, listed_, revoked_), {0, 1}, *listed_.back(),
                           time_ + 30 * kDay, serial_, 2, true));
  }

  std::mt19937 random_;
  cPublisher publisher_;
  std::vector<cTestKeyPair> keys_;
  std::vector<const cTestKeyPair*> listed_;
  std::vector<const cTestKeyPair*> revoked_;
  uint32_t serial_ = 1;
  int64_t time_ = kStart;
  std::vector<cServedSet> genuine_;
};

// Eighteen months of a publisher's life on a simulated clock: releases, key rotations, keys
// revoked after a compromise, a mirror that replays old sets, an attacker who holds a revoked
// release key or one root key, the client's clock jumping back and forth, and the client
// killed before it could keep what it accepted. Every answer is compared with the model.
TEST(ReleaseTrustTest, MonthsOfReleasesRotationsAndAttacksAgainstAPlainModel) {
  cPublisherLife life(20261210);
  cTrustMemory client;
  cTrustMemory model;
  std::map<int32_t, int> answers;
  for (int step = 0; step < 400; ++step) {
    life.Live();
    const cServedSet served = life.Serve();
    const int64_t now = life.ClientNow();
    cTrustMemory expected_memory;
    const int32_t expected = ModelAnswer(served, now, model, &expected_memory);
    cTrustMemory after = client;
    const cCheck check = Check(life.Publisher(), served.proof, now, &after);
    ASSERT_EQ(check.code, expected) << "step " << step << ": " << check.why;
    ASSERT_EQ(after.key_list_serial, expected_memory.key_list_serial) << "step " << step;
    ASSERT_EQ(after.newest_published, expected_memory.newest_published) << "step " << step;
    // Killed before it kept what it learnt, the client starts the next step as it was.
    if (!life.Chance(10)) {
      client = after;
      model = expected_memory;
    }
    ++answers[expected];
  }
  // The walk met every kind of answer.
  EXPECT_GT(answers[0], 100);
  EXPECT_GT(answers[kSiteExpired], 5);
  EXPECT_GT(answers[kNotAuthentic], 10);
  EXPECT_GT(answers[kRollbackRefused], 10);
  EXPECT_GE(life.Serial(), 3u);
}

}  // namespace

}  // namespace hv
