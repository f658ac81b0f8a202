// Sheet and page objects wait in the module's window-creation list until
// their window takes them. Each starts with a tag, so that a window takes
// only an object of its own kind even when the sheet and a page are both
// pending on the thread.
#pragma once
#include <cstdint>

enum class BindingKind : uint32_t { Sheet = 0x54454853, Page = 0x45474150 };

struct BindingTag {
  explicit BindingTag(BindingKind k) : kind(k) {}
  BindingKind kind;
};

// Puts the object into the list for the calling thread.
void AddBinding(BindingTag* object);
// Takes the oldest pending object of that kind of the calling thread, or
// null; objects of the other kind stay pending in their order.
BindingTag* TakeBinding(BindingKind kind);
// Takes the object out again if no window took it.
void DropBinding(const BindingTag* object);
