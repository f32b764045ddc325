#pragma once
// Declarations of the exported entry points defined in ModuleEntry.cpp: ModuleEntry and
// ModuleExit, the Linux names of the macOS bundleEntry/bundleExit (GetPluginFactory is declared
// by the SDK's ipluginbase.h). Hosts find them with dlsym; tests that link the entry code call them
// directly.

#include "pluginterfaces/base/ipluginbase.h"

extern "C"
{
#if defined(_WIN32)
  /// Host main thread, after LoadLibraryW; takes the module bookkeeping lock.
  SMTG_EXPORT_SYMBOL bool InitDll();
  /// Host main thread, before FreeLibrary; takes the module bookkeeping lock.
  SMTG_EXPORT_SYMBOL bool ExitDll();
#else
  /// Host main thread, after dlopen; takes the module bookkeeping lock.
  SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle);
  /// Host main thread, before dlclose; takes the module bookkeeping lock.
  SMTG_EXPORT_SYMBOL bool ModuleExit(void);
#endif
}
