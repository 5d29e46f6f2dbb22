#include "core/profile/registry_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "core/testing/temp_config_home.h"

namespace hv {

namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<swRegistryStore> OpenStore() {
    std::unique_ptr<swRegistryStore> store;
    const hv::Status opened = swRegistryStore::Open(swRegistryStore::DefaultPath(), &store);
    EXPECT_TRUE(opened.ok()) << opened.ToString();
    return store;
  }
  TempConfigHome home_;
};

// Two handles on the one store file, as two programs have it open at once.
class RegistryStoreSharedTest : public RegistryStoreTest {
 protected:
  void SetUp() override {
    first_ = OpenStore();
    second_ = OpenStore();
    ASSERT_NE(first_, nullptr);
    ASSERT_NE(second_, nullptr);
  }
  std::unique_ptr<swRegistryStore> first_;
  std::unique_ptr<swRegistryStore> second_;
};

TEST_F(RegistryStoreTest, LivesInTheConfigFolderWithMode0600) {
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->path(), home_.path() + "/hearthview/registry.db");
  struct stat st;
  ASSERT_EQ(stat(store->path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RegistryStoreTest, KeysAreATreeWithTypedValues) {
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  std::string bytes("\x00\x01\xFF", 3);
  ASSERT_EQ(store->SetValue("Software\\Co\\App", {"Blob", kRegistryBytes, bytes}).code(), kStoreOk);
  ASSERT_EQ(store
                ->SetValue("Software\\Co\\App",
                           {"Num", kRegistryNumber, swRegistryValue::NumberData(0xDEADBEEF)})
                .code(),
            kStoreOk);
  ASSERT_EQ(store->SetValue("SOFTWARE\\co\\App\\Sub", {"", kRegistryText, "default value"}).code(),
            kStoreOk);
  EXPECT_TRUE(store->KeyExists("software"));
  EXPECT_EQ(store->SetValue("Software\\\\Co", {"x", kRegistryText, ""}).code(), kStoreBadKey);
  EXPECT_EQ(store->SetValue("", {"x", kRegistryText, ""}).code(), kStoreBadKey);
  // Names are compared as C strings: with a NUL byte two names would be one and overwrite
  // each other, so such names are refused.
  EXPECT_EQ(store->SetValue(std::string("Soft\0one", 8), {"x", kRegistryText, ""}).code(),
            kStoreBadKey);
  EXPECT_EQ(store->SetValue("Software", {std::string("x\0one", 5), kRegistryText, ""}).code(),
            kStoreBadKey);

  swRegistryValue value;
  ASSERT_EQ(store->GetValue("Software\\Co\\App", "blob", &value).code(), kStoreOk);
  EXPECT_EQ(value.type, kRegistryBytes);
  EXPECT_EQ(value.data, bytes);
  ASSERT_EQ(store->GetValue("Software\\Co\\App", "Num", &value).code(), kStoreOk);
  uint32_t number = 0;
  ASSERT_TRUE(value.AsNumber(&number));
  EXPECT_EQ(number, 0xDEADBEEFu);
  EXPECT_EQ(store->GetValue("Software\\Co\\App", "None", &value).code(), kStoreNoValue);
  EXPECT_EQ(store->GetValue("Software\\Co\\Other", "None", &value).code(), kStoreNoKey);

  std::vector<std::string> names;
  ASSERT_EQ(store->ListSubkeys("Software\\Co", &names).code(), kStoreOk);
  EXPECT_EQ(names, std::vector<std::string>{"App"});
  std::vector<std::string> tree;
  ASSERT_EQ(store->ListTree("", &tree).code(), kStoreOk);
  EXPECT_EQ(tree, (std::vector<std::string>{"Software", "Software\\Co", "Software\\Co\\App",
                                            "Software\\Co\\App\\Sub"}));
  EXPECT_EQ(store->DeleteKey("Software\\Co\\App").code(), kStoreOk);
  EXPECT_FALSE(store->KeyExists("Software\\Co\\App\\Sub"));
  EXPECT_TRUE(store->KeyExists("Software\\Co"));
}

TEST_F(RegistryStoreSharedTest, TwoOpenStoresKeepEachOthersValues) {
  swRegistryStore* first = first_.get();
  swRegistryStore* second = second_.get();
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(first->SetValue("K", {"first" + std::to_string(i), kRegistryText, "1"}).code(),
              kStoreOk);
    ASSERT_EQ(second->SetValue("K", {"second" + std::to_string(i), kRegistryText, "2"}).code(),
              kStoreOk);
  }
  std::vector<swRegistryValue> values;
  ASSERT_EQ(first->ListValues("K", &values).code(), kStoreOk);
  EXPECT_EQ(values.size(), 10u);
}

TEST_F(RegistryStoreTest, GroupedWritesCommitOrRollBackTogether) {
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  ASSERT_EQ(store->Begin().code(), kStoreOk);
  EXPECT_TRUE(store->SetValue("G", {"a", kRegistryText, "1"}).ok());
  store->Rollback();
  EXPECT_FALSE(store->KeyExists("G"));
  ASSERT_EQ(store->Begin().code(), kStoreOk);
  EXPECT_TRUE(store->SetValue("G", {"a", kRegistryText, "1"}).ok());
  EXPECT_TRUE(store->CreateKey("G\\Empty").ok());
  ASSERT_EQ(store->Commit().code(), kStoreOk);
  EXPECT_TRUE(store->KeyExists("G\\Empty"));
}

TEST_F(RegistryStoreTest, CorruptOrForeignFileIsMovedAside) {
  std::string folder = home_.path() + "/hearthview";
  std::filesystem::create_directories(folder);
  std::string path = folder + "/registry.db";
  {
    std::ofstream garbage(path, std::ios::binary);
    garbage << std::string(4096, 'G');
  }
  testing::internal::CaptureStderr();
  auto store = OpenStore();
  std::string message = testing::internal::GetCapturedStderr();
  ASSERT_NE(store, nullptr);
  EXPECT_NE(message.find("moved to"), std::string::npos);
  ASSERT_EQ(store->SetValue("After", {"v", kRegistryText, "works"}).code(), kStoreOk);

  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind("registry.db.corrupt-", 0) == 0) {
      ++aside;
      EXPECT_EQ(std::filesystem::file_size(entry.path()), 4096u);  // kept as it was
    }
  }
  EXPECT_EQ(aside, 1);
}

TEST_F(RegistryStoreTest, DamagedPagesFoundLaterAreRecoveredFrom) {
  std::string path;
  {
    auto store = OpenStore();
    ASSERT_NE(store, nullptr);
    path = store->path();
    ASSERT_EQ(store->Begin().code(), kStoreOk);
    for (int i = 0; i < 200; ++i) {
      EXPECT_TRUE(
          store->SetValue("Key" + std::to_string(i), {"v", kRegistryText, std::string(100, 'v')})
              .ok());
    }
    ASSERT_EQ(store->Commit().code(), kStoreOk);
  }
  {
    // Overwrite every page after the first: the header still reads, the tables do not.
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(4096);
    std::string junk(std::filesystem::file_size(path) - 4096, '\xA5');
    file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  testing::internal::CaptureStderr();
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  swRegistryValue value;
  const hv::Status read = store->GetValue("Key1", "v", &value);
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(read.Is(hv::Where::kRegistry, kStoreNoKey));  // an empty store, not a failure
  EXPECT_NE(message.find("moved to"), std::string::npos);
  EXPECT_EQ(store->SetValue("Fresh", {"v", kRegistryText, "1"}).code(), kStoreOk);
}

TEST_F(RegistryStoreSharedTest, NestedBatchesCommitOnceWhenTheOutermostEnds) {
  swRegistryStore* store = first_.get();
  swRegistryStore* other = second_.get();
  swRegistryValue value;
  {
    swRegistryBatch outer(store);
    ASSERT_EQ(store->SetValue("B", {"outer", kRegistryText, "1"}).code(), kStoreOk);
    {
      swRegistryBatch inner(store);
      ASSERT_EQ(store->SetValue("B", {"inner", kRegistryText, "2"}).code(), kStoreOk);
      EXPECT_EQ(inner.End().code(), kStoreOk);
    }
    // The batch reads its own writes; nobody else sees them before the end.
    EXPECT_EQ(store->GetValue("B", "inner", &value).code(), kStoreOk);
    EXPECT_EQ(other->GetValue("B", "inner", &value).code(), kStoreNoKey);
    EXPECT_EQ(outer.End().code(), kStoreOk);
    EXPECT_EQ(outer.End().code(), kStoreOk);  // ending twice changes nothing
  }
  EXPECT_EQ(other->GetValue("B", "outer", &value).code(), kStoreOk);
  EXPECT_EQ(other->GetValue("B", "inner", &value).code(), kStoreOk);
  // After the batch every write commits on its own again.
  ASSERT_EQ(store->SetValue("B", {"after", kRegistryText, "3"}).code(), kStoreOk);
  EXPECT_EQ(other->GetValue("B", "after", &value).code(), kStoreOk);
}

TEST_F(RegistryStoreTest, AFailedWriteRollsBackTheWholeBatch) {
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  ASSERT_EQ(store->SetValue("F", {"kept", kRegistryText, "old"}).code(), kStoreOk);
  hv::Status result;
  {
    // No file of this process may grow much now: the big value cannot be written.
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit limit = saved;
    limit.rlim_cur = 256 * 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    swRegistryBatch batch(store.get());
    EXPECT_EQ(store->SetValue("F", {"kept", kRegistryText, "new"}).code(), kStoreOk);
    store->SetValue("F", {"big", kRegistryBytes, std::string(2 << 20, 'b')})
        .Ignore("refused: the batch fails, which End reports");
    store->SetValue("F", {"later", kRegistryText, "x"})
        .Ignore("refused after the batch failed, which End reports");
    result = batch.End();
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  EXPECT_TRUE(result.Is(hv::Where::kRegistry, kStoreFailed)) << result.ToString();
  swRegistryValue value;
  ASSERT_EQ(store->GetValue("F", "kept", &value).code(), kStoreOk);
  EXPECT_EQ(value.data, "old");
  EXPECT_EQ(store->GetValue("F", "big", &value).code(), kStoreNoValue);
  EXPECT_EQ(store->GetValue("F", "later", &value).code(), kStoreNoValue);
  // The store goes on working.
  ASSERT_EQ(store->SetValue("F", {"kept", kRegistryText, "newer"}).code(), kStoreOk);
}

TEST_F(RegistryStoreSharedTest, ABatchThatCannotBeginRefusesItsWritesAtOnce) {
  swRegistryStore* holder = first_.get();
  swRegistryStore* store = second_.get();
  store->SetBusyTimeoutForTest(10);
  ASSERT_EQ(holder->Begin().code(), kStoreOk);  // another program holds the write lock
  hv::Status first;
  hv::Status after_release;
  hv::Status result;
  {
    swRegistryBatch batch(store);
    first = store->SetValue("B", {"a", kRegistryText, "1"});
    ASSERT_EQ(holder->Commit().code(), kStoreOk);
    // Even with the lock free again, a half-written save is not what the batch promised.
    after_release = store->SetValue("B", {"b", kRegistryText, "2"});
    result = batch.End();
  }
  EXPECT_TRUE(first.failed());
  EXPECT_TRUE(after_release.failed());
  EXPECT_TRUE(result.Is(hv::Where::kRegistry, kStoreFailed)) << result.ToString();
  EXPECT_FALSE(store->KeyExists("B"));
  // The next save works.
  {
    swRegistryBatch batch(store);
    EXPECT_TRUE(store->SetValue("B", {"a", kRegistryText, "1"}).ok());
    EXPECT_TRUE(batch.End().ok());
  }
}

TEST_F(RegistryStoreTest, BatchInsideAGroupBelongsToTheGroup) {
  auto store = OpenStore();
  ASSERT_NE(store, nullptr);
  ASSERT_EQ(store->Begin().code(), kStoreOk);
  {
    swRegistryBatch batch(store.get());
    ASSERT_EQ(store->SetValue("In", {"v", kRegistryText, "1"}).code(), kStoreOk);
    EXPECT_EQ(batch.End().code(), kStoreOk);
  }
  store->Rollback();  // the group's owner decides
  EXPECT_FALSE(store->KeyExists("In"));
}

}  // namespace

}  // namespace hv
