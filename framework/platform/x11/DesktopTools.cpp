#include "framework/platform/x11/DesktopTools.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

extern char** environ;

namespace desktop
{

namespace
{

uint64_t NowMs()
{
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

bool IsExecutableFile(const std::string& path)
{
  struct stat st
  {
  };
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> ArgvPointers(const std::vector<std::string>& argv)
{
  std::vector<char*> ptrs;
  ptrs.reserve(argv.size() + 1);
  for (const std::string& a : argv)
    ptrs.push_back(const_cast<char*>(a.c_str()));
  ptrs.push_back(nullptr);
  return ptrs;
}

// Spawns argv with stdin from /dev/null and, when outFd is given, stdout into a new pipe whose
// reading end it receives. Returns the child's pid, or -1.
pid_t Spawn(const std::vector<std::string>& argv, int* outFd)
{
  if (argv.empty() || !FindExecutable(argv[0].c_str())) return -1;
  int fds[2] = {-1, -1};
  if (outFd && pipe2(fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (outFd) posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  std::vector<char*> args = ArgvPointers(argv);
  pid_t pid = -1;
  const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (outFd)
  {
    close(fds[1]);
    if (err != 0)
      close(fds[0]);
    else
      *outFd = fds[0];
  }
  return err == 0 ? pid : -1;
}

// The exit status of a finished child; -1 when it did not exit normally or was collected by
// someone else (a host that ignores SIGCHLD leaves nothing to wait for).
int ExitStatus(int status)
{
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::mutex sLaunchedMutex;
std::vector<pid_t> sLaunched;

std::string Trimmed(std::string s)
{
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
    s.pop_back();
  return s;
}

bool HasExtension(const std::string& path, const std::vector<std::string>& extensions)
{
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  const std::string ext = path.substr(dot + 1);
  for (const std::string& e : extensions)
    if (strcasecmp(e.c_str(), ext.c_str()) == 0) return true;
  return false;
}

} // namespace

bool FindExecutable(const char* name, std::string* path)
{
  if (!name || !name[0]) return false;
  if (std::strchr(name, '/'))
  {
    if (!IsExecutableFile(name)) return false;
    if (path) *path = name;
    return true;
  }
  const char* env = std::getenv("PATH");
  const std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    if (dir.empty()) dir = ".";
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate))
    {
      if (path) *path = candidate;
      return true;
    }
    start = end + 1;
  }
  return false;
}

DialogTool FindDialogTool()
{
  if (FindExecutable("zenity")) return DialogTool::kZenity;
  if (FindExecutable("kdialog")) return DialogTool::kKDialog;
  return DialogTool::kNone;
}

RunResult Run(const std::vector<std::string>& argv, const std::function<bool()>& idle, int idleMs)
{
  RunResult result;
  int fd = -1;
  const pid_t pid = Spawn(argv, &fd);
  if (pid < 0) return result;
  result.started = true;
  if (idleMs < 1) idleMs = 1;
  uint64_t nextIdle = NowMs() + static_cast<uint64_t>(idleMs);
  bool aborted = false;
  for (;;)
  {
    const uint64_t now = NowMs();
    const int timeout = now >= nextIdle ? 0 : static_cast<int>(nextIdle - now);
    pollfd p{fd, POLLIN, 0};
    const int n = poll(&p, 1, timeout);
    if (n < 0 && errno != EINTR) break;
    if (n > 0)
    {
      char buf[4096];
      const ssize_t got = read(fd, buf, sizeof buf);
      if (got > 0)
        result.output.append(buf, static_cast<size_t>(got));
      else if (got == 0 || (errno != EINTR && errno != EAGAIN))
        break; // end of output: the program is finishing
    }
    if (NowMs() >= nextIdle)
    {
      if (idle && !aborted && !idle())
      {
        aborted = true;
        kill(pid, SIGTERM);
      }
      nextIdle = NowMs() + static_cast<uint64_t>(idleMs);
    }
  }
  close(fd);
  int status = 0;
  pid_t waited;
  do
  {
    waited = waitpid(pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  if (aborted)
    result.exitStatus = -1;
  else if (waited == pid)
    result.exitStatus = ExitStatus(status);
  else
    result.exitStatus = result.output.empty() ? -1 : 0;
  return result;
}

bool Launch(const std::vector<std::string>& argv, int waitMs)
{
  ReapChildren();
  const pid_t pid = Spawn(argv, nullptr);
  if (pid < 0) return false;
  const uint64_t end = NowMs() + static_cast<uint64_t>(waitMs > 0 ? waitMs : 0);
  for (;;)
  {
    int status = 0;
    const pid_t waited = waitpid(pid, &status, WNOHANG);
    if (waited == pid) return ExitStatus(status) == 0;
    if (waited < 0 && errno != EINTR) return true; // collected elsewhere
    if (NowMs() >= end) break;
    usleep(5000);
  }
  std::lock_guard<std::mutex> lock(sLaunchedMutex);
  sLaunched.push_back(pid);
  return true;
}

void ReapChildren()
{
  std::lock_guard<std::mutex> lock(sLaunchedMutex);
  for (size_t i = 0; i < sLaunched.size();)
  {
    int status = 0;
    const pid_t waited = waitpid(sLaunched[i], &status, WNOHANG);
    if (waited == 0 || (waited < 0 && errno == EINTR))
      ++i;
    else
      sLaunched.erase(sLaunched.begin() + static_cast<long>(i));
  }
}

// ---- Dialogs ----

std::vector<std::string> FilePromptArgs(DialogTool tool, const FilePrompt& prompt)
{
  std::string folder = prompt.folder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  const std::string start = folder + prompt.defaultName;
  std::string patterns;
  for (const std::string& e : prompt.extensions)
    patterns += (patterns.empty() ? "*." : " *.") + e;

  std::vector<std::string> args;
  if (tool == DialogTool::kZenity)
  {
    args = {"zenity", "--file-selection", "--modal"};
    if (prompt.save)
    {
      args.push_back("--save");
      args.push_back("--confirm-overwrite");
    }
    if (!prompt.title.empty()) args.push_back("--title=" + prompt.title);
    args.push_back("--filename=" + start);
    if (!patterns.empty()) args.push_back("--file-filter=" + patterns);
    if (prompt.parentWindow) args.push_back("--attach=" + std::to_string(prompt.parentWindow));
  }
  else if (tool == DialogTool::kKDialog)
  {
    args = {"kdialog"};
    if (prompt.parentWindow)
    {
      args.push_back("--attach");
      args.push_back(std::to_string(prompt.parentWindow));
    }
    if (!prompt.title.empty())
    {
      args.push_back("--title");
      args.push_back(prompt.title);
    }
    args.push_back(prompt.save ? "--getsavefilename" : "--getopenfilename");
    args.push_back(start);
    if (!patterns.empty()) args.push_back(patterns);
  }
  return args;
}

std::string FilePromptAnswer(const FilePrompt& prompt, const RunResult& result)
{
  if (!result.started || result.exitStatus != 0) return {};
  std::string path = Trimmed(result.output);
  // One path only; anything after a line break is not ours.
  const size_t nl = path.find('\n');
  if (nl != std::string::npos) path.erase(nl);
  if (path.empty() || path[0] != '/' || path.back() == '/') return {};
  if (prompt.save && !prompt.extensions.empty() && !HasExtension(path, prompt.extensions))
    path += "." + prompt.extensions[0];
  return path;
}

std::vector<std::string> MessageBoxArgs(DialogTool tool, const char* text, const char* caption,
                                        int type, unsigned long parentWindow)
{
  const std::string body = text ? text : "";
  const std::string title = caption ? caption : "";
  std::vector<std::string> args;
  if (tool == DialogTool::kZenity)
  {
    args = {"zenity",        type == 4 || type == 3 || type == 1 ? "--question" : "--info",
            "--modal",       "--no-markup",
            "--no-wrap",     "--title=" + title,
            "--text=" + body};
    if (type == 4)
    {
      args.push_back("--ok-label=Yes");
      args.push_back("--cancel-label=No");
    }
    else if (type == 3)
    {
      args.push_back("--ok-label=Yes");
      args.push_back("--cancel-label=Cancel");
      args.push_back("--extra-button=No");
    }
    else if (type == 1)
    {
      args.push_back("--ok-label=OK");
      args.push_back("--cancel-label=Cancel");
    }
    if (parentWindow) args.push_back("--attach=" + std::to_string(parentWindow));
  }
  else if (tool == DialogTool::kKDialog)
  {
    args = {"kdialog"};
    if (parentWindow)
    {
      args.push_back("--attach");
      args.push_back(std::to_string(parentWindow));
    }
    args.push_back("--title");
    args.push_back(title);
    if (type == 4)
      args.insert(args.end(), {"--yesno", body});
    else if (type == 3)
      args.insert(args.end(), {"--yesnocancel", body});
    else if (type == 1)
      args.insert(args.end(), {"--yesno", body, "--yes-label", "OK", "--no-label", "Cancel"});
    else
      args.insert(args.end(), {"--msgbox", body});
  }
  return args;
}

int MessageBoxAnswer(DialogTool tool, int type, const RunResult& result)
{
  if (!result.started) return 0;
  const int s = result.exitStatus;
  if (s == 0) return 1;
  if (type != 4 && type != 3 && type != 1) return 0;
  if (tool == DialogTool::kKDialog)
  {
    if (s == 1) return 7;
    return s == 2 && type == 3 ? 2 : 0;
  }
  if (s != 1) return 0;
  // zenity ends with 1 for its cancel button and for the extra one, which prints its label.
  if (type == 3) return Trimmed(result.output) == "No" ? 7 : 2;
  return 7;
}

} // namespace desktop
