// Runs the real hvsign program, as make-update-site and a publisher do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/testing/program_run.h"
#include "core/testing/temp_folder.h"
#include "core/testing/text_file.h"

namespace hv {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string first_error_line;
};

class HvsignTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& args) {
    const char* bin = std::getenv("HV_BIN_DIR");
    const std::string out = folder_.File("out.txt");
    const std::string err = folder_.File("err.txt");
    Result result;
    const hv::test::cProgramEnd end =
        hv::test::RunProgram({.program = std::string(bin != nullptr ? bin : ".") + "/hvsign",
                              .arguments = args,
                              .output = out,
                              .errors = err,
                              .limit = std::chrono::seconds(10)});
    result.status = end.exited ? end.code : -1;
    result.out = hv::test::ReadText(out);
    const std::string errors = hv::test::ReadText(err);
    result.first_error_line = errors.substr(0, errors.find('\n'));
    return result;
  }
  std::string File(const std::string& name) { return folder_.File(name); }

  hv::test::cTempFolder folder_{"hvsign"};
};

TEST_F(HvsignTest, SignsAndVerifiesAndRefusesAnyOtherInputInWords) {
  const Result keygen = Run({"keygen", File("secret.key")});
  ASSERT_EQ(keygen.status, 0) << keygen.first_error_line;
  const std::string public_key = keygen.out.substr(0, keygen.out.find('\n'));
  std::ofstream(File("version.txt")) << "version 2.0\n";
  ASSERT_EQ(Run({"sign", File("secret.key"), File("version.txt"), File("version.sig")}).status, 0);
  EXPECT_EQ(Run({"verify", public_key, File("version.txt"), File("version.sig")}).status, 0);
  std::ofstream(File("version.txt")) << "version 2.1\n";
  EXPECT_EQ(Run({"verify", public_key, File("version.txt"), File("version.sig")}).first_error_line,
            "hvsign: the signature does not hold");

  ASSERT_EQ(mkfifo(File("fifo").c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string first_line;
  };
  for (const Case& c : std::vector<Case>{
           {{"public", folder_.path()},
            "hvsign: \"" + folder_.path() + "\" is a folder, not a file"},
           {{"public", File("version.txt")},
            "hvsign: \"" + File("version.txt") + "\" is not a secret key file"},
           // A FIFO nobody writes to is refused at once instead of waiting for a writer.
           {{"sign", File("secret.key"), File("fifo"), File("out.sig")},
            "hvsign: \"" + File("fifo") + "\" is not a regular file (a FIFO, device or socket)"},
           {{"verify", "12ab", File("version.txt"), File("version.sig")},
            "hvsign: \"12ab\" is not a public key (64 hexadecimal digits)"},
           {{"verify", public_key, File("none"), File("version.sig")},
            "hvsign: \"" + File("none") + "\" does not exist"},
       }) {
    const Result result = Run(c.args);
    EXPECT_EQ(result.status, 1) << c.first_line;
    EXPECT_EQ(result.first_error_line, c.first_line);
  }
  EXPECT_EQ(Run({"sign", "too few"}).status, 2);
  EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(HvsignTest, RootKeysCosignAKeyListThatNamesAndRevokesReleaseKeys) {
  std::vector<std::string> roots;
  for (const char* name : {"root-1.key", "root-2.key", "root-3.key"}) {
    const Result made = Run({"keygen", File(name)});
    ASSERT_EQ(made.status, 0) << made.first_error_line;
    roots.push_back(made.out.substr(0, 64));
  }
  // A key that exists is never replaced.
  EXPECT_EQ(Run({"keygen", File("root-1.key")}).status, 1);
  const std::string all_roots = roots[0] + "," + roots[1] + "," + roots[2];
  const std::string release = Run({"keygen", File("release.key")}).out.substr(0, 64);
  const std::string release_id = Run({"id", release}).out.substr(0, 16);
  EXPECT_EQ(Run({"id", File("release.key")}).out, release_id + "\n");

  ASSERT_EQ(
      Run({"keylist", "2", File("keys.txt"), "--release", release, "--revoke", "0123456789abcdef"})
          .status,
      0);
  EXPECT_EQ(hv::test::ReadText(File("keys.txt")),
            "KEY LIST = 2\nRELEASE KEY = " + release + "\nREVOKED KEY = 0123456789abcdef\n");
  ASSERT_EQ(Run({"cosign", File("root-1.key"), File("keys.txt"), File("keys.txt.sig")}).status, 0);
  EXPECT_EQ(
      Run({"verify", all_roots, File("keys.txt"), File("keys.txt.sig"), "2"}).first_error_line,
      "hvsign: 1 of the keys signed, and 2 are needed");
  // Signing again with the same root adds nothing; a second root reaches the threshold.
  ASSERT_EQ(Run({"cosign", File("root-1.key"), File("keys.txt"), File("keys.txt.sig")}).status, 0);
  EXPECT_EQ(Run({"verify", all_roots, File("keys.txt"), File("keys.txt.sig"), "2"}).status, 1);
  ASSERT_EQ(Run({"cosign", File("root-3.key"), File("keys.txt"), File("keys.txt.sig")}).status, 0);
  EXPECT_EQ(Run({"verify", all_roots, File("keys.txt"), File("keys.txt.sig"), "2"}).status, 0);
  EXPECT_EQ(Run({"keylist", "x", File("bad.txt")}).first_error_line,
            "hvsign: \"x\" is not a serial number");
  EXPECT_EQ(Run({"keylist", "3", File("bad.txt"), "--revoke", "nothex"}).status, 1);
}

}  // namespace
}  // namespace hv
