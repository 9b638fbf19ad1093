#include "ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/WaitUntil.h"

extern char** environ;

ChildProcess::ChildProcess(const Setup& setup) {
  // Everything the child needs is built before fork: after it only exec-safe calls.
  std::map<std::string, std::string> env;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) env[std::string(*e, size_t(eq - *e))] = eq + 1;
  }
  for (const auto& [k, v] : setup.Env) env[k] = v;
  for (const auto& k : setup.Unset) env.erase(k);
  std::vector<std::string> envStrings;
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  std::vector<char*> envp, argv;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = setup.Args;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = setup.StdoutPath.empty() ? "/dev/null" : setup.StdoutPath;
  const std::string err = setup.StderrPath.empty() ? "/dev/null" : setup.StderrPath;

  FPid = fork();
  if (FPid < 0) throw std::runtime_error("fork failed");
  if (FPid == 0) {
    int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    if (o < 0 || e < 0 || in < 0) _exit(126);
    dup2(in, 0);
    dup2(o, 1);
    dup2(e, 2);
    if (!setup.WorkingDir.empty() && chdir(setup.WorkingDir.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (FPid > 0 && !FEnded) {
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
  }
}

bool ChildProcess::Running() {
  if (FEnded) return false;
  int status = 0;
  if (waitpid(FPid, &status, WNOHANG) == FPid) {
    FEnded = true;
    FStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
  }
  return true;
}

bool ChildProcess::WaitExit(int timeoutMs) {
  return WaitUntil([this] { return !Running(); }, timeoutMs);
}

void ChildProcess::Signal(int sig) {
  if (!FEnded) kill(FPid, sig);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
