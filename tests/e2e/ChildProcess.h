#pragma once
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

// A program started for a test, with its own working directory, environment additions and
// output files. The destructor kills it if it is still running, so a failing test never
// leaves processes behind.
class ChildProcess {
 public:
  struct Setup {
    std::vector<std::string> Args;  // Args[0] is the program
    std::string WorkingDir;         // empty: the test's own
    std::map<std::string, std::string> Env;  // added to (or replacing in) the test's environment
    std::string StdoutPath;         // empty: /dev/null
    std::string StderrPath;
    std::vector<std::string> Unset = {};  // variables taken out of the environment
  };

  explicit ChildProcess(const Setup& setup);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return FPid; }
  bool Running();
  // Waits up to timeoutMs for the process to end; true when it did. ExitStatus is then its
  // exit code, or 128 + the signal that ended it.
  bool WaitExit(int timeoutMs);
  int ExitStatus() const { return FStatus; }
  void Signal(int sig);

 private:
  pid_t FPid = -1;
  bool FEnded = false;
  int FStatus = -1;
};

// The whole of a file as it stands; empty when it cannot be read.
std::string ReadFile(const std::string& path);
