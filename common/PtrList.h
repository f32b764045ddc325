#pragma once
// Ordered list of pointers. The list does not own its elements: its owner deletes them (or asks
// Delete/Empty to do it).

#include <cstddef>
#include <vector>

template <class T> class PtrList
{
public:
  int GetSize() const { return static_cast<int>(mList.size()); }
  T* Get(int idx) const
  {
    return idx >= 0 && idx < GetSize() ? mList[static_cast<size_t>(idx)] : nullptr;
  }
  T* GetLast() const { return mList.empty() ? nullptr : mList.back(); }
  T** GetList() { return mList.empty() ? nullptr : mList.data(); }
  T* Add(T* item)
  {
    mList.push_back(item);
    return item;
  }
  // Inserts at idx, or at the end when idx is past it.
  T* Insert(int idx, T* item)
  {
    if (idx < 0 || idx > GetSize()) idx = GetSize();
    mList.insert(mList.begin() + idx, item);
    return item;
  }
  int Find(const T* item) const
  {
    for (int i = 0; i < GetSize(); ++i)
      if (mList[static_cast<size_t>(i)] == item) return i;
    return -1;
  }
  void Delete(int idx, bool deleteElement = false)
  {
    if (idx < 0 || idx >= GetSize()) return;
    if (deleteElement) delete mList[static_cast<size_t>(idx)];
    mList.erase(mList.begin() + idx);
  }
  void Empty(bool deleteElements = false)
  {
    if (deleteElements)
      for (T* p : mList)
        delete p;
    mList.clear();
  }
  void Reserve(int n) { mList.reserve(static_cast<size_t>(n)); }

private:
  std::vector<T*> mList;
};
