#pragma once
// Helpers for tests that play the device on the master side of a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/kernel/Tick.h"
#include "support/Deadline.h"

// A pseudo-terminal pair; the test holds the master.
class TPtyPair {
 public:
  TPtyPair() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster >= 0 && grantpt(FMaster) == 0 && unlockpt(FMaster) == 0) {
      char name[128];
      if (ptsname_r(FMaster, name, sizeof name) == 0) FSlavePath = name;
    }
  }
  ~TPtyPair() { CloseMaster(); }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  bool Ok() const { return FMaster >= 0 && !FSlavePath.empty(); }
  int Master() const { return FMaster; }
  const std::string& SlavePath() const { return FSlavePath; }

  void CloseMaster() {
    if (FMaster >= 0) close(FMaster);
    FMaster = -1;
  }

  bool Send(const std::string& bytes) const {
    return write(FMaster, bytes.data(), bytes.size()) == ssize_t(bytes.size());
  }

  // What the device side received, until `count` bytes came or `ms` passed.
  std::string Receive(size_t count, int ms) const {
    std::string got;
    const uint64_t end = GetTickCount64() + uint64_t(ms);
    while (got.size() < count) {
      const uint64_t now = GetTickCount64();
      if (now >= end) break;
      pollfd p{FMaster, POLLIN, 0};
      if (poll(&p, 1, int(end - now)) <= 0) continue;
      if (!(p.revents & POLLIN)) break;
      char buf[4096];
      const ssize_t n = read(FMaster, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, size_t(n));
    }
    return got;
  }

 private:
  int FMaster = -1;
  std::string FSlavePath;
};

// A temporary configuration home with orvelax9/dosdevices, set as XDG_CONFIG_HOME while
// the object lives.
class TDosDevices {
 public:
  TDosDevices() {
    char tmpl[] = "/tmp/orvel-serial-XXXXXX";
    FRoot = mkdtemp(tmpl);
    std::filesystem::create_directories(Dir());
    const char* old = getenv("XDG_CONFIG_HOME");
    FHadOld = old != nullptr;
    if (old) FOld = old;
    setenv("XDG_CONFIG_HOME", FRoot.c_str(), 1);
  }
  ~TDosDevices() {
    if (FHadOld)
      setenv("XDG_CONFIG_HOME", FOld.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(FRoot, ec);
  }
  std::string Dir() const { return FRoot + "/orvelax9/dosdevices"; }
  std::string Link(const std::string& name, const std::string& target) const {
    const std::string path = Dir() + "/" + name;
    symlink(target.c_str(), path.c_str());
    return path;
  }

 private:
  std::string FRoot;
  std::string FOld;
  bool FHadOld = false;
};
