// Growable heap block, heap string and pointer list: the variable-length storage of the framework.
// None of them throws: an allocation that cannot be made keeps the old block and size, and callers
// compare the size they asked for with the size they got.
#pragma once

#include <cstddef>
#include <cstdint>

class GrowableBlock {
 public:
  explicit GrowableBlock(int granularity) : mGranularity(granularity > 0 ? granularity : 1) {}
  ~GrowableBlock();
  GrowableBlock(const GrowableBlock&) = delete;
  GrowableBlock& operator=(const GrowableBlock&) = delete;

  // Sets the size in bytes, growing (or, with allowShrink, shrinking) the allocation by the growth rule.
  // Returns the data, or null when the new size is 0 or the block could not be provided (then the old
  // block and size stay).
  void* ChangeSize(int newSize, bool allowShrink);

  void* Data() const { return mSize > 0 ? mData : nullptr; }
  int Size() const { return mSize; }
  int Allocated() const { return mAllocated; }
  int Granularity() const { return mGranularity; }

  // The allocation the growth rule chooses for newSize bytes, or -1 when it does not fit in 31 bits.
  static int64_t AllocationFor(int64_t newSize, int granularity);

 private:
  void* mData = nullptr;
  int32_t mAllocated = 0;
  int32_t mSize = 0;
  int32_t mGranularity;
};

// A GrowableBlock of values of type T; sizes are counted in elements and checked for overflow.
template <typename T>
class TypedBlock {
 public:
  explicit TypedBlock(int granularity = 4096) : mBlock(granularity) {}
  // Sets the element count; false (nothing changed) when it cannot be provided.
  bool Resize(int64_t count, bool allowShrink) {
    if (count < 0) count = 0;
    if (count > INT32_MAX / static_cast<int64_t>(sizeof(T))) return false;
    const int bytes = static_cast<int>(count * static_cast<int64_t>(sizeof(T)));
    mBlock.ChangeSize(bytes, allowShrink);
    return mBlock.Size() == bytes;
  }
  T* Get() const { return static_cast<T*>(mBlock.Data()); }
  int Count() const { return mBlock.Size() / static_cast<int>(sizeof(T)); }
  const GrowableBlock& Block() const { return mBlock; }

 private:
  GrowableBlock mBlock;
};

// NUL-terminated text on a GrowableBlock of granularity 128. An unwritten string reads as "".
class HeapString {
 public:
  HeapString() : mBlock(128) {}
  // Null text: no block. maxLen <= 0: the whole text; otherwise at most maxLen characters.
  explicit HeapString(const char* text, int maxLen = 0);

  // Keeps the first pos characters, writes len characters of text and a NUL after them.
  // A null text with len > 0 reserves the characters without writing them.
  void WriteAt(int pos, const char* text, int len);
  // Formats at most maxLen characters (printf style).
  void Format(int maxLen, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 3, 4)))
#endif
      ;
  // Replaces the whole text (null clears it to "").
  void Set(const char* text);

  const char* Text() const;
  int Length() const { return mBlock.Size() > 0 ? mBlock.Size() - 1 : 0; }
  int Allocated() const { return mBlock.Allocated(); }
  int BlockSize() const { return mBlock.Size(); }

 private:
  GrowableBlock mBlock;
};

// A list of pointers on a GrowableBlock of granularity 4096. The list does not own its entries;
// owners that do call DeleteAt / DeleteAll with the entry type.
class ItemList {
 public:
  ItemList() : mBlock(4096) {}

  int Count() const { return mBlock.Size() / static_cast<int>(sizeof(void*)); }
  void* At(int i) const;
  // Appends p; false (nothing added) when the list cannot grow.
  bool Add(void* p);
  // Inserts p before entry i (i limited to 0..count); false when the list cannot grow.
  bool Insert(int i, void* p);
  // Removes entry i without destroying it; nothing for an index out of range.
  void RemoveAt(int i);
  // Drops every entry without destroying them (block kept).
  void Clear() { mBlock.ChangeSize(0, false); }
  void** Entries() const { return static_cast<void**>(mBlock.Data()); }

 private:
  void Truncate(int count) { mBlock.ChangeSize(count * static_cast<int>(sizeof(void*)), false); }
  template <typename T> friend class OwnedList;
  GrowableBlock mBlock;
};

// Typed view of an ItemList that owns its entries: deleting destroys the objects,
// DeleteAll from the last entry to the first.
template <typename T>
class OwnedList {
 public:
  OwnedList() = default;
  ~OwnedList() { DeleteAll(); }
  OwnedList(const OwnedList&) = delete;
  OwnedList& operator=(const OwnedList&) = delete;

  int Count() const { return mList.Count(); }
  T* At(int i) const { return static_cast<T*>(mList.At(i)); }
  bool Add(T* p) { return mList.Add(p); }
  bool Insert(int i, T* p) { return mList.Insert(i, p); }
  void DeleteAt(int i) {
    T* p = At(i);
    if (i < 0 || i >= Count()) return;
    delete p;
    mList.RemoveAt(i);
  }
  void DeleteAll() {
    for (int n = Count(); n > 0; --n) {
      delete At(n - 1);
      mList.Truncate(n - 1);
    }
  }
  const ItemList& List() const { return mList; }

 private:
  ItemList mList;
};
