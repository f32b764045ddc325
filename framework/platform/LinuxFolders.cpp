#include "framework/platform/LinuxFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace folders
{

std::string HomeFolder()
{
  const char* home = std::getenv("HOME");
  if (home && home[0]) return home;
  if (const passwd* pw = getpwuid(getuid()))
    if (pw->pw_dir && pw->pw_dir[0]) return pw->pw_dir;
  return "/tmp";
}

std::string ExpandHome(const std::string& path)
{
  if (path == "~") return HomeFolder();
  if (path.compare(0, 2, "~/") == 0) return HomeFolder() + path.substr(1);
  return path;
}

std::string ConfigFolder()
{
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return config && config[0] == '/' ? std::string(config) : HomeFolder() + "/.config";
}

std::string DesktopFolder()
{
  const std::string home = HomeFolder();
  const std::string file = ConfigFolder() + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
  {
    const std::string key = "XDG_DESKTOP_DIR=";
    if (line.compare(0, key.size(), key) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  return home + "/Desktop";
}

std::string AppSupportFolder(bool isSystem)
{
  if (isSystem) return "/usr/local/share";
  const char* data = std::getenv("XDG_DATA_HOME");
  return data && data[0] == '/' ? std::string(data) : HomeFolder() + "/.local/share";
}

std::string SandboxSafeAppSupportFolder()
{
  return HomeFolder() + "/Music";
}

} // namespace folders
