#pragma once
// A web server on 127.0.0.1 for tests that fetch over HTTP: it listens on a free port, answers
// GET <path> with the bytes given for that path (200) or with 404, and serves at most
// `maxRequests` connections, one at a time, on a thread of its own; the destructor stops it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>

namespace brevant::testing {

class LocalHttpServer {
public:
  LocalHttpServer(std::map<std::string, std::string> pages, int maxRequests)
      : pages_(std::move(pages)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this, maxRequests] { serve(maxRequests); });
  }
  ~LocalHttpServer() {
    stop_ = true;
    if (thread_.joinable())
      thread_.join();
    if (listener_ >= 0)
      ::close(listener_);
  }
  LocalHttpServer(const LocalHttpServer &) = delete;
  LocalHttpServer &operator=(const LocalHttpServer &) = delete;

  // "http://127.0.0.1:<port><path>"; the port is 0 when the server could not listen.
  std::string address(const std::string &path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int port() const { return port_; }

private:
  void serve(int maxRequests) {
    for (int served = 0; served < maxRequests && !stop_;) {
      pollfd waiting{listener_, POLLIN, 0};
      if (::poll(&waiting, 1, 100) <= 0)
        continue;
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      answer(client);
      ::close(client);
      ++served;
    }
  }

  void answer(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0)
        return;
      request.append(buffer, static_cast<size_t>(n));
    }
    const size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    const auto page = pages_.find(path);
    const std::string status = page == pages_.end() ? "404 Not Found" : "200 OK";
    const std::string body = page == pages_.end() ? "not here" : page->second;
    const std::string reply = "HTTP/1.1 " + status +
                              "\r\nContent-Length: " + std::to_string(body.size()) +
                              "\r\nContent-Type: application/octet-stream\r\nConnection: "
                              "close\r\n\r\n" +
                              body;
    for (size_t sent = 0; sent < reply.size();) {
      const ssize_t n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
      if (n <= 0)
        return;
      sent += static_cast<size_t>(n);
    }
  }

  std::map<std::string, std::string> pages_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

} // namespace brevant::testing
