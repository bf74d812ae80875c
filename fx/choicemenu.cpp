#include "fx/choicemenu.h"

IChoiceMenuItem::IChoiceMenuItem(const char* text, IChoiceMenu* subMenu, int flags)
    : mSubMenu(subMenu), mFlags(flags) {
  mText.Set(text);
}

IChoiceMenuItem::~IChoiceMenuItem() { delete mSubMenu; }

IChoiceMenuItem* IChoiceMenu::AddItem(const char* text, IChoiceMenu* subMenu, int flags) {
  IChoiceMenuItem* item = new IChoiceMenuItem(text, subMenu, flags);
  if (!mItems.Add(item)) {
    delete item;
    return nullptr;
  }
  return item;
}

void ChoiceMenuLabel(const IChoiceMenu& menu, int i, HeapString* out) {
  if (!out) return;
  const IChoiceMenuItem* item = menu.Item(i);
  const char* text = item ? item->mText.Text() : "";
  // The widest form: a ten-digit number, ": " and a whole text.
  const int limit = item ? item->mText.Length() + 16 : 16;
  switch (menu.mPrefixStyle) {
    case 1:
      out->Format(limit, "%1d: %s", i + 1, text);
      break;
    case 2:
      out->Format(limit, "%02d: %s", i + 1, text);
      break;
    case 3:
      out->Format(limit, "%03d: %s", i + 1, text);
      break;
    default:
      out->Set(text);
      break;
  }
}

namespace {
// Depth-first search; base advances past every menu searched, the way the commands were numbered.
IChoiceMenu* Search(int id, IChoiceMenu* menu, int* base, int* index) {
  const int count = menu->ItemCount();
  if (id >= *base && id - *base < count) {
    *index = id - *base;
    return menu;
  }
  *base += count;
  for (int i = 0; i < count; ++i) {
    IChoiceMenuItem* item = menu->Item(i);
    if (!item || !item->mSubMenu) continue;
    IChoiceMenu* hit = Search(id, item->mSubMenu, base, index);
    if (hit) return hit;
  }
  return nullptr;
}
}  // namespace

int ChoiceMenuIdCount(const IChoiceMenu* menu) {
  if (!menu) return 0;
  int count = menu->ItemCount();
  for (int i = 0; i < menu->ItemCount(); ++i) {
    const IChoiceMenuItem* item = menu->Item(i);
    if (item) count += ChoiceMenuIdCount(item->mSubMenu);
  }
  return count;
}

IChoiceMenu* FindChosenMenuItem(int id, IChoiceMenu* menu, int base, int* index) {
  if (!menu) return nullptr;
  int local = 0;
  IChoiceMenu* hit = Search(id, menu, &base, &local);
  if (hit && index) *index = local;
  return hit;
}
