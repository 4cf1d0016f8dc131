// CommandLineToArgvW over the layer's splitting of command lines.
#include "command_line.h"

#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>

#include <WinAPI/Error.h>
#include <WinAPI/Message.h>
#include <WinAPI/Process.h>

#include <textbase/unicode.h>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

namespace velwin::detail {

std::vector<std::wstring> SplitCommandLine(const wchar_t* p) {
  std::vector<std::wstring> words;
  std::wstring first;
  if (*p == L'"') {
    for (++p; *p != L'\0' && *p != L'"'; ++p) first += *p;
    if (*p == L'"') ++p;
  } else {
    for (; *p != L'\0' && !IsBlank(*p); ++p) first += *p;
  }
  words.push_back(first);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == L'\0') break;
    std::wstring word;
    bool quoted = false;
    while (*p != L'\0' && (quoted || !IsBlank(*p))) {
      if (*p == L'\\') {
        std::size_t n = 0;
        while (p[n] == L'\\') ++n;
        if (p[n] == L'"') {
          word.append(n / 2, L'\\');
          p += n;
          if (n % 2 == 1) {
            word += L'"';
            ++p;
          }
        } else {
          word.append(n, L'\\');
          p += n;
        }
      } else if (*p == L'"') {
        if (quoted && p[1] == L'"') {
          word += L'"';
          quoted = false;
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        word += *p++;
      }
    }
    words.push_back(word);
  }
  return words;
}

}  // namespace velwin::detail

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* count) {
  if (count == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<std::wstring> words;
  try {
    if (commandLine == nullptr || *commandLine == L'\0') {
      std::string self(4096, '\0');
      const ssize_t n = readlink("/proc/self/exe", &self[0], self.size());
      self.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
      std::wstring wide = velut::textbase::WideFromUtf8(self, velut::textbase::Utf8Rule::kReplace);
      for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
      words.push_back(wide);
    } else {
      words = velwin::detail::SplitCommandLine(commandLine);
    }
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::size_t chars = 0;
  for (const std::wstring& w : words) chars += w.size() + 1;
  const std::size_t pointers = (words.size() + 1) * sizeof(LPWSTR);
  auto* block =
      static_cast<unsigned char*>(LocalAlloc(LMEM_FIXED, pointers + chars * sizeof(wchar_t)));
  if (block == nullptr) return nullptr;
  auto** argv = reinterpret_cast<LPWSTR*>(block);
  auto* text = reinterpret_cast<wchar_t*>(block + pointers);
  for (std::size_t i = 0; i < words.size(); ++i) {
    argv[i] = text;
    std::memcpy(text, words[i].c_str(), (words[i].size() + 1) * sizeof(wchar_t));
    text += words[i].size() + 1;
  }
  argv[words.size()] = nullptr;
  *count = static_cast<int>(words.size());
  return argv;
}
