#pragma once
// Test helpers for everything that needs an X server: a private Xvfb on a display number it picks
// itself (so tests running side by side never meet), and programs run with an argument vector.
// Tests call GTEST_SKIP when Start fails (no Xvfb on the machine).

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace xtest
{

// Starts argv[0] from PATH; stdoutFd/stdinFd (when >= 0) become its standard output and input.
inline pid_t Spawn(const std::vector<std::string>& argv, int stdoutFd = -1, int stdinFd = -1)
{
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  if (stdinFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
  pid_t pid = -1;
  const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return err == 0 ? pid : -1;
}

// Runs a program to its end; its exit status, or -1.
inline int Run(const std::vector<std::string>& argv)
{
  const pid_t pid = Spawn(argv);
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool OnPath(const std::string& name)
{
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    if (access((dirs.substr(start, end - start) + "/" + name).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

class XvfbServer
{
public:
  ~XvfbServer() { Stop(); }

  // Starts the server with one screen of the given size and depth and points DISPLAY at it.
  bool Start(const char* screen = "1280x1024x24")
  {
    if (!OnPath("Xvfb")) return false;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    // -displayfd: the server takes a free number and writes it to our pipe once it listens.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    const char* args[] = {"Xvfb", "-displayfd", "3",   "-screen",  "0",
                          screen, "-nolisten",  "tcp", "-noreset", nullptr};
    if (posix_spawnp(&mPid, "Xvfb", &actions, nullptr, const_cast<char**>(args), environ) != 0)
      mPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (mPid > 0 && std::chrono::steady_clock::now() < end)
    {
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      const ssize_t n = read(fds[0], &c, 1);
      if (n <= 0 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty())
    {
      Stop();
      return false;
    }
    mDisplay = ":" + number;
    setenv("DISPLAY", mDisplay.c_str(), 1);
    return true;
  }

  void Stop()
  {
    if (mPid <= 0) return;
    kill(mPid, SIGTERM);
    waitpid(mPid, nullptr, 0);
    mPid = -1;
  }

  const std::string& Display() const { return mDisplay; }

private:
  pid_t mPid = -1;
  std::string mDisplay;
};

// A folder of executable scripts put first on PATH, for stand-ins of desktop programs.
class FakeTools
{
public:
  FakeTools()
  {
    char tmpl[] = "/tmp/tarvo-fake-tools-XXXXXX";
    if (mkdtemp(tmpl)) mDir = tmpl;
    mSavedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  }
  ~FakeTools()
  {
    setenv("PATH", mSavedPath.c_str(), 1);
    if (!mDir.empty()) Run({"rm", "-rf", mDir});
  }
  const std::string& Dir() const { return mDir; }
  // A /bin/sh script named name.
  void Add(const std::string& name, const std::string& body)
  {
    const std::string path = mDir + "/" + name;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return;
    std::fprintf(f, "#!/bin/sh\n%s\n", body.c_str());
    std::fclose(f);
    chmod(path.c_str(), 0755);
  }
  // PATH holds this folder alone: only the stand-ins exist.
  void Use() { setenv("PATH", mDir.c_str(), 1); }

private:
  std::string mDir;
  std::string mSavedPath;
};

} // namespace xtest
