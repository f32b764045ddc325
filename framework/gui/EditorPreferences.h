#pragma once
// The user's own settings of an editor, which belong to the person and not to a song: kept in a
// small text file in the user's configuration folder, one "key=value" a line, read when a view
// is about to show the editor and written when the user changes one. Nothing here is in the
// plug-in's state, so projects and preset files look the same on every machine.
//
// Each call reads or writes the file afresh: instances in one process share no setting in memory,
// and an editor opened after another one changed the zoom opens at the new zoom.

#include <string>

namespace editorprefs
{

// The zooms the editor offers, in percent.
constexpr int kZoomPercents[] = {100, 125, 150, 175, 200};
constexpr int kDefaultZoomPercent = 100;
bool IsOfferedZoom(int percent);

// <configFolder>/<vendor>/<product>.conf; "" when any part is missing or would leave the folder
// (a name holding a slash, ".", "..").
std::string PreferenceFile(const std::string& configFolder, const std::string& vendor,
                           const std::string& product);

// The zoom a file's text holds: the last "zoom=" line with an offered zoom, else the default.
int ParseZoomPercent(const std::string& text);

// The zoom in the file; the default when the file is missing, unreadable, too long or holds no
// offered zoom.
int ReadZoomPercent(const std::string& file);
// Replaces the file (its folders made as needed) with one holding this zoom. The new file takes
// the old one's place in one step, so an editor reading meanwhile sees one or the other whole.
bool WriteZoomPercent(const std::string& file, int percent);

} // namespace editorprefs
