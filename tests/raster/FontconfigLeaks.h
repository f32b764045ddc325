#pragma once
// fontconfig keeps a few hundred bytes of process-wide state it never frees (a bare FcInit and
// FcFontMatch program shows the same); a plug-in must not call FcFini, since the host and other
// plug-ins share the library. The leak checker is told to ignore that library only.

extern "C" const char* __lsan_default_suppressions()
{
  return "leak:libfontconfig.so\n";
}
