#include "framework/gui/EditorPreferences.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <system_error>
#include <thread>

namespace editorprefs
{

namespace
{
// A preference file is a few bytes; anything longer is not ours.
constexpr std::streamsize kMaxFileBytes = 4096;

bool IsPlainName(const std::string& name)
{
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

std::string Trim(const std::string& s)
{
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}
} // namespace

bool IsOfferedZoom(int percent)
{
  for (int p : kZoomPercents)
    if (p == percent) return true;
  return false;
}

std::string PreferenceFile(const std::string& configFolder, const std::string& vendor,
                           const std::string& product)
{
  if (configFolder.empty() || !IsPlainName(vendor) || !IsPlainName(product)) return "";
  std::string folder = configFolder;
  if (folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder + vendor + "/" + product + ".conf";
}

int ParseZoomPercent(const std::string& text)
{
  int zoom = kDefaultZoomPercent;
  size_t start = 0;
  while (start < text.size())
  {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const size_t eq = line.find('=');
    if (eq == std::string::npos || Trim(line.substr(0, eq)) != "zoom") continue;
    const std::string value = Trim(line.substr(eq + 1));
    // Digits only: "150abc", "+150", "1e2" and overflowing numbers are not zooms.
    if (value.empty() || value.size() > 4 ||
        value.find_first_not_of("0123456789") != std::string::npos)
      continue;
    const int percent = std::atoi(value.c_str());
    if (IsOfferedZoom(percent)) zoom = percent;
  }
  return zoom;
}

int ReadZoomPercent(const std::string& file)
{
  if (file.empty()) return kDefaultZoomPercent;
  std::ifstream in(std::filesystem::u8path(file), std::ios::binary);
  if (!in) return kDefaultZoomPercent;
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  // A folder opens, and then reads nothing but an error.
  if (in.bad() || (in.fail() && !in.eof())) return kDefaultZoomPercent;
  const std::streamsize n = in.gcount();
  if (n > kMaxFileBytes) return kDefaultZoomPercent;
  text.resize(static_cast<size_t>(n));
  return ParseZoomPercent(text);
}

bool WriteZoomPercent(const std::string& file, int percent)
{
  if (file.empty() || !IsOfferedZoom(percent)) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path target = fs::u8path(file);
  fs::create_directories(target.parent_path(), ec);
  if (ec) return false;
  // A name of its own per thread and moment, so editors saving at once (on threads of their own,
  // or in other processes) never write into one file.
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path temp = target;
  temp += ".new-" + std::to_string(stamp) + "-" +
          std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id()));
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << "zoom=" << percent << "\n";
    out.close();
    if (!out)
    {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec)
  {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  return true;
}

} // namespace editorprefs
