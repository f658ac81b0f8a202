// What the build machine's installer tools share: a whole file read into
// memory.
#pragma once
#include <fstream>
#include <iterator>
#include <string>

// False when the file cannot be opened or read.
template <class Container>
bool ReadWholeFile(const std::string& path, Container& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}
