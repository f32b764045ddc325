#pragma once
// The desktop's own programs, for what an X11 client cannot draw well itself: file dialogs and
// message boxes through zenity (or kdialog when only that is installed), links and documents
// through xdg-open. Each is started with an argument vector (never a shell, so no text is ever
// interpreted), and a missing program is an answer like any other: a cancelled dialog.

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace desktop
{

// The dialog program found on PATH.
enum class DialogTool
{
  kNone,
  kZenity,
  kKDialog
};

// Whether an executable of that name is on PATH (a name with a slash is checked as a path).
bool FindExecutable(const char* name, std::string* path = nullptr);
DialogTool FindDialogTool();

struct RunResult
{
  bool started = false;
  int exitStatus = -1; // -1 when the program did not exit normally
  std::string output;  // its standard output
};

// Starts argv[0] (looked up on PATH) with standard input from /dev/null and standard output
// captured, and waits for it. While waiting, idle runs about every idleMs milliseconds so the
// caller's window keeps repainting; when it returns false the program is asked to end (SIGTERM)
// and counts as failed. Standard error is the caller's.
RunResult Run(const std::vector<std::string>& argv, const std::function<bool()>& idle = {},
              int idleMs = 40);

// Starts a program without waiting long: up to waitMs for it to end. Returns false when it could
// not be started or ended with a non-zero status; true when it ended well or is still running
// (it is then collected later by ReapChildren).
bool Launch(const std::vector<std::string>& argv, int waitMs = 1000);
// Collects programs Launch left running that have ended since. Cheap; call it now and then.
void ReapChildren();

// ---- Dialog argument vectors and answers ----

struct FilePrompt
{
  bool save = false;
  std::string title;
  std::string folder;                  // where the dialog opens (absolute, no "~")
  std::string defaultName;             // may be empty
  std::vector<std::string> extensions; // without dots; empty: any file
  unsigned long parentWindow = 0;      // X11 window to stay above; 0 for none
};
std::vector<std::string> FilePromptArgs(DialogTool tool, const FilePrompt& prompt);
// The chosen path from a finished dialog, or "" when it was cancelled or failed. A saved name
// without one of the allowed extensions gets the first of them.
std::string FilePromptAnswer(const FilePrompt& prompt, const RunResult& result);

// type and answers as IGraphics::ShowMessageBox: 4 Yes/No, 3 Yes/No/Cancel, 1 OK/Cancel, else OK.
std::vector<std::string> MessageBoxArgs(DialogTool tool, const char* text, const char* caption,
                                        int type, unsigned long parentWindow);
// 1 for the default button, 7 for the second, 2 for the third, 0 for anything else.
int MessageBoxAnswer(DialogTool tool, int type, const RunResult& result);

} // namespace desktop
