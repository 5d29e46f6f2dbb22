#include "client/update/transfer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "client/update/testing/local_servers.h"
#include "client/update/testing/update_site_builder.h"
#include "client/update/update_codes.h"
#include "core/testing/temp_folder.h"

namespace hv {

namespace {

// A download asked for over HTTPS never goes on in clear text: the site that redirects to
// http:// is refused with its reason, and the plain server is never asked.
TEST(TransferTest, AnHttpsDownloadIsNotRedirectedToHttp) {
  hv::test::cTempFolder folder("transfer");
  const std::string certificate = folder.File("site.pem");
  const std::string key = folder.File("site.key");
  const std::string make_certificate =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
      "-addext subjectAltName=IP:127.0.0.1 -keyout '" +
      key + "' -out '" + certificate + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(make_certificate.c_str()), 0);
  WriteFileText(folder.File("web/file.bin"), "clear text");
  cLocalServer plain;
  ASSERT_TRUE(plain.StartHttp(folder.File("web"), folder.File("requests.log")));
  cLocalServer secure;
  ASSERT_TRUE(secure.StartRedirectingHttps(certificate, key,
                                           "http://127.0.0.1:" + std::to_string(plain.Port())));
  const std::string base = "https://127.0.0.1:" + std::to_string(secure.Port());

  cWebRequest request;
  request.ca_file = certificate.c_str();
  const std::string ok_url = base + "/ok";
  const std::string ok_path = folder.File("ok.txt");
  request.url = ok_url.c_str();
  request.local_path = ok_path.c_str();
  const Status fetched = FetchWebFile(request);
  ASSERT_TRUE(fetched.ok()) << fetched.ToString();
  EXPECT_EQ(ReadFileText(ok_path), "fine");

  const std::string redirected_url = base + "/file.bin";
  const std::string redirected_path = folder.File("file.bin");
  request.url = redirected_url.c_str();
  request.local_path = redirected_path.c_str();
  const Status redirected = FetchWebFile(request);
  EXPECT_TRUE(IsUpdateCode(redirected, kHttpStatusNotOk)) << redirected.ToString();
  EXPECT_EQ(redirected.message(),
            "ERROR: The update site at " + redirected_url +
                " sent the download on to http://127.0.0.1:" + std::to_string(plain.Port()) +
                "/file.bin, which is not HTTPS (GetFileFromWebsite)");
  EXPECT_EQ(ReadFileText(folder.File("requests.log")), "");
  EXPECT_EQ(ReadFileText(redirected_path), "");

  // Without the site's authority its certificate is not trusted, and it says so.
  request.ca_file = "";
  request.url = ok_url.c_str();
  const Status untrusted = FetchWebFile(request);
  EXPECT_TRUE(IsUpdateCode(untrusted, kNotFound)) << untrusted.ToString();
  EXPECT_EQ(untrusted.message(),
            "ERROR: The certificate of " + ok_url + " cannot be trusted (GetFileFromWebsite)");
}

}  // namespace

}  // namespace hv
