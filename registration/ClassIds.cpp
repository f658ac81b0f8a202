#include "registration/ClassIds.h"

namespace {

// Upper-case hex digits of `value`, `digits` of them, most significant first.
// Written out by hand: a printf here would link the toolchain's own printf
// into the module.
void AppendHex(std::string& text, unsigned long long value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kHex[(value >> shift) & 0xF];
}

}  // namespace

std::string ClassIdText(const ClassId& id) {
  std::string text = "{";
  AppendHex(text, id.data1, 8);
  text += '-';
  AppendHex(text, id.data2, 4);
  text += '-';
  AppendHex(text, id.data3, 4);
  text += '-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) text += '-';
    AppendHex(text, id.data4[i], 2);
  }
  return text + "}";
}
