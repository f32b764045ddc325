#include "framework/core/Trace.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/StringBuf.h"

namespace
{
std::atomic<TraceHook> gTraceHook{nullptr};
}

TraceHook SetTraceHook(TraceHook hook)
{
  return gTraceHook.exchange(hook);
}

bool TraceEnabled()
{
  return gTraceHook.load(std::memory_order_acquire) != nullptr;
}

void Trace(const char* tag, int line, const char* format, ...)
{
  const TraceHook hook = gTraceHook.load(std::memory_order_acquire);
  if (!hook) return;
  char message[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  hook(tag ? tag : "", line, message);
}

void TraceToStderr(const char* tag, int line, const char* message)
{
  std::fprintf(stderr, "[%s:%d] %s\n", tag, line, message);
}

int UtcOffsetMinutes(const std::tm& local, const std::tm& utc)
{
  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  if (local.tm_yday != utc.tm_yday)
  {
    const bool localAhead =
        local.tm_year != utc.tm_year ? local.tm_year > utc.tm_year : local.tm_yday > utc.tm_yday;
    offset += localAhead ? 1440 : -1440;
  }
  return offset;
}

const char* CurrentTime()
{
  thread_local char text[64];
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
#if defined(_WIN32)
  localtime_s(&local, &now); // the Windows C runtime's thread-safe forms, arguments swapped
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  const size_t n = std::strftime(text, sizeof text, "%Y%m%d %H:%M ", &local);
  const int offset = UtcOffsetMinutes(local, utc);
  const int magnitude = std::abs(offset);
  std::snprintf(text + n, sizeof text - n, "%c%02d%02d", offset < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return text;
}

void CompileTimestamp(const char* dateText, const char* timeText, char* out)
{
  // "[" + the date, cut to 7 characters; without the space after the month; + " " + the time;
  // all cut to 12 characters; + "]".
  std::string stamp = "[";
  stamp.append(dateText ? dateText : "", 0, 6);
  if (stamp.size() > 4) stamp.erase(4, 1);
  stamp += ' ';
  stamp += timeText ? timeText : "";
  if (stamp.size() > 12) stamp.resize(12);
  stamp += ']';
  std::memcpy(out, stamp.c_str(), stamp.size() + 1);
}

const char* AppendTimestamp(const char* dateText, const char* timeText, const char* text)
{
  thread_local StringBuf result;
  char stamp[kCompileTimestampSize];
  CompileTimestamp(dateText, timeText, stamp);
  result.Set(text);
  result.Append(" ");
  result.Append(stamp);
  return result.Get();
}

bool Timer::Every(double seconds)
{
  const std::clock_t now = std::clock();
  if (static_cast<double>(now - mStart) > seconds * 1000000.0)
  {
    mStart = now;
    return true;
  }
  return false;
}

bool IsWhitespace(char c)
{
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

void ToLower(char* out, const char* in, size_t outSize)
{
  if (outSize == 0) return;
  if (!in) in = "";
  size_t i = 0;
  for (; i + 1 < outSize && in[i]; ++i)
    out[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(in[i])));
  out[i] = '\0';
}
