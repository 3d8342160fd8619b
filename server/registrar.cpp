#include "server/registrar.h"

#include <cwctype>
#include <vector>

#include "server/wide.h"
#include "support/exception.h"

namespace Server {

namespace {

struct Token {
  std::wstring text;
  bool quoted = false;
  bool Is(const wchar_t* word) const { return !quoted && _wcsicmp(text.c_str(), word) == 0; }
};

[[noreturn]] void Malformed(const std::wstring& context) {
  throw TAVQ::Exception(u"Malformed registration script near '" + FromWide(context.c_str()) + u"'");
}

std::wstring Substitute(const std::wstring& script, const std::map<std::wstring, std::wstring>& replacements) {
  std::wstring out;
  for (std::size_t pos = 0; pos < script.size();) {
    if (script[pos] == L'%') {
      const std::size_t end = script.find(L'%', pos + 1);
      if (end == std::wstring::npos) Malformed(script.substr(pos, 20));
      const std::wstring name = script.substr(pos + 1, end - pos - 1);
      if (name.empty()) {
        out += L'%';  // %% is a literal percent sign
      } else {
        auto it = replacements.find(name);
        if (it == replacements.end()) Malformed(name);
        out += it->second;
      }
      pos = end + 1;
    } else {
      out += script[pos++];
    }
  }
  return out;
}

std::vector<Token> Tokenize(const std::wstring& text) {
  std::vector<Token> tokens;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const wchar_t c = text[pos];
    if (std::iswspace(c)) {
      ++pos;
    } else if (c == L'{' || c == L'}' || c == L'=') {
      tokens.push_back({std::wstring(1, c), false});
      ++pos;
    } else if (c == L'\'') {
      Token token{L"", true};
      for (++pos;; ++pos) {
        if (pos >= text.size()) Malformed(token.text);
        if (text[pos] == L'\'') {
          if (pos + 1 < text.size() && text[pos + 1] == L'\'') {
            token.text += L'\'';
            ++pos;
          } else {
            ++pos;
            break;
          }
        } else {
          token.text += text[pos];
        }
      }
      tokens.push_back(std::move(token));
    } else {
      Token token;
      while (pos < text.size() && !std::iswspace(text[pos]) && text[pos] != L'{' && text[pos] != L'}' &&
             text[pos] != L'=' && text[pos] != L'\'') {
        token.text += text[pos++];
      }
      tokens.push_back(std::move(token));
    }
  }
  return tokens;
}

void Check(const char* operation, LSTATUS status) {
  if (status != ERROR_SUCCESS) throw TAVQ::Win32Exception(operation, static_cast<std::int32_t>(status));
}

// Deletes a key and everything below it; a missing key is no failure.
void DeleteTree(HKEY parent, const std::wstring& name) {
  LSTATUS status = RegDeleteTreeW(parent, name.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return;
  Check("RegDeleteTree", status);
  status = RegDeleteKeyW(parent, name.c_str());
  if (status != ERROR_FILE_NOT_FOUND) Check("RegDeleteKey", status);
}

class OwnedKey {
 public:
  OwnedKey() = default;
  explicit OwnedKey(HKEY key) : key_(key) {}
  ~OwnedKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OwnedKey(const OwnedKey&) = delete;
  OwnedKey& operator=(const OwnedKey&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class Runner {
 public:
  Runner(std::vector<Token> tokens, const RegistrarOptions& options, bool registering)
      : tokens_(std::move(tokens)), options_(options), registering_(registering) {}

  void Run() {
    while (!AtEnd()) {
      const Token root = Next();
      auto it = options_.roots.find(root.text);
      if (root.quoted || it == options_.roots.end()) Malformed(root.text);
      Expect(L"{");
      Body(it->second, L"");
    }
  }

 private:
  bool AtEnd() const { return position_ >= tokens_.size(); }
  const Token& Peek() const {
    if (AtEnd()) Malformed(L"end of script");
    return tokens_[position_];
  }
  Token Next() {
    const Token& token = Peek();
    ++position_;
    return token;
  }
  void Expect(const wchar_t* symbol) {
    const Token token = Next();
    if (token.quoted || token.text != symbol) Malformed(token.text);
  }
  // "= s 'text'" after a name; returns the text.
  std::wstring StringValue() {
    Expect(L"=");
    if (!Next().Is(L"s")) Malformed(L"value type");
    return Next().text;
  }

  // Entries of a key up to its closing brace. key is null when the key is absent
  // during unregistration: the entries are then only parsed.
  void Body(HKEY key, const std::wstring& path) {
    for (;;) {
      const Token token = Next();
      if (!token.quoted && token.text == L"}") return;
      if (token.Is(L"val")) {
        const std::wstring name = Next().text;
        const std::wstring value = StringValue();
        if (key == nullptr) continue;
        if (registering_) {
          SetString(key, name, value);
        } else {
          const LSTATUS status = RegDeleteValueW(key, name.c_str());
          if (status != ERROR_FILE_NOT_FOUND) Check("RegDeleteValue", status);
        }
        continue;
      }
      bool noRemove = false;
      bool forceRemove = false;
      Token name = token;
      if (token.Is(L"NoRemove")) {
        noRemove = true;
        name = Next();
      } else if (token.Is(L"ForceRemove")) {
        forceRemove = true;
        name = Next();
      }
      Key(key, path.empty() ? name.text : path + L"\\" + name.text, name.text, noRemove, forceRemove);
    }
  }

  void Key(HKEY parent, const std::wstring& path, const std::wstring& name, bool noRemove, bool forceRemove) {
    const bool hasValue = !Peek().quoted && Peek().text == L"=";
    const std::wstring value = hasValue ? StringValue() : std::wstring();
    const bool hasBody = !AtEnd() && !Peek().quoted && Peek().text == L"{";
    if (hasBody) Next();

    OwnedKey key;
    if (parent != nullptr && registering_) {
      if (forceRemove) DeleteTree(parent, name);
      Check("RegCreateKeyEx", RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                               key.Out(), nullptr));
      if (hasValue) SetString(key.Get(), L"", value);
    } else if (parent != nullptr && noRemove) {
      const LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.Out());
      if (status != ERROR_FILE_NOT_FOUND) Check("RegOpenKeyEx", status);
    }
    if (hasBody) Body(key.Get(), path);
    if (parent != nullptr && !registering_ && !noRemove && !(options_.keep && options_.keep(path))) {
      DeleteTree(parent, name);
    }
  }

  static void SetString(HKEY key, const std::wstring& name, const std::wstring& value) {
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    Check("RegSetValueEx", RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(value.c_str()), bytes));
  }

  std::vector<Token> tokens_;
  std::size_t position_ = 0;
  const RegistrarOptions& options_;
  bool registering_;
};

}  // namespace

void RunRegistrationScript(const std::wstring& script, const RegistrarOptions& options, bool registering) {
  Runner(Tokenize(Substitute(script, options.replacements)), options, registering).Run();
}

}  // namespace Server
