// Any byte string given to the PNG loader either decodes to a bitmap of the size it declares or
// is refused; nothing leaks and nothing is read or written out of bounds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "raster/Raster.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  RasterMemBitmap* b = RasterLoadPNGFromMemory(data, size);
  if (b)
  {
    if (b->getWidth() <= 0 || b->getHeight() <= 0 || !b->getBits()) std::abort();
    // Touch the last pixel so a short allocation shows.
    volatile RasterPixel last = RasterGetPixel(b, b->getWidth() - 1, b->getHeight() - 1);
    (void)last;
    delete b;
  }
  return 0;
}
