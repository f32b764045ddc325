#pragma once
// The parts of the Win32 layer that are functions of their arguments alone: text and path
// conversion at the system's edge, input mapping, the text field's filter, dialog filters and
// message-box codes. No window needed, so they are tested on their own; no <windows.h> here.

#include <string>

#include "framework/gui/IGraphicsStructs.h"

namespace win32
{

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The framework keeps paths in UTF-8 with "/" between names (so code above the platform finds
// "/Contents/" in a module path on every system); Windows calls get UTF-16 with "\".
std::string FrameworkPath(const std::wstring& native);
std::wstring NativePath(const std::string& path);

// The engine's key code for a virtual key: space 0, arrows 1 to 4 (up, down, left, right), digits
// 5 to 14, letters 15 to 40; -1 for any other key.
int EngineKeyCode(unsigned vk);

// Shift, Control and Alt fill S, C and A; the right flag comes from the right button alone, and
// anything else is a left-button gesture.
IMouseMod MouseMod(bool rightButton, bool shift, bool control, bool alt);

// Wheel units (120 a notch) into whole notches; the rest is kept for the next message, so
// high-resolution wheels add up to notches instead of being dropped.
int WheelNotches(int delta, int* rest);

// Whether a field holding `current` may become what typing `typed` over the selection
// [selStart, selEnd) makes of it: every typed character acceptable (accepted null: any) and the
// result no longer than maxLen characters (0: no limit). Offsets count UTF-16 units.
bool FieldAccepts(const std::wstring& current, size_t selStart, size_t selEnd,
                  const std::wstring& typed, const char* accepted, int maxLen);

// A menu item's text as a Win32 menu shows it: "&" doubled, so it is not read as a mnemonic.
std::wstring MenuText(const std::string& utf8);

// The file dialogs' filter for space-separated extensions without dots ("fxp fxb"): one entry
// per extension, then "All files", NUL-separated and NUL-terminated as the dialogs read it.
std::wstring FileFilter(const char* extensions);
// The first extension, added to a typed name that has none; "" when none is given.
std::wstring DefaultExtension(const char* extensions);

// MessageBoxW's style for the engine's button set, and the engine's answer for its result: the
// default button 1, the second 7, the third 2 (Cancel of OK/Cancel counts as the second), 0
// for anything else.
unsigned MessageBoxStyle(int type);
int MessageBoxAnswer(int type, int result);

} // namespace win32
