#pragma once
// Where a loaded module lies: the plug-in finds its bundle, resources and manual from it, and a
// module may be loaded by a relative name or from anywhere on the disk.

#include <string>

// The absolute path, in UTF-8 with the system's separators, of the file of the loaded module
// (shared library, DLL or program) that holds the code at address; "" when the system cannot say.
std::string ModulePathOf(const void* address);
