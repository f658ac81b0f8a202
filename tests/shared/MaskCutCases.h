// The cut of a long mask list in the Clean question, for the tests of the
// text builder (native) and of the dialog that shows it (Windows).
#pragma once
#include <string>
#include <vector>

namespace mask_cut_cases {

struct Case {
  std::string masks;  // the first entry of CleanMasks
  std::string shown;  // what the question shows of it
};

inline std::vector<Case> Cases() {
  const std::string first(30, 'a');
  return {
      // ";" at 30 and 50: cut after the last ";" before index 45.
      {first + ";" + std::string(19, 'b') + ";c", first + ";..."},
      // The first ";" lies beyond 45: nothing before it is shown.
      {std::string(60, 'a') + ";b", ";..."},
  };
}

}  // namespace mask_cut_cases
