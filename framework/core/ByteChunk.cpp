#include "framework/core/ByteChunk.h"

#include <climits>
#include <cstring>

#include "common/StringBuf.h"

int ByteChunk::PutBytes(const void* data, int n)
{
  const int size = Size();
  if (n <= 0 || !data) return size;
  if (n > INT_MAX - size) return size;
  uint8_t* bytes = mBytes.Resize(size + n);
  if (!bytes) return size;
  std::memcpy(bytes + size, data, static_cast<size_t>(n));
  return size + n;
}

int ByteChunk::PutStr(const char* text)
{
  if (!text) text = "";
  const size_t len = std::strlen(text);
  if (len > static_cast<size_t>(INT_MAX - 4)) return Size();
  const int n = static_cast<int>(len);
  const int before = Size();
  if (Put(n) == before) return before;
  if (n > 0 && PutBytes(text, n) == before + 4)
  {
    // Keep the chunk consistent: a length without its bytes would misread everything after it.
    Resize(before);
    return before;
  }
  return Size();
}

int ByteChunk::PutBool(bool flag)
{
  const uint8_t b = flag ? 1 : 0;
  return PutBytes(&b, 1);
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
  if (!other) return Size();
  return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::GetBytes(void* data, int n, int startPos) const
{
  if (startPos < 0 || n < 0) return -1;
  // Positions are compared in 64 bits so that a position near the int limit cannot wrap.
  const long long end = static_cast<long long>(startPos) + n;
  if (end > Size()) return -1;
  if (n > 0) std::memcpy(data, GetBytes() + startPos, static_cast<size_t>(n));
  return static_cast<int>(end);
}

int ByteChunk::GetStr(StringBuf& text, int startPos) const
{
  int len = 0;
  const int pos = Get(&len, startPos);
  if (pos < 0) return -1;
  // A negative length or one whose end cannot be a position is damage, not a short string.
  if (len < 0) return -1;
  const long long end = static_cast<long long>(pos) + len;
  if (end > INT_MAX) return -1;
  if (len >= 1 && end <= Size())
  {
    const char* bytes = reinterpret_cast<const char*>(GetBytes() + pos);
    const void* zero = std::memchr(bytes, 0, static_cast<size_t>(len));
    const int textLen = zero ? static_cast<int>(static_cast<const char*>(zero) - bytes) : len;
    text.Set(bytes, textLen);
  }
  return static_cast<int>(end);
}

int ByteChunk::GetBool(bool* flag, int startPos) const
{
  uint8_t b = 0;
  const int pos = GetBytes(&b, 1, startPos);
  if (pos >= 0) *flag = b != 0;
  return pos;
}

int ByteChunk::Resize(int n)
{
  if (n < 0) return Size();
  if (n == 0)
  {
    Clear();
    return 0;
  }
  mBytes.Resize(n);
  return Size();
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return Size() == other.Size() && (Size() == 0 || std::memcmp(GetBytes(), other.GetBytes(),
                                                               static_cast<size_t>(Size())) == 0);
}

void InitChunkWithFrameworkVer(ByteChunk& chunk)
{
  chunk.Clear();
  chunk.Put(kFrameworkVerMagic);
  chunk.Put(kFrameworkChunkVersion);
}

int GetFrameworkVerFromChunk(const ByteChunk& chunk, int& pos)
{
  int magic = 0;
  int ver = 0;
  const int pos1 = chunk.Get(&magic, pos);
  if (pos1 < 0 || magic != kFrameworkVerMagic) return 0;
  pos = chunk.Get(&ver, pos1);
  return ver;
}
