// What of the Win32 layer speaks to the raster library: the engine's surface and images. Kept
// apart from the files that include <windows.h>, whose names collide with the raster library's.

#include "framework/platform/win32/IGraphicsWin.h"

#include "raster/Raster.h"

bool IGraphicsWin::SurfacePixels(const uint32_t** bits, int* rowSpan, int* w, int* h)
{
  RasterSysBitmap* surface = GetDrawBitmap();
  if (!surface || !surface->getBits()) return false;
  *bits = surface->getBits();
  *rowSpan = surface->getRowSpan();
  *w = surface->getWidth();
  *h = surface->getHeight();
  return true;
}

RasterBitmap* IGraphicsWin::OSLoadBitmap(int, const char* name)
{
  if (mResourceFolder.empty()) return nullptr;
  const std::string path = ResourceImagePath(mResourceFolder.c_str(), name);
  return path.empty() ? nullptr : RasterLoadPNG(path.c_str());
}
