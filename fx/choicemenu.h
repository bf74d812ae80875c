// A pop-up menu record: items with a text, an optional sub-menu and state flags, a numbering style
// for the item texts, and the index of the item the user chose. The window system shows it
// (IGraphics::RunPopupMenu); the numbering of the menu commands and the search for the chosen item
// are window-system independent and live here.
#pragma once

#include "fx/containers.h"

struct IChoiceMenu;

struct IChoiceMenuItem {
  enum Flags : int {
    kGreyed = 0x1,
    kDisabled = 0x2,
    kChecked = 0x4,
    kSeparator = 0x8,
  };

  IChoiceMenuItem(const char* text, IChoiceMenu* subMenu = nullptr, int flags = 0);
  // Deletes the item's sub-menu with it.
  ~IChoiceMenuItem();
  IChoiceMenuItem(const IChoiceMenuItem&) = delete;
  IChoiceMenuItem& operator=(const IChoiceMenuItem&) = delete;

  HeapString mText;
  IChoiceMenu* mSubMenu;  // owned; null for a plain item
  int mFlags;
};

struct IChoiceMenu {
  IChoiceMenu() = default;
  IChoiceMenu(const IChoiceMenu&) = delete;
  IChoiceMenu& operator=(const IChoiceMenu&) = delete;

  // Appends an item (the menu owns it from then on) and returns it; null text gives "". Null when
  // the list cannot grow (the item is deleted).
  IChoiceMenuItem* AddItem(const char* text, IChoiceMenu* subMenu = nullptr, int flags = 0);
  int ItemCount() const { return mItems.Count(); }
  IChoiceMenuItem* Item(int i) const {
    return i >= 0 && i < mItems.Count() ? mItems.At(i) : nullptr;
  }

  // 0: no numbering; 1, 2, 3: "%1d: %s", "%02d: %s", "%03d: %s" with the number counting from 1.
  int mPrefixStyle = 0;
  int mChosenIndex = -1;
  OwnedList<IChoiceMenuItem> mItems;  // deleted from the last to the first
};

// The text item i (from 0) shows: its own text, numbered in the menu's prefix style.
void ChoiceMenuLabel(const IChoiceMenu& menu, int i, HeapString* out);

// The menu commands are numbered from base: a menu's own items take base .. base + count - 1, then
// the sub-menus follow, depth first, in item order. Finds the menu that holds command id and the
// item's index in it; null when no item has that id.
IChoiceMenu* FindChosenMenuItem(int id, IChoiceMenu* menu, int base, int* index);
// The count of command ids a menu takes in that numbering: its items and those of every sub-menu
// below it (a separator's and an empty item's count too), whether or not they are shown.
int ChoiceMenuIdCount(const IChoiceMenu* menu);
