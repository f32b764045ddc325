// PNG through the Windows Imaging Component. Decoding converts to 32-bit BGRA with straight alpha,
// which is the raster library's A, R, G, B byte order reversed.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <wincodec.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "raster/PngCodec.h"

namespace
{

// COM for the calling thread, for as long as one codec call lasts. A thread the host already
// initialised in another apartment model keeps it (then nothing is ours to undo).
class ComScope
{
public:
  ComScope() : mResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope()
  {
    if (SUCCEEDED(mResult)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

private:
  HRESULT mResult;
};

template <class T> class Ref
{
public:
  Ref() = default;
  ~Ref()
  {
    if (mPtr) mPtr->Release();
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T** operator&() { return &mPtr; }
  T* operator->() const { return mPtr; }
  T* get() const { return mPtr; }
  explicit operator bool() const { return mPtr != nullptr; }

private:
  T* mPtr = nullptr;
};

bool MakeFactory(Ref<IWICImagingFactory>& factory)
{
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(&factory)));
}

std::wstring Widen(const char* s)
{
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

inline uint32_t ReverseBytes(uint32_t v)
{
  return (v >> 24) | (v >> 8 & 0xFF00u) | (v << 8 & 0xFF0000u) | (v << 24);
}

} // namespace

namespace rasterpng
{

bool Decode(const unsigned char* data, size_t size, Target& target)
{
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0 || size > 0xFFFFFFFFu) return false;
  ComScope com;
  Ref<IWICImagingFactory> factory;
  Ref<IWICStream> stream;
  Ref<IWICBitmapDecoder> decoder;
  Ref<IWICBitmapFrameDecode> frame;
  Ref<IWICFormatConverter> converter;
  if (!MakeFactory(factory) || FAILED(factory->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
      FAILED(factory->CreateDecoderFromStream(stream.get(), &GUID_ContainerFormatPng,
                                              WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame)))
    return false;
  UINT w = 0, h = 0;
  // WIC does not say how many bits the file packs per pixel; one is the least any PNG has.
  if (FAILED(frame->GetSize(&w, &h)) || !SizeAllowed(w, h) ||
      !CanHold(size, (static_cast<unsigned long long>(w) * h + 7) / 8))
    return false;
  if (FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return false;
  size_t span = 0;
  uint32_t* pixels = target.Allocate(static_cast<int>(w), static_cast<int>(h), span);
  if (!pixels || span < w || span * 4 * h > 0xFFFFFFFFu) return false;
  if (FAILED(converter->CopyPixels(nullptr, static_cast<UINT>(span * 4),
                                   static_cast<UINT>(span * 4 * h),
                                   reinterpret_cast<BYTE*>(pixels))))
    return false;
  for (UINT y = 0; y < h; ++y)
  {
    uint32_t* row = pixels + span * y;
    for (UINT x = 0; x < w; ++x)
      row[x] = ReverseBytes(row[x]);
  }
  return true;
}

bool Encode(const uint32_t* pixels, int width, int height, size_t span, FILE* f)
{
  ComScope com;
  Ref<IWICImagingFactory> factory;
  Ref<IStream> memory;
  Ref<IWICBitmapEncoder> encoder;
  Ref<IWICBitmapFrameEncode> frame;
  if (!MakeFactory(factory) || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &memory)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, nullptr)) || FAILED(frame->Initialize(nullptr)) ||
      FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))))
    return false;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
  if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA))
    return false;
  std::vector<uint32_t> row(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y)
  {
    const uint32_t* src = pixels + span * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x)
      row[static_cast<size_t>(x)] = ReverseBytes(src[x]);
    if (FAILED(frame->WritePixels(1, static_cast<UINT>(width * 4), static_cast<UINT>(width * 4),
                                  reinterpret_cast<BYTE*>(row.data()))))
      return false;
  }
  if (FAILED(frame->Commit()) || FAILED(encoder->Commit())) return false;
  HGLOBAL global = nullptr;
  if (FAILED(GetHGlobalFromStream(memory.get(), &global))) return false;
  STATSTG stat{};
  if (FAILED(memory->Stat(&stat, STATFLAG_NONAME))) return false;
  const void* bytes = GlobalLock(global);
  if (!bytes) return false;
  const size_t n = static_cast<size_t>(stat.cbSize.QuadPart);
  const bool ok = std::fwrite(bytes, 1, n, f) == n;
  GlobalUnlock(global);
  return ok;
}

FILE* OpenFile(const char* path, const char* mode)
{
  const std::wstring wpath = Widen(path), wmode = Widen(mode);
  return wpath.empty() ? nullptr : _wfopen(wpath.c_str(), wmode.c_str());
}

bool MoveOnto(const char* from, const char* to)
{
  return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const char* path)
{
  DeleteFileW(Widen(path).c_str());
}

} // namespace rasterpng
