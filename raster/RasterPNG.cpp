#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "raster/PngCodec.h"
#include "raster/Raster.h"

namespace
{

// The decoded image becomes a bitmap only once the codec knows its size is acceptable.
struct BitmapTarget final : rasterpng::Target
{
  std::unique_ptr<RasterMemBitmap> bitmap;
  uint32_t* Allocate(int width, int height, size_t& span) override
  {
    bitmap.reset(new (std::nothrow) RasterMemBitmap(width, height, 4));
    if (!bitmap || !bitmap->getBits()) return nullptr;
    span = static_cast<size_t>(bitmap->getRowSpan());
    return bitmap->getBits();
  }
};

RasterMemBitmap* Decode(const unsigned char* data, size_t size)
{
  if (!data) return nullptr;
  BitmapTarget target;
  if (!rasterpng::Decode(data, size, target)) return nullptr;
  return target.bitmap.release();
}

} // namespace

static_assert(rasterpng::kMaxSide == kRasterMaxImageSide, "one limit for every loader");

bool rasterpng::SizeAllowed(long long width, long long height)
{
  return RasterImageSizeAllowed(width, height);
}

RasterMemBitmap* RasterLoadPNGFromMemory(const void* data, size_t size)
{
  return Decode(static_cast<const unsigned char*>(data), size);
}

RasterMemBitmap* RasterLoadPNG(const char* path)
{
  if (!path) return nullptr;
  FILE* f = rasterpng::OpenFile(path, "rb");
  if (!f) return nullptr;
  std::vector<unsigned char> bytes;
  unsigned char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
  {
    bytes.insert(bytes.end(), buf, buf + n);
    if (bytes.size() > (size_t(1) << 30)) break; // no image we load comes near this
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return nullptr;
  return Decode(bytes.data(), bytes.size());
}

bool RasterWritePNG(const RasterBitmap* bitmap, const char* path)
{
  if (!bitmap || !path || !bitmap->getBits() || bitmap->getWidth() <= 0 || bitmap->getHeight() <= 0)
    return false;
  // Written beside the target and renamed into place, so a failed write leaves no broken file.
  const std::string temp = std::string(path) + ".part";
  FILE* f = rasterpng::OpenFile(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = rasterpng::Encode(bitmap->getBits(), bitmap->getWidth(), bitmap->getHeight(),
                              static_cast<size_t>(bitmap->getRowSpan()), f);
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = rasterpng::MoveOnto(temp.c_str(), path);
  if (!ok) rasterpng::RemoveFile(temp.c_str());
  return ok;
}
