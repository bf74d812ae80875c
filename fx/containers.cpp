#include "fx/containers.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

GrowableBlock::~GrowableBlock() { std::free(mData); }

int64_t GrowableBlock::AllocationFor(int64_t newSize, int granularity) {
  if (newSize <= 0) return 0;
  int64_t a;
  if (granularity < 4096) {
    const int64_t slack = newSize / 2 > granularity ? newSize / 2 : granularity;
    a = newSize + slack;
  } else {
    int64_t slack = newSize / 2 > granularity ? newSize / 2 : granularity;
    slack -= slack % 4096;
    if (slack < 4096) slack = 4096;
    if (slack > 4194304) slack = 4194304;
    const int64_t padded = newSize + 96 + slack;
    a = padded - padded % 4096 - 96;
  }
  return a > INT32_MAX ? -1 : a;
}

void* GrowableBlock::ChangeSize(int newSize, bool allowShrink) {
  if (newSize < 0) newSize = 0;
  if (newSize == mSize) return Data();

  // Shrink threshold: only well below the allocation does a shrinking request give memory back.
  int64_t threshold = 0;
  if (allowShrink && newSize < mSize) {
    int64_t t = mAllocated / 2;
    const int64_t t2 = static_cast<int64_t>(mAllocated) - 4 * static_cast<int64_t>(mGranularity);
    if (t2 < t) t = t2;
    threshold = t < 1 ? 1 : t;
  }

  if (newSize > mAllocated || newSize < threshold) {
    const int64_t a = AllocationFor(newSize, mGranularity);
    if (a < 0) return Data();  // does not fit in 31 bits: an allocation failure, nothing changes
    if (a != mAllocated) {
      if (a == 0) {
        std::free(mData);
        mData = nullptr;
        mAllocated = 0;
        mSize = 0;
        return nullptr;
      }
      void* moved = std::realloc(mData, static_cast<size_t>(a));
      if (!moved) {
        moved = std::malloc(static_cast<size_t>(a));
        if (!moved) return Data();
        const int keep = newSize < mSize ? newSize : mSize;
        if (keep > 0) std::memcpy(moved, mData, static_cast<size_t>(keep));
        std::free(mData);
      }
      mData = moved;
      mAllocated = static_cast<int32_t>(a);
    }
  }
  mSize = newSize;
  return Data();
}

HeapString::HeapString(const char* text, int maxLen) : mBlock(128) {
  if (!text) return;
  int len;
  if (maxLen <= 0) {
    const size_t n = std::strlen(text);
    len = n > static_cast<size_t>(INT32_MAX - 1) ? INT32_MAX - 1 : static_cast<int>(n);
  } else {
    len = 0;
    while (len < maxLen && text[len]) ++len;
  }
  WriteAt(0, text, len);
}

const char* HeapString::Text() const {
  const char* p = static_cast<const char*>(mBlock.Data());
  return p ? p : "";
}

void HeapString::WriteAt(int pos, const char* text, int len) {
  if (len < 0 || pos < 0) return;
  if (len == 0 && pos != 0) return;
  if (pos > Length()) return;
  const int64_t want = static_cast<int64_t>(pos) + len + 1;
  if (want > INT32_MAX) return;

  // The source may lie inside this string's own block, which can move while growing.
  const char* old = static_cast<const char*>(mBlock.Data());
  const bool inside = text && old && text >= old && text < old + mBlock.Size();
  const ptrdiff_t offset = inside ? text - old : 0;

  char* p = static_cast<char*>(mBlock.ChangeSize(static_cast<int>(want), false));
  if (mBlock.Size() != want || !p) return;
  if (inside) text = p + offset;
  if (text && len > 0) std::memmove(p + pos, text, static_cast<size_t>(len));
  p[pos + len] = '\0';
}

void HeapString::Set(const char* text) {
  if (!text) {
    WriteAt(0, "", 0);
    return;
  }
  const size_t n = std::strlen(text);
  WriteAt(0, text, n > static_cast<size_t>(INT32_MAX - 1) ? INT32_MAX - 1 : static_cast<int>(n));
}

void HeapString::Format(int maxLen, const char* format, ...) {
  if (maxLen < 0 || maxLen >= INT32_MAX) return;
  char* p = static_cast<char*>(mBlock.ChangeSize(maxLen + 1, false));
  if (mBlock.Size() != maxLen + 1 || !p) return;
  va_list args;
  va_start(args, format);
  const int printed = std::vsnprintf(p, static_cast<size_t>(maxLen) + 1, format, args);
  va_end(args);
  if (printed < 0 || printed >= maxLen) {
    if (printed < 0) p[0] = '\0';
    p[maxLen] = '\0';
  }
  mBlock.ChangeSize(static_cast<int>(std::strlen(p)) + 1, false);
}

void* ItemList::At(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return Entries()[i];
}

bool ItemList::Add(void* p) { return Insert(Count(), p); }

bool ItemList::Insert(int i, void* p) {
  const int n = Count();
  if (i < 0) i = 0;
  if (i > n) i = n;
  const int64_t want = (static_cast<int64_t>(n) + 1) * static_cast<int64_t>(sizeof(void*));
  if (want > INT32_MAX) return false;
  mBlock.ChangeSize(static_cast<int>(want), false);
  if (mBlock.Size() != want) return false;
  void** e = Entries();
  if (n > i) std::memmove(e + i + 1, e + i, static_cast<size_t>(n - i) * sizeof(void*));
  e[i] = p;
  return true;
}

void ItemList::RemoveAt(int i) {
  const int n = Count();
  if (i < 0 || i >= n) return;
  void** e = Entries();
  if (n - i - 1 > 0) std::memmove(e + i, e + i + 1, static_cast<size_t>(n - i - 1) * sizeof(void*));
  Truncate(n - 1);
}
