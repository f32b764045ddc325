#pragma once
// The framework's diagnostic trace hook, its time stamps, and small text helpers.

#include <cstddef>
#include <ctime>

// Receives one formatted trace line. Installed hooks must be callable from any thread (the
// framework traces on the audio thread too) and must not call Trace themselves.
using TraceHook = void (*)(const char* tag, int line, const char* message);

// Installs hook (null turns tracing off, the default in every build) and returns the previous
// one. Process-wide: meant for a debug session or a test, not for product code.
TraceHook SetTraceHook(TraceHook hook);
bool TraceEnabled();

// Formats the message and hands it to the hook; without a hook it returns at once and formats
// nothing. Messages longer than 1023 characters are cut. Any thread.
void Trace(const char* tag, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// A ready hook for a debug session: "[tag:line] message" on standard error.
void TraceToStderr(const char* tag, int line, const char* message);

// The local time as "YYYYMMDD HH:MM +HHMM" (the last field the offset from UTC). The text lives
// in a per-thread buffer that the next call on the same thread overwrites.
const char* CurrentTime();

// Minutes that local time is ahead of UTC, given the same instant broken down both ways; a
// differing day of the year (also across a year's end) counts as one whole day.
int UtcOffsetMinutes(const std::tm& local, const std::tm& utc);

// Size of CompileTimestamp's output, terminator included: "[Mmmdd hh:mm]".
constexpr int kCompileTimestampSize = 14;

// From the compiler's __DATE__ ("Dec 03 2015") and __TIME__ ("14:05:33") texts: "[Dec03 14:05]".
// out must hold kCompileTimestampSize bytes; shorter inputs give a shorter stamp.
void CompileTimestamp(const char* dateText, const char* timeText, char* out);

// text + " " + the compile stamp, in a per-thread buffer that the next call overwrites.
const char* AppendTimestamp(const char* dateText, const char* timeText, const char* text);

// Measures processor time (std::clock), not wall time.
class Timer
{
public:
  Timer() : mStart(std::clock()) {}
  // True, and restarts, once more than seconds * 1000000 clock ticks have passed since the last
  // restart.
  bool Every(double seconds);

private:
  std::clock_t mStart;
};

// Tab, line feed, carriage return and space only.
bool IsWhitespace(char c);

// Lower-cases in (null counts as "") into out through the C library's mapping, cut to
// outSize - 1 characters; out is always terminated when outSize > 0.
void ToLower(char* out, const char* in, size_t outSize);
