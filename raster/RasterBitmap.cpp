#include <cstdlib>
#include <cstring>
#include <utility>

#include "raster/Raster.h"

namespace
{
constexpr int kMaxSide = 65536;

RasterPixel* AllocatePixels(size_t count)
{
  if (count == 0) return nullptr;
  return static_cast<RasterPixel*>(std::calloc(count, sizeof(RasterPixel)));
}
} // namespace

RasterMemBitmap::RasterMemBitmap(int width, int height, int lineAlign)
    : mAlign(lineAlign > 1 ? lineAlign : 1)
{
  resize(width, height);
}

RasterMemBitmap::~RasterMemBitmap()
{
  std::free(mBits);
}

bool RasterMemBitmap::resize(int width, int height)
{
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return true;
  std::free(mBits);
  mBits = nullptr;
  mWidth = mHeight = mSpan = 0;
  if (width > kMaxSide || height > kMaxSide) return false;
  if (width == 0 || height == 0) return true;
  const long long span = (static_cast<long long>(width) + mAlign - 1) / mAlign * mAlign;
  mBits = AllocatePixels(static_cast<size_t>(span) * static_cast<size_t>(height));
  if (!mBits) return false;
  mWidth = width;
  mHeight = height;
  mSpan = static_cast<int>(span);
  return true;
}

RasterSysBitmap::RasterSysBitmap(int width, int height)
{
  resize(width, height);
}

RasterSysBitmap::~RasterSysBitmap()
{
  DeleteGfxContext(mCtx);
}

bool RasterSysBitmap::resize(int width, int height)
{
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == mWidth && height == mHeight) return true;
  DeleteGfxContext(mCtx);
  mCtx = nullptr;
  mBits = nullptr;
  mWidth = mHeight = 0;
  if (width == 0 || height == 0) return true;
  mCtx = CreateMemContext(width, height);
  if (!mCtx) return false;
  mBits = GetCtxFrameBuffer(mCtx);
  mWidth = width;
  mHeight = height;
  return true;
}
