#pragma once
// Files named by UTF-8 paths, the way every path inside the framework is kept. On Windows the C
// library's fopen reads names in the ANSI code page, so a name with characters outside it (a
// user folder "Jürgen" under some code pages, any CJK name) would not open; there the name goes
// to the system as UTF-16.

#include <cstdio>

// fopen's contract: null when the file cannot be opened (or path or mode is null).
std::FILE* OpenUtf8File(const char* path, const char* mode);
