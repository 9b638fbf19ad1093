#include "DisplayProxy.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint64_t NowMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int ConnectUnix(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
  if (fd >= 0) close(fd);
  return -1;
}

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w <= 0) return false;
    p += w, n -= size_t(w);
  }
  return true;
}

}  // namespace

TDisplayProxy::TDisplayProxy() {
  const char* display = std::getenv("DISPLAY");
  if (!display || display[0] != ':' || pipe(FStop) != 0) return;
  FServerSocket = "/tmp/.X11-unix/X" + std::to_string(std::atoi(display + 1));
  // The first display number whose port is free; other tests may hold some.
  for (int n = 64; n < 256 && FListen < 0; ++n) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(6000 + n));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && listen(fd, 8) == 0) {
      FListen = fd;
      FNumber = n;
    } else if (fd >= 0) {
      close(fd);
    }
  }
  if (FListen >= 0) {
    FLastTrafficMs = NowMs();
    FThread = std::thread([this] { Run(); });
  }
}

TDisplayProxy::~TDisplayProxy() {
  if (FThread.joinable()) {
    if (write(FStop[1], "x", 1) != 1) {
    }
    FThread.join();
  }
  for (int fd : {FListen, FStop[0], FStop[1]})
    if (fd >= 0) close(fd);
}

bool TDisplayProxy::WaitQuiet(int QuietMs, int TimeoutMs) const {
  const uint64_t start = NowMs();
  while (NowMs() - start < uint64_t(TimeoutMs)) {
    if (NowMs() - FLastTrafficMs >= uint64_t(QuietMs)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

void TDisplayProxy::Run() {
  struct TLink {
    int Client, Server;
  };
  std::vector<TLink> links;
  int listening = FListen;
  auto endAll = [&] {
    for (const TLink& l : links) close(l.Client), close(l.Server);
    links.clear();
  };
  std::vector<char> buffer(65536);
  for (;;) {
    std::vector<pollfd> fds = {{FStop[0], POLLIN, 0}, {listening, POLLIN, 0}};
    for (const TLink& l : links) fds.push_back({l.Client, POLLIN, 0}), fds.push_back({l.Server, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[0].revents) break;
    if (fds[1].revents & POLLIN) {
      const int client = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
      const int server = client >= 0 ? ConnectUnix(FServerSocket) : -1;
      if (server >= 0)
        links.push_back({client, server});
      else if (client >= 0)
        close(client);
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      const TLink l = links[(i - 2) / 2];
      const bool fromClient = fds[i].fd == l.Client;
      const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
      if (n > 0 && fromClient && FArmed) {
        // The server goes now: this request and every connection with it. Later clients
        // find no server either.
        endAll();
        shutdown(listening, SHUT_RDWR);
        listening = -1;
        FBroken = true;
        break;
      }
      if (n <= 0 || !WriteAll(fromClient ? l.Server : l.Client, buffer.data(), size_t(n))) {
        close(l.Client), close(l.Server);
        links.erase(links.begin() + ptrdiff_t((i - 2) / 2));
        break;  // the descriptors polled have moved
      }
      FLastTrafficMs = NowMs();
    }
  }
  endAll();
}
