#include "framework/platform/x11/X11PopupMenu.h"

#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "framework/gui/IGraphics.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/x11/X11Support.h"
#include "raster/Raster.h"

// ---- Navigation ----

namespace
{
// Deeper than any real menu; it only stops a menu that holds itself from opening forever.
constexpr int kMaxDepth = 16;
} // namespace

PopupMenuNavigator::PopupMenuNavigator(IPopupMenu* root)
{
  if (root) mLevels.push_back({root, -1});
}

bool PopupMenuNavigator::IsSelectable(const IPopupMenuItem* item)
{
  return item && !item->GetIsSeparator() && item->GetEnabled();
}

int PopupMenuNavigator::Step(int level, int from, int direction) const
{
  const IPopupMenu* menu = MenuAt(level);
  const int n = menu->GetNItems();
  if (n <= 0) return from;
  int cur = from < 0 || from >= n ? (direction > 0 ? -1 : n) : from;
  for (int i = 0; i < n; ++i)
  {
    cur += direction;
    if (cur < 0) cur = n - 1;
    if (cur >= n) cur = 0;
    if (IsSelectable(menu->GetItem(cur))) return cur;
  }
  return from;
}

bool PopupMenuNavigator::OpenSubmenu(bool highlightFirst)
{
  if (mLevels.empty() || Depth() >= kMaxDepth) return false;
  const Level& deepest = mLevels.back();
  const IPopupMenuItem* item = deepest.mMenu->GetItem(deepest.mHighlight);
  if (!IsSelectable(item) || !item->GetSubmenu()) return false;
  mLevels.push_back({item->GetSubmenu(), -1});
  if (highlightFirst) mLevels.back().mHighlight = Step(Depth() - 1, -1, 1);
  return true;
}

void PopupMenuNavigator::Hover(int level, int item)
{
  if (level < 0 || level >= Depth()) return;
  Level& l = mLevels[static_cast<size_t>(level)];
  const IPopupMenuItem* it = l.mMenu->GetItem(item);
  if (!IsSelectable(it))
  {
    // Resting between entries of a parent level keeps its open submenu, as desktop menus do.
    if (level == Depth() - 1) l.mHighlight = -1;
    return;
  }
  if (item == l.mHighlight && level + 1 < Depth()) return; // its submenu is already open
  mLevels.resize(static_cast<size_t>(level) + 1);
  mLevels.back().mHighlight = item;
  if (it->GetSubmenu()) OpenSubmenu(false);
}

PopupMenuNavigator::EResult PopupMenuNavigator::Choose(int level, int item)
{
  mChosen = MenuAt(level);
  mChosen->SetChosenItemIdx(item);
  return kChosen;
}

PopupMenuNavigator::EResult PopupMenuNavigator::Click(int level, int item)
{
  if (level < 0 || level >= Depth()) return kContinue;
  const IPopupMenuItem* it = MenuAt(level)->GetItem(item);
  if (!IsSelectable(it)) return kContinue;
  if (it->GetSubmenu())
  {
    Hover(level, item);
    return kContinue;
  }
  return Choose(level, item);
}

PopupMenuNavigator::EResult PopupMenuNavigator::Key(EKey key)
{
  if (mLevels.empty()) return kDismissed;
  const int level = Depth() - 1;
  Level& l = mLevels.back();
  switch (key)
  {
  case kKeyUp:
  case kKeyDown:
    l.mHighlight = Step(level, l.mHighlight, key == kKeyDown ? 1 : -1);
    return kContinue;
  case kKeyHome:
    l.mHighlight = Step(level, -1, 1);
    return kContinue;
  case kKeyEnd:
    l.mHighlight = Step(level, -1, -1);
    return kContinue;
  case kKeyRight:
    OpenSubmenu(true);
    return kContinue;
  case kKeyLeft:
    if (Depth() > 1) mLevels.pop_back();
    return kContinue;
  case kKeyEnter:
  {
    const IPopupMenuItem* item = l.mMenu->GetItem(l.mHighlight);
    if (!IsSelectable(item)) return kContinue;
    if (item->GetSubmenu())
    {
      OpenSubmenu(true);
      return kContinue;
    }
    return Choose(level, l.mHighlight);
  }
  case kKeyEscape:
    return kDismissed;
  }
  return kContinue;
}

// ---- The menu on screen ----

namespace
{

constexpr int kPadY = 4;
constexpr int kSeparatorH = 7;
constexpr int kCheckColumn = 20;
constexpr int kTitleIndent = 12;
constexpr int kArrowColumn = 18;
constexpr int kRightPad = 10;
constexpr int kMinWidth = 60;

constexpr RasterPixel kBackground = RasterPackColor(255, 244, 244, 244);
constexpr RasterPixel kBorder = RasterPackColor(255, 150, 150, 150);
constexpr RasterPixel kHighlight = RasterPackColor(255, 52, 108, 196);
constexpr RasterPixel kText = RasterPackColor(255, 20, 20, 20);
constexpr RasterPixel kHighlightText = RasterPackColor(255, 255, 255, 255);
constexpr RasterPixel kDisabledText = RasterPackColor(255, 150, 150, 150);
constexpr RasterPixel kSeparator = RasterPackColor(255, 205, 205, 205);

constexpr long kMenuEvents =
    ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;

std::string ItemLabel(const IPopupMenu* menu, int i)
{
  char prefix[16];
  menu->FormatPrefix(i, prefix, sizeof prefix);
  return std::string(prefix) + menu->GetItemText(i);
}

struct MenuWindow
{
  IPopupMenu* mMenu = nullptr;
  Window mWindow = 0;
  GC mGC = nullptr;
  x11::Blitter mBlitter;
  RasterMemBitmap mBitmap;
  int mX = 0, mY = 0, mW = 0, mH = 0; // root position and size in device pixels
  std::vector<int> mRowTop;           // per item, in device pixels; the last entry is the bottom
  int mDrawnHighlight = -2;
  bool mExposed = false;
};

class MenuSession
{
public:
  MenuSession(const X11MenuHost& host, IPopupMenu* menu) : mHost(host), mNav(menu)
  {
    mStyle = IText(13, &COLOR_BLACK, "Arial", IText::kTextRegular, IText::kAlignLeft);
    mFont = host.mGraphics ? host.mGraphics->CacheDeviceFont(&mStyle, host.mScale) : nullptr;
    mLineH = mFont ? std::max(mFont->GetLineHeight(), Px(8)) : Px(14);
  }
  ~MenuSession()
  {
    for (auto& w : mWindows)
      Destroy(*w);
  }

  IPopupMenu* Run(int x, int y, int aboveY)
  {
    Display* d = mHost.mDisplay;
    if (!Open(0, x, y, aboveY)) return nullptr;
    XSync(d, False);
    Grab();
    PopupMenuNavigator::EResult result = PopupMenuNavigator::kContinue;
    const int tickMs = std::max(mHost.mTickMs, 1);
    uint64_t nextTick = x11::NowMs() + static_cast<uint64_t>(tickMs);
    while (result == PopupMenuNavigator::kContinue)
    {
      while (result == PopupMenuNavigator::kContinue && XPending(d))
      {
        XEvent ev;
        XNextEvent(d, &ev);
        result = Handle(ev);
      }
      if (result != PopupMenuNavigator::kContinue) break;
      Sync();
      XFlush(d);
      const uint64_t now = x11::NowMs();
      if (now >= nextTick)
      {
        if (mHost.mTick) mHost.mTick();
        if (mHost.mAbort && mHost.mAbort()) result = PopupMenuNavigator::kDismissed;
        nextTick = x11::NowMs() + static_cast<uint64_t>(tickMs);
        continue;
      }
      if (XPending(d)) continue;
      pollfd p{ConnectionNumber(d), POLLIN, 0};
      poll(&p, 1, static_cast<int>(nextTick - now));
    }
    XUngrabPointer(d, CurrentTime);
    XUngrabKeyboard(d, CurrentTime);
    for (auto& w : mWindows)
      Destroy(*w);
    mWindows.clear();
    XFlush(d);
    return result == PopupMenuNavigator::kChosen ? mNav.Chosen() : nullptr;
  }

private:
  void Grab()
  {
    // The button that opened the menu may still be down, or another client may hold a grab for a
    // moment: retry briefly, and run without a grab rather than not at all.
    Display* d = mHost.mDisplay;
    const Window w = mWindows[0]->mWindow;
    for (int i = 0; i < 20; ++i)
    {
      const int p =
          XGrabPointer(d, w, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                       GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
      const int k = XGrabKeyboard(d, w, True, GrabModeAsync, GrabModeAsync, CurrentTime);
      if (p == GrabSuccess && k == GrabSuccess) return;
      usleep(10000);
    }
  }

  bool Open(int level, int x, int y, int aboveY)
  {
    Display* d = mHost.mDisplay;
    auto mw = std::make_unique<MenuWindow>();
    mw->mMenu = mNav.MenuAt(level);
    Layout(*mw);
    const int w = mw->mW, h = mw->mH;
    const int screenW = DisplayWidth(d, DefaultScreen(d)),
              screenH = DisplayHeight(d, DefaultScreen(d));
    if (y + h > screenH) y = aboveY - h;
    y = std::max(0, std::min(y, screenH - h));
    if (x + w > screenW)
    {
      // A submenu that does not fit to the right opens to the left of its parent.
      x = level > 0 ? mWindows[static_cast<size_t>(level) - 1]->mX - w : screenW - w;
    }
    x = std::max(0, x);
    mw->mX = x;
    mw->mY = y;
    mw->mWindow = x11::CreatePopupWindow(d, x, y, w, h, kMenuEvents);
    if (!mw->mWindow) return false;
    x11::SetTransientFor(d, mw->mWindow, mHost.mTransientFor);
    mw->mGC = XCreateGC(d, mw->mWindow, 0, nullptr);
    mw->mBlitter.Init(d, DefaultVisual(d, DefaultScreen(d)), DefaultDepth(d, DefaultScreen(d)), w,
                      h, false);
    XMapRaised(d, mw->mWindow);
    mWindows.push_back(std::move(mw));
    Draw(*mWindows.back(), level);
    return true;
  }

  void Destroy(MenuWindow& w)
  {
    if (!w.mWindow) return;
    w.mBlitter.Release();
    if (w.mGC) XFreeGC(mHost.mDisplay, w.mGC);
    XDestroyWindow(mHost.mDisplay, w.mWindow);
    w.mWindow = 0;
    w.mGC = nullptr;
  }

  int TextWidth(const std::string& text)
  {
    if (!mFont) return static_cast<int>(text.size()) * Px(7);
    RasterRect r = {0, 0, 0, 0};
    mFont->DrawText(nullptr, text.c_str(), -1, &r, RASTER_DT_CALCRECT);
    return r.right - r.left;
  }

  void Layout(MenuWindow& w)
  {
    const IPopupMenu* menu = w.mMenu;
    int width = Px(kMinWidth), y = Px(kPadY);
    const int itemH = mLineH + Px(6);
    w.mRowTop.clear();
    for (int i = 0; i < menu->GetNItems(); ++i)
    {
      const IPopupMenuItem* item = menu->GetItem(i);
      w.mRowTop.push_back(y);
      if (item->GetIsSeparator())
      {
        y += Px(kSeparatorH);
        continue;
      }
      y += itemH;
      const int textW = TextWidth(ItemLabel(menu, i));
      width = std::max(width, Px(kCheckColumn + (item->GetIsTitle() ? kTitleIndent : 0)) + textW +
                                  Px(kArrowColumn + kRightPad));
    }
    w.mRowTop.push_back(y);
    w.mW = width;
    w.mH = y + Px(kPadY);
    w.mBitmap.resize(w.mW, w.mH);
  }

  void Draw(MenuWindow& w, int level)
  {
    RasterBitmap* bm = &w.mBitmap;
    const IPopupMenu* menu = w.mMenu;
    const int highlight = mNav.HighlightAt(level);
    RasterFillRect(bm, 0, 0, w.mW, w.mH, kBackground, 1.0f, RASTER_BLIT_MODE_COPY);
    for (int i = 0; i < menu->GetNItems(); ++i)
    {
      const IPopupMenuItem* item = menu->GetItem(i);
      const int top = w.mRowTop[static_cast<size_t>(i)];
      const int bottom = w.mRowTop[static_cast<size_t>(i) + 1];
      if (item->GetIsSeparator())
      {
        const int mid = (top + bottom) / 2;
        RasterFillRect(bm, Px(6), mid, w.mW - 2 * Px(6), Stroke(), kSeparator, 1.0f,
                       RASTER_BLIT_MODE_COPY);
        continue;
      }
      const bool lit = i == highlight;
      if (lit)
        RasterFillRect(bm, Stroke(), top, w.mW - 2 * Stroke(), bottom - top, kHighlight, 1.0f,
                       RASTER_BLIT_MODE_COPY);
      const RasterPixel color = !item->GetEnabled() ? kDisabledText : lit ? kHighlightText : kText;
      const int midY = (top + bottom) / 2;
      if (item->GetChecked())
      {
        for (int k = 0; k < Stroke(); ++k)
        {
          RasterLine(bm, Px(6), midY + k, Px(9), midY + Px(3) + k, color, 1.0f,
                     RASTER_BLIT_MODE_COPY, true);
          RasterLine(bm, Px(9), midY + Px(3) + k, Px(15), midY - Px(4) + k, color, 1.0f,
                     RASTER_BLIT_MODE_COPY, true);
        }
      }
      if (item->GetSubmenu())
      {
        const int ax = w.mW - Px(kRightPad + 4);
        RasterFillTriangle(bm, ax, midY - Px(4), ax, midY + Px(4), ax + Px(4), midY, color, 1.0f,
                           RASTER_BLIT_MODE_COPY);
      }
      if (mFont)
      {
        const std::string label = ItemLabel(menu, i);
        RasterRect r = {Px(kCheckColumn + (item->GetIsTitle() ? kTitleIndent : 0)), top + Px(3),
                        w.mW - Px(kArrowColumn), bottom};
        // The font is shared with editors on other threads: the colour goes with the call.
        mFont->DrawText(bm, label.c_str(), -1, &r, 0, color);
      }
    }
    // A one-pixel frame (one logical pixel).
    const int f = Stroke();
    RasterFillRect(bm, 0, 0, w.mW, f, kBorder, 1.0f, RASTER_BLIT_MODE_COPY);
    RasterFillRect(bm, 0, w.mH - f, w.mW, f, kBorder, 1.0f, RASTER_BLIT_MODE_COPY);
    RasterFillRect(bm, 0, 0, f, w.mH, kBorder, 1.0f, RASTER_BLIT_MODE_COPY);
    RasterFillRect(bm, w.mW - f, 0, f, w.mH, kBorder, 1.0f, RASTER_BLIT_MODE_COPY);
    w.mBlitter.Put(w.mWindow, w.mGC, bm->getBits(), bm->getRowSpan(), w.mW, w.mH,
                   IRECT(0, 0, w.mW, w.mH));
    w.mDrawnHighlight = highlight;
    w.mExposed = false;
  }

  // Opens and closes windows to match the navigator's levels and redraws what changed.
  void Sync()
  {
    const size_t depth = static_cast<size_t>(mNav.Depth());
    size_t keep = 0;
    while (keep < mWindows.size() && keep < depth &&
           mWindows[keep]->mMenu == mNav.MenuAt(static_cast<int>(keep)))
      ++keep;
    while (mWindows.size() > keep)
    {
      Destroy(*mWindows.back());
      mWindows.pop_back();
    }
    for (size_t level = 0; level < mWindows.size(); ++level)
    {
      MenuWindow& w = *mWindows[level];
      if (w.mExposed || w.mDrawnHighlight != mNav.HighlightAt(static_cast<int>(level)))
        Draw(w, static_cast<int>(level));
    }
    while (mWindows.size() < depth)
    {
      const MenuWindow& parent = *mWindows.back();
      const int row = mNav.HighlightAt(static_cast<int>(mWindows.size()) - 1);
      const int rowTop = row >= 0 ? parent.mRowTop[static_cast<size_t>(row)] : 0;
      const int x = parent.mX + parent.mW - Px(2);
      const int y = parent.mY + rowTop - Px(kPadY);
      if (!Open(static_cast<int>(mWindows.size()), x, y, y + parent.mH)) break;
    }
  }

  // The level and item under a root position; false when no menu window is there.
  bool HitTest(int rx, int ry, int* level, int* item) const
  {
    for (int l = static_cast<int>(mWindows.size()) - 1; l >= 0; --l)
    {
      const MenuWindow& w = *mWindows[static_cast<size_t>(l)];
      if (rx < w.mX || ry < w.mY || rx >= w.mX + w.mW || ry >= w.mY + w.mH) continue;
      const int y = ry - w.mY;
      *level = l;
      *item = -1;
      for (size_t i = 0; i + 1 < w.mRowTop.size(); ++i)
        if (y >= w.mRowTop[i] && y < w.mRowTop[i + 1]) *item = static_cast<int>(i);
      return true;
    }
    return false;
  }

  PopupMenuNavigator::EResult Handle(XEvent& ev)
  {
    Display* d = mHost.mDisplay;
    MenuWindow* own = nullptr;
    for (auto& w : mWindows)
      if (w->mWindow == ev.xany.window) own = w.get();
    int level = -1, item = -1;
    switch (ev.type)
    {
    case Expose:
      if (own)
        own->mExposed = true;
      else if (mHost.mOtherEvent)
        mHost.mOtherEvent(ev);
      return PopupMenuNavigator::kContinue;
    case MotionNotify:
      while (XCheckTypedEvent(d, MotionNotify, &ev))
      {
      }
      if (HitTest(ev.xmotion.x_root, ev.xmotion.y_root, &level, &item)) mNav.Hover(level, item);
      return PopupMenuNavigator::kContinue;
    case ButtonPress:
      if (ev.xbutton.button >= 4 && ev.xbutton.button <= 7) return PopupMenuNavigator::kContinue;
      return HitTest(ev.xbutton.x_root, ev.xbutton.y_root, &level, &item)
                 ? PopupMenuNavigator::kContinue
                 : PopupMenuNavigator::kDismissed;
    case ButtonRelease:
      if (ev.xbutton.button >= 4 && ev.xbutton.button <= 7) return PopupMenuNavigator::kContinue;
      if (HitTest(ev.xbutton.x_root, ev.xbutton.y_root, &level, &item))
        return mNav.Click(level, item);
      return PopupMenuNavigator::kContinue;
    case MappingNotify:
      XRefreshKeyboardMapping(&ev.xmapping);
      return PopupMenuNavigator::kContinue;
    case KeyPress:
      switch (XLookupKeysym(&ev.xkey, 0))
      {
      case XK_Up:
      case XK_KP_Up:
        return mNav.Key(PopupMenuNavigator::kKeyUp);
      case XK_Down:
      case XK_KP_Down:
        return mNav.Key(PopupMenuNavigator::kKeyDown);
      case XK_Left:
      case XK_KP_Left:
        return mNav.Key(PopupMenuNavigator::kKeyLeft);
      case XK_Right:
      case XK_KP_Right:
        return mNav.Key(PopupMenuNavigator::kKeyRight);
      case XK_Home:
        return mNav.Key(PopupMenuNavigator::kKeyHome);
      case XK_End:
        return mNav.Key(PopupMenuNavigator::kKeyEnd);
      case XK_Return:
      case XK_KP_Enter:
      case XK_space:
        return mNav.Key(PopupMenuNavigator::kKeyEnter);
      case XK_Escape:
        return mNav.Key(PopupMenuNavigator::kKeyEscape);
      default:
        return PopupMenuNavigator::kContinue;
      }
    default:
      if (!own && mHost.mOtherEvent) mHost.mOtherEvent(ev);
      return PopupMenuNavigator::kContinue;
    }
  }

  const X11MenuHost& mHost;
  PopupMenuNavigator mNav;
  IText mStyle;
  RasterCachedFont* mFont = nullptr;

  // Logical menu pixels to device pixels, and a one-pixel stroke's width.
  int Px(float v) const { return static_cast<int>(std::lround(v * mHost.mScale)); }
  int Stroke() const { return std::max(1, Px(1)); }
  int mLineH = 14;
  std::vector<std::unique_ptr<MenuWindow>> mWindows;
};

} // namespace

IPopupMenu* RunX11PopupMenu(const X11MenuHost& host, IPopupMenu* menu, int x, int y, int aboveY)
{
  if (!host.mDisplay || !menu || menu->GetNItems() <= 0) return nullptr;
  MenuSession session(host, menu);
  return session.Run(x, y, aboveY);
}
