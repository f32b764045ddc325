#pragma once
// The editing state of the in-window text field: its text, caret and selection, and the input
// filter of a parameter's field (acceptable characters and a maximum length). No drawing and no
// X11, so the filter is tested on its own.

#include <string>

class TextFieldModel
{
public:
  // The field opens holding text, all of it selected. accepted: the characters a key may add
  // (null: any); maxLen: the most characters the field holds (0: no limit).
  void Start(const char* text, const char* accepted, int maxLen);

  // Replaces the selection (or inserts at the caret) with typed text; refused whole, changing
  // nothing, when a character is not acceptable or the result would be too long.
  bool Insert(const char* typed);
  void Backspace();
  void Delete();
  // Moves the caret one character; with extend the selection grows, otherwise it collapses.
  void Left(bool extend);
  void Right(bool extend);
  void Home(bool extend);
  void End(bool extend);
  void SelectAll();

  const std::string& Text() const { return mText; }
  // Byte offsets into Text().
  size_t Caret() const { return mCaret; }
  size_t SelectionStart() const { return mAnchor < mCaret ? mAnchor : mCaret; }
  size_t SelectionEnd() const { return mAnchor < mCaret ? mCaret : mAnchor; }
  bool HasSelection() const { return mAnchor != mCaret; }
  // Characters (not bytes) in the text.
  int Length() const;

private:
  void EraseSelection();
  size_t Prev(size_t pos) const;
  size_t Next(size_t pos) const;
  void MoveTo(size_t pos, bool extend);

  std::string mText;
  std::string mAccepted;
  bool mFilter = false;
  int mMaxLen = 0;
  size_t mCaret = 0;
  size_t mAnchor = 0;
};
