#pragma once
// Growable heap buffers. The growth rule keeps reallocations rare for buffers that grow a little
// at a time (byte chunks, display-text lists); a failed growth leaves the buffer as it was, so a
// caller can always report failure without having lost data.

#include <cstddef>
#include <cstdlib>
#include <cstring>

class HeapBuf
{
public:
  explicit HeapBuf(int granularity = 4096) : mGranularity(granularity > 0 ? granularity : 4096) {}
  ~HeapBuf() { std::free(mData); }
  HeapBuf(const HeapBuf&) = delete;
  HeapBuf& operator=(const HeapBuf&) = delete;
  HeapBuf(HeapBuf&& other) noexcept { Swap(other); }
  HeapBuf& operator=(HeapBuf&& other) noexcept
  {
    if (this != &other)
    {
      Resize(0);
      Swap(other);
    }
    return *this;
  }

  // Null while the buffer is empty.
  void* Get() const { return mSize > 0 ? mData : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAllocated; }
  int GetGranularity() const { return mGranularity; }

  // Returns the data pointer for the new size, or null when the memory could not be had
  // (then the old size and allocation stay). Resizing to 0 frees everything.
  void* Resize(int newSize);

  void Swap(HeapBuf& other) noexcept;

private:
  void* mData = nullptr;
  int mSize = 0;
  int mAllocated = 0;
  int mGranularity = 4096;
};

// A HeapBuf seen as an array of trivially copyable T.
template <class T> class TypedBuf
{
public:
  explicit TypedBuf(int granularity = 4096) : mBuf(granularity) {}

  T* Get() const { return static_cast<T*>(mBuf.Get()); }
  int GetSize() const { return mBuf.GetSize() / static_cast<int>(sizeof(T)); }
  // Returns null (and keeps the old contents and size) when the memory could not be had or the
  // byte count would not fit an int.
  T* Resize(int count)
  {
    if (count < 0 || static_cast<long long>(count) * sizeof(T) > 0x7FFFFFFFLL) return nullptr;
    return static_cast<T*>(mBuf.Resize(count * static_cast<int>(sizeof(T))));
  }
  void Swap(TypedBuf& other) noexcept { mBuf.Swap(other.mBuf); }

private:
  HeapBuf mBuf;
};
