#include "config/WindowBinding.h"

#include <vector>

#include "base/Module.h"

namespace {

// Takes every pending object of the thread, keeps the first that `wanted`
// accepts and puts the rest back in their order.
template <typename Wanted>
BindingTag* TakeFirst(Wanted wanted) {
  std::vector<BindingTag*> others;
  BindingTag* found = nullptr;
  while (void* pending = TakeCreateWindowObject()) {
    auto* object = static_cast<BindingTag*>(pending);
    if (!found && wanted(object))
      found = object;
    else
      others.push_back(object);
  }
  for (BindingTag* object : others) AddCreateWindowObject(object);
  return found;
}

}  // namespace

void AddBinding(BindingTag* object) { AddCreateWindowObject(object); }

BindingTag* TakeBinding(BindingKind kind) {
  return TakeFirst([kind](const BindingTag* object) { return object->kind == kind; });
}

void DropBinding(const BindingTag* object) {
  TakeFirst([object](const BindingTag* pending) { return pending == object; });
}
