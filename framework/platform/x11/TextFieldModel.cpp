#include "framework/platform/x11/TextFieldModel.h"

namespace
{
bool IsContinuation(char c)
{
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

int CountChars(const std::string& s)
{
  int n = 0;
  for (char c : s)
    if (!IsContinuation(c)) ++n;
  return n;
}
} // namespace

void TextFieldModel::Start(const char* text, const char* accepted, int maxLen)
{
  mText = text ? text : "";
  mFilter = accepted != nullptr;
  mAccepted = accepted ? accepted : "";
  mMaxLen = maxLen > 0 ? maxLen : 0;
  mAnchor = 0;
  mCaret = mText.size();
}

int TextFieldModel::Length() const
{
  return CountChars(mText);
}

bool TextFieldModel::Insert(const char* typed)
{
  const std::string add = typed ? typed : "";
  if (add.empty()) return false;
  // A filter lists single-byte characters only, so any byte outside it (every byte of a
  // multi-byte character included) is refused.
  if (mFilter)
    for (char c : add)
      if (c == '\0' || mAccepted.find(c) == std::string::npos) return false;
  for (char c : add)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  const size_t selStart = SelectionStart(), selEnd = SelectionEnd();
  const int result =
      CountChars(mText) - CountChars(mText.substr(selStart, selEnd - selStart)) + CountChars(add);
  if (mMaxLen > 0 && result > mMaxLen) return false;
  EraseSelection();
  mText.insert(mCaret, add);
  mCaret += add.size();
  mAnchor = mCaret;
  return true;
}

void TextFieldModel::EraseSelection()
{
  const size_t start = SelectionStart(), end = SelectionEnd();
  mText.erase(start, end - start);
  mCaret = mAnchor = start;
}

void TextFieldModel::Backspace()
{
  if (!HasSelection()) mAnchor = Prev(mCaret);
  EraseSelection();
}

void TextFieldModel::Delete()
{
  if (!HasSelection()) mAnchor = Next(mCaret);
  EraseSelection();
}

size_t TextFieldModel::Prev(size_t pos) const
{
  while (pos > 0)
  {
    --pos;
    if (!IsContinuation(mText[pos])) break;
  }
  return pos;
}

size_t TextFieldModel::Next(size_t pos) const
{
  if (pos >= mText.size()) return mText.size();
  ++pos;
  while (pos < mText.size() && IsContinuation(mText[pos]))
    ++pos;
  return pos;
}

void TextFieldModel::MoveTo(size_t pos, bool extend)
{
  mCaret = pos;
  if (!extend) mAnchor = pos;
}

void TextFieldModel::Left(bool extend)
{
  // Without extend a selection collapses to its start, as desktop fields do.
  if (!extend && HasSelection())
    MoveTo(SelectionStart(), false);
  else
    MoveTo(Prev(mCaret), extend);
}

void TextFieldModel::Right(bool extend)
{
  if (!extend && HasSelection())
    MoveTo(SelectionEnd(), false);
  else
    MoveTo(Next(mCaret), extend);
}

void TextFieldModel::Home(bool extend)
{
  MoveTo(0, extend);
}

void TextFieldModel::End(bool extend)
{
  MoveTo(mText.size(), extend);
}

void TextFieldModel::SelectAll()
{
  mAnchor = 0;
  mCaret = mText.size();
}
