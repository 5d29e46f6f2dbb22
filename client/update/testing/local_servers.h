// Local HTTP and FTP servers for the update tests: Debian's python3 http.server and
// pyftpdlib, started on a free loopback port and stopped when the object goes.
#ifndef HV_CLIENT_UPDATE_TESTING_LOCAL_SERVERS_H_
#define HV_CLIENT_UPDATE_TESTING_LOCAL_SERVERS_H_

#include <sys/types.h>

#include <string>
#include <vector>

namespace hv {

class cLocalServer {
 public:
  cLocalServer() = default;
  ~cLocalServer();
  cLocalServer(const cLocalServer&) = delete;
  cLocalServer& operator=(const cLocalServer&) = delete;

  // Serves `root` over HTTP. False when the server did not come up. With `request_log`, the
  // path of every request is appended to that file, one a line.
  bool StartHttp(const std::string& root, const std::string& request_log = "");
  // Serves HTTPS with `certificate` and `key` (PEM files): "/ok" answers "fine", every other
  // path is redirected to `target` plus the path.
  bool StartRedirectingHttps(const std::string& certificate, const std::string& key,
                             const std::string& target);
  // Answers every GET with a header that promises 1000 bytes, then sends one byte a minute.
  bool StartTrickleHttp();
  // Serves `root` over FTP to `user` with `password` (read-only).
  bool StartFtp(const std::string& root, const std::string& user, const std::string& password);
  void Stop();

  int Port() const { return port_; }

 private:
  bool Start(const std::vector<std::string>& argv);

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_TESTING_LOCAL_SERVERS_H_
