// The Secret Service keyring, against a real one when the session has it (the test script
// starts a private session bus and keyring daemon); without one, the store must say so
// rather than fail or hang.
#include "client/platform/linux/secret_password_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/status.h"

namespace hv {

namespace {

TEST(SecretPasswordStoreTest, FilesFindsReplacesAndRemovesPasswordsByTheirKey) {
  cSecretPasswordStore store;
  if (!store.IsAvailable()) {
    ASSERT_EQ(std::getenv("HV_REQUIRE_KEYRING"), nullptr) << "the keyring did not answer";
    swString password;
    EXPECT_TRUE(store.Lookup("Orvane LLC", "Varnholt", "Client Settings\\Password", &password)
                    .Is(Where::kKeyring, kNotConnected));
    EXPECT_TRUE(store.Store("Orvane LLC", "Varnholt", "Client Settings\\Password", "x")
                    .Is(Where::kKeyring, kNotConnected));
    GTEST_SKIP() << "no keyring in this session";
  }
  const char* key = "Client Data\\Home; with a semicolon";
  ASSERT_TRUE(store.Store("Orvane LLC", "Varnholt", key, "se;cret é").ok());
  ASSERT_TRUE(store.Store("Orvane LLC", "Other", key, "other").ok());
  swString password;
  ASSERT_TRUE(store.Lookup("Orvane LLC", "Varnholt", key, &password).ok());
  EXPECT_STREQ(password.CStr(), "se;cret é");

  ASSERT_TRUE(store.Store("Orvane LLC", "Varnholt", key, "changed").ok());
  ASSERT_TRUE(store.Lookup("Orvane LLC", "Varnholt", key, &password).ok());
  EXPECT_STREQ(password.CStr(), "changed");

  ASSERT_TRUE(store.Remove("Orvane LLC", "Varnholt", key).ok());
  EXPECT_TRUE(
      store.Lookup("Orvane LLC", "Varnholt", key, &password).Is(Where::kKeyring, kDeclined));
  // The other application's entry under the same key is its own.
  ASSERT_TRUE(store.Lookup("Orvane LLC", "Other", key, &password).ok());
  EXPECT_STREQ(password.CStr(), "other");
  EXPECT_TRUE(store.Remove("Orvane LLC", "Other", key).ok());
  EXPECT_TRUE(store.Remove("Orvane LLC", "Other", key).ok());  // nothing there is fine
}

}  // namespace

}  // namespace hv
