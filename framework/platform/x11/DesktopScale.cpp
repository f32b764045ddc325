#include "framework/platform/x11/DesktopScale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include <X11/Xlib.h>

namespace x11
{

namespace
{
bool IsBlank(char c)
{
  return c == ' ' || c == '\t';
}
} // namespace

float ScaleFromResources(const char* resources)
{
  if (!resources) return 0.0f;
  float scale = 0.0f;
  // One "name: value" a line, as xrdb writes them; a later line overrides an earlier one.
  for (const char* line = resources; *line;)
  {
    const char* end = std::strchr(line, '\n');
    if (!end) end = line + std::strlen(line);
    const char* p = line;
    while (p < end && IsBlank(*p))
      ++p;
    static const char kName[] = "Xft.dpi";
    const size_t n = sizeof kName - 1;
    if (static_cast<size_t>(end - p) > n && std::strncmp(p, kName, n) == 0)
    {
      p += n;
      while (p < end && IsBlank(*p))
        ++p;
      if (p < end && *p == ':')
      {
        const std::string value(p + 1, end);
        char* rest = nullptr;
        const double dpi = std::strtod(value.c_str(), &rest);
        while (rest && IsBlank(*rest))
          ++rest;
        if (rest && rest != value.c_str() && (*rest == '\0' || *rest == '\r') &&
            std::isfinite(dpi) && dpi > 0.0)
          scale = static_cast<float>(dpi / 96.0);
      }
    }
    line = *end ? end + 1 : end;
  }
  return scale;
}

float DesktopScale()
{
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1.0f;
  // The property as it was when the connection opened, which is now.
  const float scale = ScaleFromResources(XResourceManagerString(d));
  XCloseDisplay(d);
  return scale > 1.0f ? scale : 1.0f;
}

} // namespace x11
