#pragma once
// Where a Linux user's folders are, by the XDG conventions; every platform layer answers the
// engine's folder questions from here.

#include <string>

namespace folders
{
// $HOME, else the password database's entry, else /tmp.
std::string HomeFolder();
// "~" or "~/…" at the start becomes the home folder.
std::string ExpandHome(const std::string& path);
// $XDG_CONFIG_HOME (when absolute) or ~/.config: where a user's settings live.
std::string ConfigFolder();
// The XDG desktop folder: XDG_DESKTOP_DIR from the user-dirs file, else ~/Desktop.
std::string DesktopFolder();
// /usr/local/share for the system; $XDG_DATA_HOME (when absolute) or ~/.local/share for the user.
std::string AppSupportFolder(bool isSystem);
// The home folder followed by /Music.
std::string SandboxSafeAppSupportFolder();
} // namespace folders
