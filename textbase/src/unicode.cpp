#include <textbase/unicode.h>

namespace velut::textbase {

namespace {

// The length of the shortest-form sequence of a scalar value at [p, end)
// (not empty), with its value in cp; 0 when there is none.
int ReadSequence(const std::uint8_t* p, const std::uint8_t* end, char32_t& cp) {
  const std::uint8_t b0 = *p;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  int extra;
  char32_t value;
  char32_t min;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, value = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, value = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, value = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (end - p <= extra) return 0;
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (p[i] & 0x3F);
  }
  if (value < min || !IsScalarValue(value)) return 0;
  cp = value;
  return extra + 1;
}

}  // namespace

bool DecodeUtf8(const std::uint8_t*& p, const std::uint8_t* end, char32_t& cp, Utf8Errors errors) {
  const int length = ReadSequence(p, end, cp);
  if (length > 0) {
    p += length;
    return true;
  }
  if (errors == Utf8Errors::kStop) return false;
  cp = kReplacementCharacter;
  ++p;
  return true;
}

namespace {
// windows-1252 bytes 0x80..0x9F; the undefined ones keep their value.
constexpr char16_t kWindowsLatin1High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char32_t DecodeWindowsLatin1(std::uint8_t byte) {
  return byte >= 0x80 && byte <= 0x9F ? kWindowsLatin1High[byte - 0x80] : byte;
}

int EncodeWindowsLatin1(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kWindowsLatin1High[i] == cp) return 0x80 + i;
  }
  return -1;
}

char* WriteUtf8(char* out, char32_t cp, Utf8Errors errors) {
  if (!IsScalarValue(cp)) {
    if (errors == Utf8Errors::kStop) return nullptr;
    cp = kReplacementCharacter;
  }
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

std::wstring WideFromUtf8(std::string_view bytes, Utf8Rule rule) {
  std::wstring text;
  text.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    char32_t cp;
    if (!DecodeUtf8(p, end, cp)) {
      cp = rule == Utf8Rule::kEscapeBytes ? ByteUnit(*p) : kReplacementCharacter;
      ++p;
    }
    text += static_cast<wchar_t>(cp);
  }
  return text;
}

std::string Utf8FromWide(std::wstring_view text, Utf8Rule rule) {
  std::string bytes;
  bytes.reserve(text.size());
  for (const wchar_t c : text) {
    const auto u = static_cast<char32_t>(static_cast<std::uint32_t>(c));
    if (rule == Utf8Rule::kEscapeBytes && IsByteUnit(u)) {
      bytes += ByteOfUnit(u);
    } else {
      char buf[4];
      bytes.append(buf, WriteUtf8(buf, u, Utf8Errors::kReplace));
    }
  }
  return bytes;
}

}  // namespace velut::textbase
