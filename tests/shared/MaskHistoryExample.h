// The worked example of the Clean page's mask history, for the tests of the
// composing function (native) and of the page that stores it (Windows).
#pragma once

namespace mask_history_example {

struct Step {
  const char* before;  // the stored value when the page opens
  const char* masks;   // the list the user applies, as stored (lower case)
  bool exclude;
  const char* after;   // the stored value afterwards
};

constexpr Step kSteps[] = {
    {"*.tmp|incl|*.obj;*.pch|excl", "*.doc", true, "*.doc|excl|*.tmp|incl|*.obj;*.pch|excl"},
    {"*.doc|excl|*.tmp|incl|*.obj;*.pch|excl", "*.tmp", true, "*.tmp|excl|*.doc|excl|*.obj;*.pch|excl"},
};

}  // namespace mask_history_example
