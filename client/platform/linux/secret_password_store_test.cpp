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
    EXPECT_LT(store.Lookup("Orvane LLC", "Varnholt", "Client Settings\\Password", &password), 0);
    EXPECT_LT(store.Store("Orvane LLC", "Varnholt", "Client Settings\\Password", "x"), 0);
    GTEST_SKIP() << "no keyring in this session";
  }
  const char* key = "Client Data\\Home; with a semicolon";
  ASSERT_EQ(store.Store("Orvane LLC", "Varnholt", key, "se;cret é"), hv::kOk);
  ASSERT_EQ(store.Store("Orvane LLC", "Other", key, "other"), hv::kOk);
  swString password;
  ASSERT_EQ(store.Lookup("Orvane LLC", "Varnholt", key, &password), hv::kOk);
  EXPECT_STREQ(password.CStr(), "se;cret é");

  ASSERT_EQ(store.Store("Orvane LLC", "Varnholt", key, "changed"), hv::kOk);
  ASSERT_EQ(store.Lookup("Orvane LLC", "Varnholt", key, &password), hv::kOk);
  EXPECT_STREQ(password.CStr(), "changed");

  ASSERT_EQ(store.Remove("Orvane LLC", "Varnholt", key), hv::kOk);
  EXPECT_EQ(store.Lookup("Orvane LLC", "Varnholt", key, &password), hv::kDeclined);
  // The other application's entry under the same key is its own.
  ASSERT_EQ(store.Lookup("Orvane LLC", "Other", key, &password), hv::kOk);
  EXPECT_STREQ(password.CStr(), "other");
  EXPECT_EQ(store.Remove("Orvane LLC", "Other", key), hv::kOk);
  EXPECT_EQ(store.Remove("Orvane LLC", "Other", key), hv::kOk);  // nothing there is fine
}

}  // namespace

}  // namespace hv
