#pragma once
// The PNG codec behind RasterLoadPNG and RasterWritePNG: libpng here (RasterPNGLibpng.cpp), WIC on
// Windows (RasterPNGWic.cpp). Kept free of Raster.h, whose text-service names collide with
// <windows.h>.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace rasterpng
{

// kRasterMaxImageSide, for libpng's own header limit.
constexpr uint32_t kMaxSide = 65535;
// RasterImageSizeAllowed, for codecs that cannot include Raster.h. Codecs ask it before they
// take pixel memory.
bool SizeAllowed(long long width, long long height);
// Deflate cannot shrink data by more than about 1032:1: a file whose header claims more packed
// pixel bytes than this allows cannot hold them, and is refused before anything is allocated.
constexpr unsigned long long kMaxDeflateRatio = 1032;
inline bool CanHold(size_t fileSize, unsigned long long packedBytes)
{
  return packedBytes <= kMaxDeflateRatio * fileSize + 1024;
}

// Gives the codec the pixels of a width x height image, or null to stop; span is in pixels.
struct Target
{
  virtual uint32_t* Allocate(int width, int height, size_t& span) = 0;

protected:
  ~Target() = default;
};

// Decodes data into the raster library's pixel layout (bytes A, R, G, B, straight alpha). The
// size is checked with SizeAllowed and CanHold before anything is allocated. False on any failure.
bool Decode(const unsigned char* data, size_t size, Target& target);
// Writes the pixels as an 8-bit RGBA PNG to f.
bool Encode(const uint32_t* pixels, int width, int height, size_t span, FILE* f);

// Files by UTF-8 path (UTF-16 at the Windows calls).
FILE* OpenFile(const char* path, const char* mode);
// Moves from onto to, replacing what is there.
bool MoveOnto(const char* from, const char* to);
void RemoveFile(const char* path);

} // namespace rasterpng
