// The module's string table read from its source, for native tests of code
// that takes its texts from the table.
#pragma once
#include <map>
#include <string>

inline const std::map<unsigned, std::string>& TableStrings() {
  static const std::map<unsigned, std::string> table = {
#define STR(name, id, text) {id, text},
#include "resources/strings.inc"
#undef STR
  };
  return table;
}

// A string by id; "" for a missing one, as the module's loader answers.
inline std::string TableString(unsigned id) {
  auto it = TableStrings().find(id);
  return it == TableStrings().end() ? std::string() : it->second;
}
