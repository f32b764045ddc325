#include "common/HeapBuf.h"

#include <utility>

namespace
{
constexpr long long kMaxIncrement = 4194304;
constexpr long long kSlack = 96; // keeps the allocator's own header inside a page multiple
constexpr long long kShrinkKeep = 16384;
} // namespace

void* HeapBuf::Resize(int newSize)
{
  if (newSize < 0) return nullptr;
  if (newSize == 0)
  {
    std::free(mData);
    mData = nullptr;
    mSize = mAllocated = 0;
    return nullptr;
  }

  const long long gran = mGranularity;
  if (newSize > mAllocated)
  {
    long long inc = (newSize / 2) / gran * gran;
    if (inc < gran) inc = gran;
    if (inc > kMaxIncrement) inc = kMaxIncrement;
    long long alloc = (static_cast<long long>(newSize) + inc + kSlack) / gran * gran - kSlack;
    if (alloc < newSize) alloc = newSize;
    if (alloc > 0x7FFFFFFFLL) alloc = newSize;
    void* grown = std::realloc(mData, static_cast<size_t>(alloc));
    if (!grown) return nullptr;
    mData = grown;
    mAllocated = static_cast<int>(alloc);
  }
  else if (newSize < mAllocated - kShrinkKeep && newSize < mAllocated / 2)
  {
    // Give memory back only when most of it is unused; a failed shrink keeps the old block.
    if (void* shrunk = std::realloc(mData, static_cast<size_t>(newSize)))
    {
      mData = shrunk;
      mAllocated = newSize;
    }
  }
  mSize = newSize;
  return mData;
}

void HeapBuf::Swap(HeapBuf& other) noexcept
{
  std::swap(mData, other.mData);
  std::swap(mSize, other.mSize);
  std::swap(mAllocated, other.mAllocated);
  std::swap(mGranularity, other.mGranularity);
}
