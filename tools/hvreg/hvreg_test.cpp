// Runs the real hvreg program against a store in a temporary config folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/profile/profile.h"
#include "core/testing/program_run.h"
#include "core/testing/temp_config_home.h"
#include "core/testing/text_file.h"

namespace hv {

namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string err;

  std::string FirstErrorLine() const { return err.substr(0, err.find('\n')); }
};

class HvregTest : public ::testing::Test {
 protected:
  // Runs hvreg with `args`; `input` (a file) becomes its standard input when given.
  Result Run(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    const char* bin = std::getenv("HV_BIN_DIR");
    std::string program = std::string(bin != nullptr ? bin : ".") + "/hvreg";
    std::string out_path = home_.path() + "/out.txt";
    std::string err_path = home_.path() + "/err.txt";
    // The environment carries XDG_CONFIG_HOME pointed at the temporary folder.
    Result result;
    result.status = hv::test::RunProgram({.program = program,
                                          .arguments = args,
                                          .input = input,
                                          .output = out_path,
                                          .errors = err_path})
                        .code;
    result.out = hv::test::ReadText(out_path);
    result.err = hv::test::ReadText(err_path);
    return result;
  }

  TempConfigHome home_;
};

const char kKey[] = "Software\\Orvane LLC\\Varnholt\\Client Settings";

TEST_F(HvregTest, SetAndGetEveryValueType) {
  std::string odd_text("tab\there, newline\n, high \xE9\xFF, percent %41");
  EXPECT_EQ(Run({"set", kKey, "Address", "--text", odd_text}).status, 0);
  EXPECT_EQ(Run({"set", kKey, "Port", "--number", "8080"}).status, 0);
  EXPECT_EQ(Run({"set", kKey, "Raw", "--bytes", "00ff7f"}).status, 0);

  EXPECT_EQ(Run({"get", kKey, "Address"}).out, odd_text + "\n");
  EXPECT_EQ(Run({"get", kKey, "port"}).out, "8080\n");
  EXPECT_EQ(Run({"get", kKey, "Raw"}).out, "00ff7f\n");

  // The client's own routines see what hvreg wrote.
  uint32_t port = 0;
  EXPECT_TRUE(
      ReadProfileNumber("Orvane LLC", "Varnholt", "Client Settings", "Port", &port, 1).ok());
  EXPECT_EQ(port, 8080u);

  Result missing = Run({"get", kKey, "Nothing"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("no value \"Nothing\""), std::string::npos);
  EXPECT_EQ(Run({"get", "Software\\Nobody", "X"}).status, 1);

  Result list = Run({"list", "Software\\Orvane LLC\\Varnholt"});
  EXPECT_EQ(list.out, "Client Settings\\\n");
  Result values = Run({"list", kKey});
  EXPECT_NE(values.out.find("Port\tnumber\t8080\n"), std::string::npos);
  EXPECT_EQ(Run({"list"}).out, "Software\\\n");
}

TEST_F(HvregTest, BadInputGivesAMessageAndStatus2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"get", kKey},
           {"set", kKey, "Port", "--number", "eighty"},
           {"set", kKey, "Port", "--number", "99999999999"},
           {"set", kKey, "Port", "--number", "-5"},
           {"set", kKey, "Port", "--float", "1"},
           {"set", kKey, "Raw", "--bytes", "xyz"},
           {"set", "Software\\\\Empty", "V", "--text", "x"},
           {"delete"},
       }) {
    Result result = Run(args);
    EXPECT_EQ(result.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(result.err.find("hvreg: "), std::string::npos);
  }
  // Nothing of a refused command reaches the store.
  EXPECT_EQ(Run({"get", kKey, "Port"}).status, 1);
  EXPECT_EQ(Run({"set", kKey, "Port", "--number", "-5"}).FirstErrorLine(),
            "hvreg: \"-5\" is negative; a number value holds 0 to 4294967295");

  Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("hvreg export [KEY]"), std::string::npos);
  // An export that cannot be written is not reported as done.
  const char* bin = std::getenv("HV_BIN_DIR");
  EXPECT_EQ(hv::test::RunProgram({.program = std::string(bin != nullptr ? bin : ".") + "/hvreg",
                                  .arguments = {"export"},
                                  .output = "/dev/full",
                                  .errors = "/dev/null"})
                .code,
            1);

  Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("hvreg (Varnholt (TM) Client) ", 0), 0u) << version.out;
}

// Whatever is given to import, the program ends with its own one-line message and status 2,
// and the store is left alone.
TEST_F(HvregTest, ImportOfWhatIsNotAnExportFileIsRefusedInWords) {
  const std::string folder = home_.path() + "/folder";
  const std::string fifo = home_.path() + "/fifo";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string first_line;
  };
  for (const Case& c : std::vector<Case>{
           {{"import", folder},
            "/dev/null",
            "hvreg: cannot import: \"" + folder + "\" is a folder, not a file"},
           {{"import", home_.path() + "/none"},
            "/dev/null",
            "hvreg: cannot import: \"" + home_.path() + "/none\" does not exist"},
           // A FIFO nobody writes to would wait for ever.
           {{"import", fifo},
            "/dev/null",
            "hvreg: cannot import: \"" + fifo +
                "\" is not a regular file (a FIFO, device or socket) (a pipe is read from "
                "standard input: \"hvreg import -\")"},
           {{"import", "-"},
            folder,
            "hvreg: cannot import: standard input is a folder, not a file"},
       }) {
    Result result = Run(c.args, c.input);
    EXPECT_EQ(result.status, 2) << c.first_line;
    EXPECT_EQ(result.FirstErrorLine(), c.first_line);
  }
  EXPECT_EQ(Run({"list"}).out, "");
}

// A store that is not one is moved aside, and the notice names the program that found it.
TEST_F(HvregTest, ACorruptStoreIsReportedByHvreg) {
  ASSERT_EQ(mkdir((home_.path() + "/hearthview").c_str(), 0700), 0);
  std::ofstream(home_.path() + "/hearthview/registry.db") << std::string(4096, 'x');
  Result result = Run({"set", kKey, "Port", "--number", "1025"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err.rfind("hvreg: the registry store ", 0), 0u) << result.err;
  EXPECT_EQ(Run({"get", kKey, "Port"}).out, "1025\n");
}

TEST_F(HvregTest, DeleteValuesAndKeyTrees) {
  ASSERT_EQ(Run({"set", "A\\B\\C", "v", "--text", "1"}).status, 0);
  ASSERT_EQ(Run({"set", "A\\B", "w", "--text", "2"}).status, 0);
  EXPECT_EQ(Run({"delete", "A\\B", "w"}).status, 0);
  EXPECT_EQ(Run({"delete", "A\\B", "w"}).status, 1);
  EXPECT_EQ(Run({"delete", "A\\B"}).status, 0);
  EXPECT_EQ(Run({"get", "A\\B\\C", "v"}).status, 1);
  EXPECT_EQ(Run({"delete", "A\\B"}).status, 1);
  EXPECT_EQ(Run({"list", "A"}).out, "");
}

TEST_F(HvregTest, ExportThenImportReproducesTheStore) {
  std::string odd_text("a\tb\nc\r\x01\x7F\x80\xFF%");
  ASSERT_EQ(Run({"set", kKey, "Odd", "--text", odd_text}).status, 0);
  ASSERT_EQ(Run({"set", kKey, "Empty", "--text", ""}).status, 0);
  ASSERT_EQ(Run({"set", kKey, "Port", "--number", "1025"}).status, 0);
  ASSERT_EQ(
      Run({"set", "Software\\Quillmere\\HouseDesk\\Main Window", "Split View", "--number", "0"})
          .status,
      0);
  ASSERT_EQ(Run({"set", "Other\\Bytes", "", "--bytes", ""}).status, 0);
  std::string name_with_tab("name\twith tab", 13);
  ASSERT_EQ(Run({"set", "Other", name_with_tab, "--bytes", "0102"}).status, 0);

  Result exported = Run({"export"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  std::string export_path = home_.path() + "/export.txt";
  {
    std::ofstream file(export_path, std::ios::binary);
    file << exported.out;
  }
  // Into a fresh store, then out again: the same text.
  TempConfigHome other;
  Result imported = Run({"import", export_path});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(Run({"export"}).out, exported.out);
  EXPECT_EQ(Run({"get", kKey, "Odd"}).out, odd_text + "\n");
  // Through standard input too, and a part of the tree.
  TempConfigHome third;
  ASSERT_EQ(Run({"import", "-"}, export_path).status, 0);
  Result part = Run({"export", "Other"});
  EXPECT_EQ(part.out.rfind("# hvreg export 1\nkey\tOther\nbytes\tname%09with tab\t0102\n", 0), 0u)
      << part.out;

  // A broken file changes nothing.
  std::string broken = home_.path() + "/broken.txt";
  {
    std::ofstream file(broken, std::ios::binary);
    file << "key\tNew\ntext\tA\tok\nnumber\tB\tnot\n";
  }
  Result failed = Run({"import", broken});
  EXPECT_EQ(failed.status, 2);
  EXPECT_NE(failed.err.find("line 3"), std::string::npos);
  EXPECT_EQ(Run({"list", "New"}).status, 1);
}

}  // namespace

}  // namespace hv
