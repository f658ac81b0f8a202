#include "registration/Registrar.h"

#include "base/Text.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameTextIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return i == a.size() && b[i] == '\0';
}

// Looks for a "\" per character: a trail byte with its code is no separator.
bool HoldsBackslash(const std::string& name) {
  for (size_t i = 0; i < name.size(); i = NextCharIndex(name, i))
    if (name[i] == '\\') return true;
  return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

struct Token {
  std::string text;
  bool quoted = false;

  // Structural words are recognised only when written bare.
  bool Is(const char* word) const { return !quoted && SameTextIgnoringCase(text, word); }
  bool IsStructural() const { return Is("{") || Is("}") || Is("="); }
};

// Splits the text into blank-separated words and 'quoted' texts ('' inside
// quotes stands for one quote), replacing %variables% on the way. Every read
// is bounded by `end_`; a NUL byte ends the text as well.
class Tokenizer {
 public:
  Tokenizer(const char* text, size_t length, const std::vector<ScriptVariable>& variables)
      : text_(text), end_(length), variables_(variables) {}

  // Returns false at the end of the text; a malformed token sets `failed_`.
  bool Next(Token& token) {
    if (pushedBack_) {
      pushedBack_ = false;
      token = std::move(pending_);
      return true;
    }
    while (pos_ < end_ && IsBlank(text_[pos_])) ++pos_;
    if (AtEnd()) return false;
    token.text.clear();
    token.quoted = text_[pos_] == '\'';
    return token.quoted ? ReadQuoted(token.text) : ReadBare(token.text);
  }

  void PushBack(Token&& token) {
    pending_ = std::move(token);
    pushedBack_ = true;
  }

  bool failed() const { return failed_; }

 private:
  bool AtEnd() const { return pos_ >= end_ || text_[pos_] == '\0'; }

  bool Fail() {
    failed_ = true;
    return false;
  }

  // Copies one character (two bytes for a lead byte with its trail byte).
  void CopyChar(std::string& out) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text_[pos_])) && pos_ + 1 < end_ && text_[pos_ + 1] != '\0';
    out.push_back(text_[pos_++]);
    if (pair) out.push_back(text_[pos_++]);
  }

  // At a '%': "%%" is one percent sign, "%name%" the variable's value.
  bool ReadVariable(std::string& out, char stop) {
    ++pos_;
    std::string name;
    while (!AtEnd() && text_[pos_] != '%') {
      if (text_[pos_] == stop || (stop == ' ' && IsBlank(text_[pos_]))) return Fail();
      CopyChar(name);
    }
    if (AtEnd()) return Fail();
    ++pos_;
    if (name.empty()) {
      out.push_back('%');
      return true;
    }
    for (const ScriptVariable& variable : variables_) {
      if (name.size() == variable.name.size() && SameTextIgnoringCase(name, variable.name.c_str())) {
        out += variable.value;
        return true;
      }
    }
    return Fail();
  }

  bool ReadQuoted(std::string& out) {
    ++pos_;
    for (;;) {
      if (AtEnd()) return Fail();
      const char c = text_[pos_];
      if (c == '\'') {
        ++pos_;
        if (AtEnd() || text_[pos_] != '\'') return true;
        out.push_back('\'');
        ++pos_;
      } else if (c == '%') {
        if (!ReadVariable(out, '\'')) return false;
      } else {
        CopyChar(out);
      }
    }
  }

  bool ReadBare(std::string& out) {
    while (!AtEnd() && !IsBlank(text_[pos_])) {
      if (text_[pos_] == '%') {
        if (!ReadVariable(out, ' ')) return false;
      } else {
        CopyChar(out);
      }
    }
    return true;
  }

  const char* text_;
  size_t end_;
  size_t pos_ = 0;
  const std::vector<ScriptVariable>& variables_;
  Token pending_;
  bool pushedBack_ = false;
  bool failed_ = false;
};

bool RootFromName(const Token& token, ScriptRoot& root) {
  static const struct {
    const char* name;
    ScriptRoot root;
  } kRoots[] = {
      {"HKCR", ScriptRoot::ClassesRoot},  {"HKEY_CLASSES_ROOT", ScriptRoot::ClassesRoot},
      {"HKCU", ScriptRoot::CurrentUser},  {"HKEY_CURRENT_USER", ScriptRoot::CurrentUser},
      {"HKLM", ScriptRoot::LocalMachine}, {"HKEY_LOCAL_MACHINE", ScriptRoot::LocalMachine},
      {"HKU", ScriptRoot::Users},         {"HKEY_USERS", ScriptRoot::Users},
  };
  for (const auto& entry : kRoots) {
    if (token.Is(entry.name)) {
      root = entry.root;
      return true;
    }
  }
  return false;
}

class Parser {
 public:
  Parser(const char* text, size_t length, const std::vector<ScriptVariable>& variables)
      : tokens_(text, length, variables) {}

  bool ParseScript(std::vector<ScriptBlock>& blocks) {
    Token token;
    while (tokens_.Next(token)) {
      ScriptBlock block;
      if (!RootFromName(token, block.root) || !Expect("{") || !ParseBody(block.entries, 1, true)) return false;
      blocks.push_back(std::move(block));
    }
    return !tokens_.failed();
  }

 private:
  bool Expect(const char* word) {
    Token token;
    return tokens_.Next(token) && token.Is(word);
  }

  bool NextName(Token& token) { return tokens_.Next(token) && !token.IsStructural(); }

  // "= s 'text'": only string values are part of the format.
  bool ParseStringData(std::string& data) {
    Token type;
    Token text;
    if (!Expect("=") || !tokens_.Next(type) || !type.Is("s") || !tokens_.Next(text) || !text.quoted) return false;
    data = std::move(text.text);
    return true;
  }

  // The lines of one block up to its closing brace.
  bool ParseBody(std::vector<ScriptEntry>& entries, int depth, bool rootLevel) {
    for (;;) {
      Token token;
      if (!tokens_.Next(token)) return false;
      if (token.Is("}")) return true;
      ScriptEntry entry;
      if (token.Is("val")) {
        if (rootLevel || !NextName(token) || !ParseStringData(entry.data)) return false;
        entry.isValue = true;
        entry.hasData = true;
        entry.name = std::move(token.text);
        entries.push_back(std::move(entry));
        continue;
      }
      if (token.Is("NoRemove") || token.Is("ForceRemove")) {
        entry.flag = token.Is("NoRemove") ? KeyFlag::NoRemove : KeyFlag::ForceRemove;
        if (!tokens_.Next(token)) return false;
      }
      // An empty name would address the parent key itself, a "\" a key
      // the script's nesting does not show.
      if (token.IsStructural() || token.text.empty() || HoldsBackslash(token.text)) return false;
      entry.name = std::move(token.text);
      if (!ParseKeyTail(entry, depth)) return false;
      entries.push_back(std::move(entry));
    }
  }

  // An optional default value, then an optional nested block.
  bool ParseKeyTail(ScriptEntry& entry, int depth) {
    Token token;
    if (!tokens_.Next(token)) return !tokens_.failed();
    if (token.Is("=")) {
      tokens_.PushBack(std::move(token));
      if (!ParseStringData(entry.data)) return false;
      entry.hasData = true;
      if (!tokens_.Next(token)) return !tokens_.failed();
    }
    if (!token.Is("{")) {
      tokens_.PushBack(std::move(token));
      return true;
    }
    return depth < kMaxScriptDepth && ParseBody(entry.children, depth + 1, false);
  }

  Tokenizer tokens_;
};

}  // namespace

Result ParseRegistrationScript(const char* text, size_t length, const std::vector<ScriptVariable>& variables,
                               std::vector<ScriptBlock>& blocks) {
  blocks.clear();
  Parser parser(text, length, variables);
  if (!parser.ParseScript(blocks)) {
    blocks.clear();
    return TRACE_FAILURE(kResultScriptError);
  }
  return kResultOk;
}
