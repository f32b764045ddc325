#include <png.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "raster/PngCodec.h"

// libpng reports errors by longjmp. Between setjmp and the end of each function below nothing
// with a destructor is alive, and everything that must be freed after a jump is held in a
// volatile pointer declared before setjmp.

namespace
{

using rasterpng::kMaxSide;

struct MemReader
{
  const unsigned char* data;
  size_t size;
  size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n)
{
  MemReader* r = static_cast<MemReader*>(png_get_io_ptr(png));
  if (r->size - r->pos < n) png_error(png, "truncated");
  std::memcpy(out, r->data + r->pos, n);
  r->pos += n;
}

void OnError(png_structp png, png_const_charp)
{
  png_longjmp(png, 1);
}
void OnWarning(png_structp, png_const_charp) {}

bool DecodePng(const unsigned char* data, size_t size, rasterpng::Target& target)
{
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info)
  {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  MemReader reader{data, size, 0};
  png_bytep* volatile rows = nullptr;
  if (setjmp(png_jmpbuf(png)))
  {
    delete[] rows;
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, info);

  png_uint_32 w = 0, h = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &w, &h, &depth, &colorType, &interlace, nullptr, nullptr);
  if (!rasterpng::SizeAllowed(w, h)) png_error(png, "too large");
  // A header may claim far more pixels than the file can carry; such a file would fail only
  // after the bitmap was allocated, so it is refused first.
  const unsigned long long packedBytes =
      (static_cast<unsigned long long>(w) * h * png_get_channels(png, info) * depth + 7) / 8;
  if (!rasterpng::CanHold(size, packedBytes)) png_error(png, "too short for its size");

  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (hasTrns) png_set_tRNS_to_alpha(png);
  if (depth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  if ((colorType & PNG_COLOR_MASK_ALPHA) || hasTrns)
    png_set_swap_alpha(png); // RGBA -> ARGB: the bytes A, R, G, B of our pixels
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(w) * 4) png_error(png, "layout");

  size_t span = 0;
  uint32_t* pixels = target.Allocate(static_cast<int>(w), static_cast<int>(h), span);
  if (!pixels) png_error(png, "memory");
  rows = new (std::nothrow) png_bytep[h];
  if (!rows) png_error(png, "memory");
  for (png_uint_32 y = 0; y < h; ++y)
    rows[y] = reinterpret_cast<png_bytep>(pixels + static_cast<size_t>(y) * span);
  png_read_image(png, rows);
  png_read_end(png, nullptr);

  delete[] rows;
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool EncodePng(const uint32_t* pixels, int w, int h, size_t span, FILE* f)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  png_bytep* rows = new (std::nothrow) png_bytep[static_cast<size_t>(h)];
  if (!info || !rows)
  {
    delete[] rows;
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  for (int y = 0; y < h; ++y)
    rows[y] =
        reinterpret_cast<png_bytep>(const_cast<uint32_t*>(pixels + static_cast<size_t>(y) * span));
  if (setjmp(png_jmpbuf(png)))
  {
    delete[] rows;
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_swap_alpha(png); // our A, R, G, B bytes go out as R, G, B, A
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  delete[] rows;
  png_destroy_write_struct(&png, &info);
  return true;
}

} // namespace

namespace rasterpng
{

bool Decode(const unsigned char* data, size_t size, Target& target)
{
  return DecodePng(data, size, target);
}

bool Encode(const uint32_t* pixels, int width, int height, size_t span, FILE* f)
{
  return EncodePng(pixels, width, height, span, f);
}

FILE* OpenFile(const char* path, const char* mode)
{
  return std::fopen(path, mode);
}

bool MoveOnto(const char* from, const char* to)
{
  return std::rename(from, to) == 0;
}

void RemoveFile(const char* path)
{
  std::remove(path);
}

} // namespace rasterpng
