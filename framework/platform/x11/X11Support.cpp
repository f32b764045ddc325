#include "framework/platform/x11/X11Support.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace x11
{

namespace
{

std::mutex sErrorMutex;
std::map<Display*, int> sErrorCounts;
XErrorHandler sPreviousHandler = nullptr;
bool sInstalled = false;

int CountingHandler(Display* display, XErrorEvent* event)
{
  {
    std::lock_guard<std::mutex> lock(sErrorMutex);
    auto it = sErrorCounts.find(display);
    if (it != sErrorCounts.end())
    {
      ++it->second;
      return 0;
    }
  }
  return sPreviousHandler ? sPreviousHandler(display, event) : 0;
}

} // namespace

void RegisterDisplay(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  sErrorCounts[display] = 0;
  if (!sInstalled)
  {
    sPreviousHandler = XSetErrorHandler(CountingHandler);
    sInstalled = true;
  }
}

void UnregisterDisplay(Display* display)
{
  std::lock_guard<std::mutex> lock(sErrorMutex);
  sErrorCounts.erase(display);
  if (sInstalled && sErrorCounts.empty())
  {
    // Hand the process back as we found it, unless someone installed a handler after ours (then
    // theirs stays, and ours has nothing left to count).
    XErrorHandler current = XSetErrorHandler(sPreviousHandler);
    if (current != CountingHandler) XSetErrorHandler(current);
    sInstalled = false;
    sPreviousHandler = nullptr;
  }
}

int TakeErrors(Display* display)
{
  XSync(display, False);
  std::lock_guard<std::mutex> lock(sErrorMutex);
  auto it = sErrorCounts.find(display);
  if (it == sErrorCounts.end()) return 0;
  const int n = it->second;
  it->second = 0;
  return n;
}

// ---- Blitter ----

bool Blitter::Init(Display* display, Visual* visual, int depth, int w, int h, bool useShm)
{
  Release();
  if (!display || !visual || w <= 0 || h <= 0) return false;
  mDisplay = display;
  mW = w;
  mH = h;
  if (useShm && XShmQueryExtension(display))
  {
    mImage = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr,
                             &mShmInfo, static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (mImage)
    {
      const size_t bytes = static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(h);
      mShmInfo.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
      void* mem =
          mShmInfo.shmid >= 0 ? shmat(mShmInfo.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
      if (mem != reinterpret_cast<void*>(-1))
      {
        mShmInfo.shmaddr = mImage->data = static_cast<char*>(mem);
        mShmInfo.readOnly = False;
        TakeErrors(display);
        XShmAttach(display, &mShmInfo);
        // A remote server cannot see our memory; it says so with an error.
        mShm = TakeErrors(display) == 0;
        if (!mShm) shmdt(mem);
      }
      // Marked for removal now, the segment goes away with its last user, a crash included.
      if (mShmInfo.shmid >= 0) shmctl(mShmInfo.shmid, IPC_RMID, nullptr);
      if (!mShm)
      {
        mImage->data = nullptr;
        XDestroyImage(mImage);
        mImage = nullptr;
      }
    }
  }
  if (!mImage)
  {
    mImage = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                          static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
    if (!mImage) return false;
    mImage->data = static_cast<char*>(
        std::malloc(static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(h)));
    if (!mImage->data)
    {
      XDestroyImage(mImage);
      mImage = nullptr;
      return false;
    }
  }
  const bool hostLSB = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
  mFast = mImage->bits_per_pixel == 32 && mImage->red_mask == 0xFF0000 &&
          mImage->green_mask == 0xFF00 && mImage->blue_mask == 0xFF &&
          (mImage->byte_order == LSBFirst) == hostLSB;
  return true;
}

void Blitter::Release()
{
  if (!mImage) return;
  if (mShm)
  {
    XShmDetach(mDisplay, &mShmInfo);
    XSync(mDisplay, False);
    shmdt(mShmInfo.shmaddr);
    mImage->data = nullptr;
  }
  XDestroyImage(mImage); // frees malloc'd data too
  mImage = nullptr;
  mShm = false;
  mShmInfo = XShmSegmentInfo{};
}

namespace
{
// Raster pixels are A | R << 8 | G << 16 | B << 24; the visual wants R << 16 | G << 8 | B: a byte
// swap, with the top byte opaque for visuals that carry alpha. Four pixels at a time where SSE2
// is there: every tick copies the redrawn area, device pixels and all.
inline uint32_t ConvertPixel(uint32_t p)
{
  return p >> 24 | (p >> 8 & 0xFF00u) | (p << 8 & 0xFF0000u) | 0xFF000000u;
}

void ConvertRow(uint32_t* __restrict d, const uint32_t* __restrict s, int n)
{
  int x = 0;
#if defined(__SSE2__)
  const __m128i g = _mm_set1_epi32(0xFF00), r = _mm_set1_epi32(0xFF0000),
                a = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; x + 4 <= n; x += 4)
  {
    const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x));
    const __m128i q =
        _mm_or_si128(_mm_or_si128(_mm_srli_epi32(p, 24), _mm_and_si128(_mm_srli_epi32(p, 8), g)),
                     _mm_or_si128(_mm_and_si128(_mm_slli_epi32(p, 8), r), a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), q);
  }
#endif
  for (; x < n; ++x)
    d[x] = ConvertPixel(s[x]);
}
} // namespace

void Blitter::Convert(const uint32_t* src, int span, IRECT r)
{
  for (int y = r.T; y < r.B; ++y)
  {
    const uint32_t* s = src + static_cast<size_t>(y) * static_cast<size_t>(span);
    if (mFast)
    {
      uint32_t* d = reinterpret_cast<uint32_t*>(mImage->data +
                                                static_cast<size_t>(y) * mImage->bytes_per_line);
      ConvertRow(d + r.L, s + r.L, r.R - r.L);
      continue;
    }
    auto shiftOf = [](unsigned long mask)
    {
      int shift = 0;
      while (mask && !(mask & 1))
      {
        mask >>= 1;
        ++shift;
      }
      int bits = 0;
      while (mask & 1)
      {
        mask >>= 1;
        ++bits;
      }
      return std::make_pair(shift, bits);
    };
    const auto rs = shiftOf(mImage->red_mask), gs = shiftOf(mImage->green_mask),
               bs = shiftOf(mImage->blue_mask);
    auto channel = [](uint32_t c, std::pair<int, int> sb)
    {
      const unsigned long v = sb.second >= 8 ? c << (sb.second - 8) : c >> (8 - sb.second);
      return v << sb.first;
    };
    for (int x = r.L; x < r.R; ++x)
    {
      const uint32_t p = s[x];
      XPutPixel(mImage, x, y,
                channel(p >> 8 & 0xFF, rs) | channel(p >> 16 & 0xFF, gs) |
                    channel(p >> 24 & 0xFF, bs));
    }
  }
}

void Blitter::Put(Drawable drawable, GC gc, const uint32_t* src, int span, int srcW, int srcH,
                  IRECT r)
{
  if (!mImage || !src) return;
  // Clip to the source and to what the image holds.
  const int maxW = std::min(srcW, mW), maxH = std::min(srcH, mH);
  r.L = std::max(r.L, 0);
  r.T = std::max(r.T, 0);
  r.R = std::min(r.R, maxW);
  r.B = std::min(r.B, maxH);
  if (r.L >= r.R || r.T >= r.B) return;
  Convert(src, span, r);
  const unsigned w = static_cast<unsigned>(r.R - r.L), h = static_cast<unsigned>(r.B - r.T);
  if (mShm)
  {
    XShmPutImage(mDisplay, drawable, gc, mImage, r.L, r.T, r.L, r.T, w, h, False);
    // The server reads the segment after the request; wait so the next conversion cannot race it.
    XSync(mDisplay, False);
  }
  else
    XPutImage(mDisplay, drawable, gc, mImage, r.L, r.T, r.L, r.T, w, h);
}

// ---- Windows ----

Window TopLevelOf(Display* display, Window window)
{
  Window current = window;
  for (int depth = 0; depth < 64 && current; ++depth)
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(display, current, &root, &parent, &children, &n)) break;
    if (children) XFree(children);
    if (!parent || parent == root) return current;
    current = parent;
  }
  return window;
}

void SetTransientFor(Display* display, Window window, Window owner)
{
  if (display && window && owner && owner != window) XSetTransientForHint(display, window, owner);
}

Window CreatePopupWindow(Display* display, int x, int y, int w, int h, long eventMask)
{
  XSetWindowAttributes a{};
  a.override_redirect = True;
  a.save_under = True;
  a.event_mask = eventMask;
  a.background_pixmap = None;
  a.border_pixel = 0;
  return XCreateWindow(
      display, DefaultRootWindow(display), x, y, static_cast<unsigned>(std::max(w, 1)),
      static_cast<unsigned>(std::max(h, 1)), 0, CopyFromParent, InputOutput, CopyFromParent,
      CWOverrideRedirect | CWSaveUnder | CWEventMask | CWBackPixmap | CWBorderPixel, &a);
}

uint64_t NowMs()
{
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

} // namespace x11
