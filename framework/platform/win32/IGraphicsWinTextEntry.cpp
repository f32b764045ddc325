// The text field: a native EDIT control over the control being edited, with the engine's filter
// and length for typed values, committed or cancelled into the engine.

#include "framework/platform/win32/IGraphicsWinParts.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/core/IParam.h"
#include "framework/gui/IControl.h"
#include "framework/platform/win32/WinSupport.h"

using namespace win32editor;

namespace
{

unsigned gFieldSerial = 0;

LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR data)
{
  if (msg == WM_GETDLGCODE)
    // Return, Escape and Tab are the field's even inside a host's dialog.
    return DefSubclassProc(hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
  intptr_t result = 0;
  if (reinterpret_cast<IGraphicsWin*>(data)->HandleFieldMessage(msg, wParam, lParam, &result))
    return result;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

std::wstring FieldText(HWND field)
{
  const int n = GetWindowTextLengthW(field);
  if (n <= 0) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(field, &text[0], n + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

// The clipboard's text up to its first line end.
std::wstring ClipboardLine(HWND owner)
{
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
  {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data)))
    {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text.substr(0, text.find_first_of(L"\r\n"));
}

// A face GDI knows by that name, else the bundled face loaded privately, else Arial.
HFONT MakeFieldFont(const IText& style, int pixels)
{
  const int weight = (style.mStyle & IText::kTextBold) ? FW_BOLD : FW_NORMAL;
  const BOOL italic = (style.mStyle & IText::kTextItalic) ? TRUE : FALSE;
  const std::wstring wanted = win32::Widen(style.mFont);
  for (const std::wstring& face :
       {wanted, std::wstring(L"Liberation Sans"), std::wstring(L"Arial")})
  {
    HFONT font = CreateFontW(-pixels, 0, 0, 0, weight, italic, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                             DEFAULT_PITCH | FF_SWISS, face.c_str());
    if (!font) continue;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, got);
    SelectObject(dc, old);
    DeleteDC(dc);
    if (lstrcmpiW(got, face.c_str()) == 0 || face == L"Arial") return font;
    DeleteObject(font);
  }
  return nullptr;
}

} // namespace

void IGraphicsWin::CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                                   IParam* param)
{
  if (!control || !rect || mTextEntry || !mWindow || !mGdi) return;
  HWND hwnd = H(mWindow);
  IRECT r = *rect;
  if (r.W() < 1) r.R = r.L + 1;
  if (r.H() < 1) r.B = r.T + 1;
  const IRECT d = DeviceRect(r);
  IText style;
  if (text) style = *text;
  const int logicalSize = std::max(static_cast<int>(style.mSize * 0.9), 1);
  const int pixels = std::max(static_cast<int>(logicalSize * GetDrawScale() + 0.5f), 1);

  auto te = std::make_unique<TextEntry>();
  te->mControl = control;
  te->mParam = param;
  te->mAccepted = param ? TextEntryCharacters(param->Type()) : nullptr;
  te->mMaxLen = param ? control->GetTextEntryLength() : 0;
  te->mSerial = ++gFieldSerial;
  te->mTextColor =
      RGB(style.mTextEntryFGColor.R, style.mTextEntryFGColor.G, style.mTextEntryFGColor.B);
  te->mBackColor =
      RGB(style.mTextEntryBGColor.R, style.mTextEntryBGColor.G, style.mTextEntryBGColor.B);
  DWORD align = ES_LEFT;
  if (style.mAlign == IText::kAlignMiddle) align = ES_CENTER;
  if (style.mAlign == IText::kAlignRight) align = ES_RIGHT;
  te->mField = CreateWindowExW(0, L"EDIT", win32::Widen(str ? str : "").c_str(),
                               WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | align, d.L, d.T, d.W(),
                               d.H(), hwnd, nullptr, ThisModule(), nullptr);
  if (!te->mField) return;
  te->mFont = MakeFieldFont(style, pixels);
  te->mBackground = CreateSolidBrush(te->mBackColor);
  if (te->mFont) SendMessageW(te->mField, WM_SETFONT, reinterpret_cast<WPARAM>(te->mFont), FALSE);
  // No inner margins: the text sits where the control draws its own.
  SendMessageW(te->mField, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
  if (te->mMaxLen > 0) SendMessageW(te->mField, EM_LIMITTEXT, static_cast<WPARAM>(te->mMaxLen), 0);
  SetWindowSubclass(te->mField, &FieldProc, 1, reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(te->mField, EM_SETSEL, 0, -1);
  HWND field = te->mField;
  mTextEntry = std::move(te);
  SetFocus(field);
}

void IGraphicsWin::ForceEndUserEdit()
{
  EndTextEntry(false);
}

void IGraphicsWin::EndTextEntry(bool commit)
{
  if (!mTextEntry) return;
  // Out of mTextEntry first: the field's last messages (losing the focus as it goes) find none.
  std::unique_ptr<TextEntry> te = std::move(mTextEntry);
  const std::string text = mWindowGone ? std::string() : win32::Narrow(FieldText(te->mField));
  const bool hadFocus = !mWindowGone && GetFocus() == te->mField;
  // A field the host destroyed with its window is gone already (its handle may be reused).
  if (!mWindowGone)
  {
    RemoveWindowSubclass(te->mField, &FieldProc, 1);
    DestroyWindow(te->mField);
  }
  if (te->mFont) DeleteObject(te->mFont);
  if (te->mBackground) DeleteObject(te->mBackground);
  if (hadFocus && mWindow) SetFocus(H(mWindow));
  if (commit)
  {
    if (te->mParam)
      SetFromStringAfterPrompt(te->mControl, te->mParam, text.c_str());
    else
      te->mControl->TextFromTextEntry(text.c_str());
  }
  SetAllControlsDirty();
}

bool IGraphicsWin::HandleFieldMessage(unsigned msg, uintptr_t wParam, intptr_t lParam,
                                      intptr_t* result)
{
  TextEntry* te = mTextEntry.get();
  if (!te || !mWindow) return false;
  HWND field = te->mField;
  const auto end = [&](bool commit)
  { PostMessageW(H(mWindow), kEndTextEntry, commit ? 1 : 0, static_cast<LPARAM>(te->mSerial)); };
  *result = 0;
  switch (msg)
  {
  case WM_KEYDOWN:
    if (wParam == VK_RETURN || wParam == VK_TAB)
    {
      end(true);
      return true;
    }
    if (wParam == VK_ESCAPE)
    {
      end(false);
      return true;
    }
    return false;
  case WM_CHAR:
  {
    const wchar_t c = static_cast<wchar_t>(wParam);
    if (c == L'\r' || c == L'\n' || c == L'\t' || c == 0x1B) return true; // no beep
    if (c == 0x01)                                                        // Control-A
    {
      SendMessageW(field, EM_SETSEL, 0, -1);
      return true;
    }
    if (c < 0x20) return false; // Backspace, and Control-C, -V, -X, -Z: the field's own
    DWORD from = 0, to = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    // Refused keys change nothing.
    return !win32::FieldAccepts(FieldText(field), from, to, std::wstring(1, c), te->mAccepted,
                                te->mMaxLen);
  }
  case WM_PASTE:
  {
    // One line of the clipboard, taken whole or not at all, like typed text.
    const std::wstring line = ClipboardLine(H(mWindow));
    DWORD from = 0, to = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    if (!line.empty() &&
        win32::FieldAccepts(FieldText(field), from, to, line, te->mAccepted, te->mMaxLen))
      SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
    return true;
  }
  case WM_KILLFOCUS:
    // The focus went elsewhere (a click outside, another window): the entry ends as committed.
    end(true);
    return false;
  case WM_MOUSEWHEEL:
  {
    // The field has the focus, so the wheel comes here wherever the pointer is. Over the field it
    // only commits; elsewhere the editor takes it (after this message: the field goes with it),
    // commits the field and turns the control there.
    RECT box;
    GetWindowRect(field, &box);
    const POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (PtInRect(&box, p))
      end(true);
    else
      PostMessageW(H(mWindow), WM_MOUSEWHEEL, wParam, lParam);
    return true;
  }
  default:
    return false;
  }
}

bool IGraphicsWin::FieldKey(const IForwardedKey& key)
{
  TextEntry* te = mTextEntry.get();
  if (!te) return false;
  HWND field = te->mField;
  switch (key.mVirtual)
  {
  case IForwardedKey::kReturn:
  case IForwardedKey::kEnter:
  case IForwardedKey::kTab:
    EndTextEntry(true);
    return true;
  case IForwardedKey::kEscape:
    EndTextEntry(false);
    return true;
  case IForwardedKey::kBack:
    SendMessageW(field, WM_CHAR, VK_BACK, 0);
    return true;
  case IForwardedKey::kSpace:
    SendMessageW(field, WM_CHAR, L' ', 0);
    return true;
  case IForwardedKey::kDelete:
  case IForwardedKey::kLeft:
  case IForwardedKey::kRight:
  case IForwardedKey::kHome:
  case IForwardedKey::kEnd:
  {
    static const UINT kKeys[] = {VK_DELETE, VK_LEFT, VK_RIGHT, VK_HOME, VK_END};
    const IForwardedKey::EVirtual order[] = {IForwardedKey::kDelete, IForwardedKey::kLeft,
                                             IForwardedKey::kRight, IForwardedKey::kHome,
                                             IForwardedKey::kEnd};
    for (int i = 0; i < 5; ++i)
      if (order[i] == key.mVirtual) SendMessageW(field, WM_KEYDOWN, kKeys[i], 0);
    return true;
  }
  default:
    break;
  }
  const char32_t c = key.mChar;
  if (!c) return true;
  if (key.mControl && (c == U'a' || c == U'A'))
    SendMessageW(field, EM_SETSEL, 0, -1);
  else if (key.mControl && (c == U'v' || c == U'V'))
    SendMessageW(field, WM_PASTE, 0, 0);
  else if (!key.mControl)
  {
    if (c > 0xFFFF)
    {
      // Typed as a surrogate pair, as the keyboard would.
      SendMessageW(field, WM_CHAR, 0xD800 + ((c - 0x10000) >> 10), 0);
      SendMessageW(field, WM_CHAR, 0xDC00 + ((c - 0x10000) & 0x3FF), 0);
    }
    else
      SendMessageW(field, WM_CHAR, static_cast<WPARAM>(c), 0);
  }
  return true;
}
