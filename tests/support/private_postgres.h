#pragma once
// A PostgreSQL server of a test's own, so that stopping it leaves the shared one of
// tests/support/start-postgres.sh running. It uses that script's programs (BREVANT_PG_BIN) and
// its way of running them as the server's user (BREVANT_PG_RUNAS); it trusts every local login
// as "postgres".

#include "support/temp_folder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace brevant::testing {

class PrivatePostgres {
public:
  PrivatePostgres() {
    port_ = freePort(55000 + ::getpid() % 2000);
    const char *runAs = std::getenv("BREVANT_PG_RUNAS");
    const char *bin = std::getenv("BREVANT_PG_BIN");
    runAs_ = runAs != nullptr ? runAs : "";
    bin_ = bin != nullptr ? bin : "";
    if (!runAs_.empty() && std::system(("chown postgres " + folder_.path().string()).c_str()) != 0)
      return;
    data_ = folder_.file("data");
    ok_ = run("'" + bin_ + "/initdb' -D '" + data_ + "' -U postgres --auth=trust >/dev/null") &&
          run("'" + bin_ + "/pg_ctl' -D '" + data_ + "' -w -l '" + data_ + ".log' -o '-p " +
              std::to_string(port_) + " -k " + folder_.path().string() +
              " -c listen_addresses=127.0.0.1 -c fsync=off' start >/dev/null");
  }
  ~PrivatePostgres() { stop(); }
  PrivatePostgres(const PrivatePostgres &) = delete;
  PrivatePostgres &operator=(const PrivatePostgres &) = delete;

  bool ok() const { return ok_; }
  int port() const { return port_; }
  // An ODBC connection string for the server's "postgres" database, with `options` appended.
  std::string connectionString(const std::string &options = "") const {
    return "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=" + std::to_string(port_) +
           ";Database=postgres;UID=postgres;PWD=x;" + options;
  }
  // The shell command that stops the server at once, as a crash would (no shutdown checkpoint,
  // every session cut).
  std::string stopCommand() const {
    return wrap("'" + bin_ + "/pg_ctl' -D '" + data_ + "' -m immediate -w stop >/dev/null 2>&1");
  }
  void stop() {
    if (ok_)
      std::system(stopCommand().c_str());
    ok_ = false;
  }

private:
  // The first port from `first` on that nothing on this machine listens on (other test runs
  // start servers of their own in the same range).
  static int freePort(int first) {
    for (int port = first; port < first + 200; ++port) {
      const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<uint16_t>(port));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      const bool free =
          ::bind(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
      ::close(probe);
      if (free)
        return port;
    }
    return first;
  }
  std::string wrap(const std::string &command) const {
    return runAs_.empty() ? command : runAs_ + " sh -c \"" + command + "\"";
  }
  bool run(const std::string &command) const { return std::system(wrap(command).c_str()) == 0; }

  TempFolder folder_;
  std::string runAs_, bin_, data_;
  int port_ = 0;
  bool ok_ = false;
};

} // namespace brevant::testing
