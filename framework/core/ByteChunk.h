#pragma once
// Growable byte buffer in which state, preset banks and file headers are written and read.
// Values are in the processor's native (little-endian) order: ints 32-bit, doubles 64-bit.
// Readers take a start position and return the position after what they read, or -1; a read
// at -1 fails again, so a caller can chain reads and test once at the end.

#include <cstdint>

#include "common/HeapBuf.h"

class StringBuf;

class ByteChunk
{
public:
  ByteChunk() = default;

  template <class T> int Put(const T* value)
  {
    return PutBytes(value, static_cast<int>(sizeof(T)));
  }
  template <class T> int Put(const T& value)
  {
    return PutBytes(&value, static_cast<int>(sizeof(T)));
  }
  // Returns the new size; on failure the chunk keeps its old size and that is returned.
  int PutBytes(const void* data, int n);
  int PutStr(const char* text);
  int PutBool(bool flag);
  int PutChunk(const ByteChunk* other);

  template <class T> int Get(T* value, int startPos) const
  {
    return GetBytes(value, static_cast<int>(sizeof(T)), startPos);
  }
  int GetBytes(void* data, int n, int startPos) const;
  int GetStr(StringBuf& text, int startPos) const;
  int GetBool(bool* flag, int startPos) const;

  int Size() const { return mBytes.GetSize(); }
  // New bytes are not cleared. Returns the new size (the old one when memory ran out).
  int Resize(int n);
  void Clear() { mBytes.Resize(0); }
  uint8_t* GetBytes() const { return mBytes.Get(); }

  bool IsEqual(const ByteChunk& other) const;

private:
  TypedBuf<uint8_t> mBytes{4096};
};

// The chunk version written in front of state in preset and bank files.
constexpr int kFrameworkVerMagic = 0x70666674; // bytes "tffp"
constexpr int kFrameworkChunkVersion = 0x00010000;

void InitChunkWithFrameworkVer(ByteChunk& chunk);
// Returns the version and advances pos past the header when it is there; otherwise 0 with pos
// unchanged.
int GetFrameworkVerFromChunk(const ByteChunk& chunk, int& pos);
