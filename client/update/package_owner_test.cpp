#include "client/update/package_owner.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace hv {

namespace {

TEST(PackageOwnerTest, RootLeavesPackagedAndOptCopiesToThePackageManager) {
  struct Case {
    const char* path;
    cPackageFacts facts;
    bool managed;
  };
  const cPackageFacts user{};
  const cPackageFacts root{.running_as_root = true};
  const cPackageFacts root_dpkg{.running_as_root = true, .known_to_dpkg = true};
  for (const Case& c : {
           Case{"/home/ann/bin/hearthview", user, false},
           Case{"/usr/bin/hearthview", user, true},
           Case{"/usr/local/bin/hearthview", user, false},
           Case{"/home/ann/bin/hearthview", cPackageFacts{.folder_writable = false}, true},
           // Root may write anywhere, so the folder's mode says nothing: where it lies does.
           Case{"/opt/hearthview/hearthview", root, true},
           Case{"/srv/apps/hearthview", root_dpkg, true},
           Case{"/srv/apps/hearthview", root, false},
           // A user's own copy under /opt, as that user, is the user's to update.
           Case{"/opt/hearthview/hearthview", user, false},
       }) {
    EXPECT_EQ(IsPackageManaged(c.path, c.facts), c.managed) << c.path;
  }
  if (access("/usr/bin/dpkg-query", X_OK) == 0) {
    EXPECT_TRUE(DpkgKnows("/usr/bin/dpkg-query"));
    EXPECT_FALSE(DpkgKnows("/nonexistent/hearthview"));
  }
}

}  // namespace

}  // namespace hv
