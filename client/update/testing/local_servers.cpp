#include "client/update/testing/local_servers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

extern char** environ;

namespace hv {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
// The server prints its port once it listens; a machine that takes longer is broken.
constexpr int kStartTimeoutMs = 20000;

// Port 0 lets the system choose; the script says which port it got on its first line.
constexpr const char* kHttpScript = R"(
import functools, http.server, sys
class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def send_head(self):
        if len(sys.argv) > 2 and sys.argv[2]:
            with open(sys.argv[2], 'a') as log:
                log.write(self.path + '\n')
        return super().send_head()
handler = functools.partial(Handler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

constexpr const char* kRedirectingHttpsScript = R"(
import http.server, ssl, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass
    def do_GET(self):
        if self.path == '/ok':
            self.send_response(200)
            self.send_header('Content-Length', '4')
            self.end_headers()
            self.wfile.write(b'fine')
        else:
            self.send_response(302)
            self.send_header('Location', sys.argv[3] + self.path)
            self.send_header('Content-Length', '0')
            self.end_headers()
server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
server.socket = context.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

constexpr const char* kTrickleScript = R"(
import socket, threading, time
listener = socket.socket()
listener.bind(('127.0.0.1', 0))
listener.listen(8)
print(listener.getsockname()[1], flush=True)
def serve(connection):
    try:
        connection.recv(65536)
        connection.sendall(b'HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n')
        while True:
            connection.sendall(b'x')
            time.sleep(60)
    except OSError:
        pass
while True:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
)";

constexpr const char* kFtpScript = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.disable(logging.CRITICAL)
authorizer = DummyAuthorizer()
authorizer.add_user(sys.argv[2], sys.argv[3], sys.argv[1], perm='elr')
FTPHandler.authorizer = authorizer
FTPHandler.auth_failed_timeout = 0
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.address[1], flush=True)
server.serve_forever()
)";

}  // namespace

cLocalServer::~cLocalServer() { Stop(); }

void cLocalServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  port_ = 0;
}

bool cLocalServer::StartHttp(const std::string& root, const std::string& request_log) {
  return Start({kPython, "-c", kHttpScript, root, request_log});
}

bool cLocalServer::StartRedirectingHttps(const std::string& certificate, const std::string& key,
                                         const std::string& target) {
  return Start({kPython, "-c", kRedirectingHttpsScript, certificate, key, target});
}

bool cLocalServer::StartTrickleHttp() { return Start({kPython, "-c", kTrickleScript}); }

bool cLocalServer::StartFtp(const std::string& root, const std::string& user,
                            const std::string& password) {
  return Start({kPython, "-c", kFtpScript, root, user, password});
}

bool cLocalServer::Start(const std::vector<std::string>& argv) {
  Stop();
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, kPython, &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);
  if (spawned != 0) {
    close(pipe_fds[0]);
    return false;
  }
  pid_ = pid;

  std::string line;
  pollfd watch{pipe_fds[0], POLLIN, 0};
  while (line.find('\n') == std::string::npos && poll(&watch, 1, kStartTimeoutMs) > 0) {
    char buffer[64];
    const ssize_t got = read(pipe_fds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    line.append(buffer, static_cast<size_t>(got));
  }
  close(pipe_fds[0]);
  port_ = std::atoi(line.c_str());
  if (port_ <= 0) {
    Stop();
    return false;
  }
  return true;
}

}  // namespace hv
