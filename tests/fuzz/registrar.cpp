// Fuzzes the registration-script reader. The first byte chooses between the
// raw bytes as script text and a script put together from registrar words
// chosen by the bytes, so that deep, almost valid scripts are reached too,
// and whether the Shift-JIS lead bytes are active, where a quote or a
// backslash may be the second byte of a character.
// The text is handed over in a buffer of exactly its size: a read past it
// is caught by the address sanitizer. A script that is accepted must give a
// tree that a written-out copy reproduces exactly.
#include "registration/Registrar.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "tests/shared/LeadBytes.h"

namespace {

const std::vector<ScriptVariable>& Variables() {
  static const std::vector<ScriptVariable> variables = {
      {"SHELLEXT_CLSID", "{5B1E7C2A-9D34-4F6E-A812-3C7D0E4B9F61}"},
      {"COMMAND_CLSID", "{549D3B83-64E9-4B7E-9F70-D764B10A48A4}"},
      {"Module", "C:\\it's {odd} 100%\\V.dll"},
      {"Module_Raw", "C:\\it's {odd} 100%\\V.dll"},
      {"APPID", ""},
  };
  return variables;
}

// Writes a script along the registrar's grammar, with the bytes choosing
// each step. With `mutate`, now and then a step writes a wrong word or
// nests too deep, so that refusals deep inside a script are reached;
// without, every script follows the format.
class Generator {
 public:
  Generator(const uint8_t* data, size_t size, bool mutate) : data_(data), size_(size), mutate_(mutate) {}

  std::string Script() {
    while (pos_ < size_) {
      static const char* const kRoots[] = {"HKCR", "HKCU", "hklm", "HKEY_USERS", "HKXX"};
      out_ += kRoots[Take() % (mutate_ ? 5 : 4)];
      out_ += " {\n";
      Body(1);
      out_ += "}\n";
    }
    return out_;
  }

 private:
  uint8_t Take() { return pos_ < size_ ? data_[pos_++] : 0; }

  template <size_t n>
  const char* Pick(const char* const (&words)[n]) {
    return words[Take() % n];
  }

  void Body(int depth) {
    for (int count = Take() % 4; count > 0; --count) {
      const uint8_t step = Take();
      if (mutate_ && step % 16 == 0) {
        static const char* const kWrong[] = {"{",      "}",       "=",    "s",    "val", "NoRemove", "'",    "'x",
                                             "%nope%", "%MODULE", "\x81", "A\\B", "''",  "= d '1'",  "= s x"};
        out_ += Pick(kWrong);
        out_ += " ";
        continue;
      }
      if (step % 5 == 0 && (depth > 1 || mutate_)) {
        out_ += "val ";
        Name();
        out_ += " = s ";
        Text();
        out_ += "\n";
        continue;
      }
      static const char* const kFlags[] = {"", "NoRemove ", "ForceRemove ", "noremove "};
      out_ += kFlags[(step >> 4) % 4];
      Name();
      if (step & 0x40) {
        out_ += " = S ";
        Text();
      }
      if ((step & 0x80) && depth < kMaxScriptDepth + (mutate_ ? 2 : 0)) {
        out_ += " {\n";
        Body(depth + 1);
        out_ += "}";
      }
      out_ += "\n";
    }
  }

  void Name() {
    static const char* const kNames[] = {"Key",   "'a b'",          "%SHELLEXT_CLSID%", "'it''s'", "x%%y",
                                         "'val'", "InprocServer32", "'%APPID%x'",       "'{'"};
    out_ += Pick(kNames);
  }

  void Text() {
    static const char* const kTexts[] = {"'x'", "'%MODULE%'",     "'it''s'",           "'%%'",
                                         "''",  "'%module_raw%'", "'%SHELLEXT_CLSID%'"};
    out_ += Pick(kTexts);
  }

  const uint8_t* data_;
  size_t size_;
  bool mutate_;
  size_t pos_ = 0;
  std::string out_;
};

// Doubles quotes and percent signs that stand as characters of their own;
// a second byte with their code is copied as it is, as the reader takes it.
std::string Quote(const std::string& text) {
  std::string out = "'";
  for (size_t i = 0; i < text.size();) {
    const size_t next = NextCharIndex(text, i);
    if (next == i + 1 && (text[i] == '\'' || text[i] == '%')) out.push_back(text[i]);
    out.append(text, i, next - i);
    i = next;
  }
  return out + "'";
}

void WriteEntries(const std::vector<ScriptEntry>& entries, std::string& out) {
  for (const ScriptEntry& entry : entries) {
    if (entry.isValue) {
      out += "val " + Quote(entry.name) + " = s " + Quote(entry.data) + "\n";
      continue;
    }
    if (entry.flag == KeyFlag::NoRemove) out += "NoRemove ";
    if (entry.flag == KeyFlag::ForceRemove) out += "ForceRemove ";
    out += Quote(entry.name);
    if (entry.hasData) out += " = s " + Quote(entry.data);
    if (!entry.children.empty()) {
      out += " {\n";
      WriteEntries(entry.children, out);
      out += "}";
    }
    out += "\n";
  }
}

std::string Write(const std::vector<ScriptBlock>& blocks) {
  static const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU"};
  std::string out;
  for (const ScriptBlock& block : blocks) {
    out += kRoots[static_cast<int>(block.root)];
    out += " {\n";
    WriteEntries(block.entries, out);
    out += "}\n";
  }
  return out;
}

bool SameEntries(const std::vector<ScriptEntry>& a, const std::vector<ScriptEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].isValue != b[i].isValue || a[i].name != b[i].name || a[i].flag != b[i].flag ||
        a[i].hasData != b[i].hasData || a[i].data != b[i].data || !SameEntries(a[i].children, b[i].children))
      return false;
  }
  return true;
}

// Entries at `depth` may exist only down to the deepest level the reader
// allows; below it a key's list of children is empty, which is sound.
bool KeysAreSound(const std::vector<ScriptEntry>& entries, int depth) {
  if (!entries.empty() && depth > kMaxScriptDepth) return false;
  for (const ScriptEntry& entry : entries) {
    if (entry.isValue) {
      // A value belongs to a key: a root block holds keys only.
      if (depth == 1 || !entry.children.empty()) return false;
      continue;
    }
    if (entry.name.empty()) return false;
    for (size_t i = 0; i < entry.name.size(); i = NextCharIndex(entry.name, i))
      if (entry.name[i] == '\\') return false;
    if (!KeysAreSound(entry.children, depth + 1)) return false;
  }
  return true;
}

Result ParseExactCopy(const std::string& text, std::vector<ScriptBlock>& blocks,
                      const std::vector<ScriptVariable>& variables) {
  std::unique_ptr<char[]> copy(new char[text.size() ? text.size() : 1]);
  text.copy(copy.get(), text.size());
  return ParseRegistrationScript(copy.get(), text.size(), variables, blocks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text = (data[0] & 1) ? Generator(data + 1, size - 1, (data[0] & 2) != 0).Script()
                                         : std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  const LeadBytes dbcs((data[0] & 4) != 0 ? ShiftJisLead : nullptr);
  std::vector<ScriptBlock> blocks;
  const Result result = ParseExactCopy(text, blocks, Variables());
  if (result != kResultOk) {
    if (result != kResultScriptError || !blocks.empty() || (data[0] & 3) == 1) std::abort();
    return 0;
  }
  for (const ScriptBlock& block : blocks)
    if (!KeysAreSound(block.entries, 1)) std::abort();
  std::vector<ScriptBlock> again;
  if (ParseExactCopy(Write(blocks), again, {}) != kResultOk || again.size() != blocks.size()) std::abort();
  for (size_t i = 0; i < blocks.size(); ++i)
    if (again[i].root != blocks[i].root || !SameEntries(again[i].entries, blocks[i].entries)) std::abort();
  return 0;
}
