// What the build machine's installer tools share: a class id as registry
// text, and a whole file read into memory.
#pragma once
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "server/Guids.h"

inline std::string ClassIdText(const GUID& id) {
  char text[40];
  std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
                id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
  return text;
}

// False when the file cannot be opened or read.
template <class Container>
bool ReadWholeFile(const std::string& path, Container& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}
