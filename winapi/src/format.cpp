// A printf engine with the conventions of Microsoft's wide printf family.
// glibc's wide printf reads "%s" as a narrow text, so it cannot be used
// directly; integers and texts are formatted here, floating point is
// handed to snprintf one conversion at a time.
#include <algorithm>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <system_error>

#include <WinAPI/Strings.h>

#include <textbase/conversion.h>
#include <textbase/unicode.h>

namespace {

// Output with a hard end: put() refuses once the buffer is full and
// remembers that the text was cut.
class Sink {
 public:
  Sink(wchar_t* buffer, std::size_t count) : buf_(buffer), cap_(count - 1) {}

  bool put(wchar_t c) {
    if (pos_ >= cap_) {
      cut_ = true;
      return false;
    }
    buf_[pos_++] = c;
    return true;
  }
  bool fill(wchar_t c, std::size_t n) {
    for (; n > 0; --n)
      if (!put(c)) return false;
    return true;
  }
  bool full() const { return cut_; }
  std::size_t room() const { return cap_ - pos_; }
  int finish() {
    buf_[pos_] = L'\0';
    return cut_ ? -1 : static_cast<int>(pos_);
  }

 private:
  wchar_t* buf_;
  std::size_t cap_;
  std::size_t pos_ = 0;
  bool cut_ = false;
};

using velut::textbase::PrintfConversion;
using velut::textbase::Size;

// Texts and characters: Microsoft's printf pads them with zeros, too, when
// the '0' flag asks for it ("%04s" -> "0foo").
void PadAndWrite(Sink& out, const PrintfConversion& s, std::size_t len, const wchar_t* body) {
  const std::size_t width = static_cast<std::size_t>(s.width);
  const std::size_t pad = width > len ? width - len : 0;
  if (!s.left && !out.fill(s.zero ? L'0' : L' ', pad)) return;
  for (std::size_t i = 0; i < len; ++i)
    if (!out.put(body[i])) return;
  if (s.left) out.fill(L' ', pad);
}

void WriteWideText(Sink& out, const PrintfConversion& s, const wchar_t* text) {
  if (text == nullptr) text = L"(null)";
  const std::size_t len = s.has_precision ? wcsnlen(text, s.precision) : std::wcslen(text);
  PadAndWrite(out, s, len, text);
}

void WriteNarrowText(Sink& out, const PrintfConversion& s, const char* text) {
  if (text == nullptr) text = "(null)";
  // Decode first so that width and precision count characters.
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const auto* end = p + std::strlen(text);
  const std::size_t limit = s.has_precision ? s.precision : static_cast<std::size_t>(-1);
  // Never decode more than can be shown: the output is bounded by the room
  // left plus the width, so a huge text costs no more than the buffer.
  const std::size_t keep = std::min<std::size_t>(limit, out.room() + s.width + 1);
  std::wstring decoded;
  while (p < end && decoded.size() < keep) {
    char32_t cp;
    velut::textbase::DecodeUtf8(p, end, cp, velut::textbase::Utf8Errors::kReplace);
    decoded.push_back(static_cast<wchar_t>(cp));
  }
  PadAndWrite(out, s, decoded.size(), decoded.c_str());
}

void WriteChar(Sink& out, const PrintfConversion& s, wchar_t c) { PadAndWrite(out, s, 1, &c); }

// Integers: sign or prefix, precision zeros, digits, padding.
void WriteInteger(Sink& out, const PrintfConversion& s, std::uint64_t magnitude, bool negative) {
  const bool is_signed = s.letter == L'd' || s.letter == L'i';
  unsigned base = 10;
  const char* digits = "0123456789abcdef";
  if (s.letter == L'o') base = 8;
  if (s.letter == L'x' || s.letter == L'p') base = 16;
  if (s.letter == L'X') base = 16, digits = "0123456789ABCDEF";
  if (s.letter == L'p') digits = "0123456789ABCDEF";

  wchar_t body[24];
  int n = 0;
  for (std::uint64_t v = magnitude; v != 0; v /= base)
    body[n++] = static_cast<wchar_t>(digits[v % base]);
  // Digits now stand in reverse order in body[0..n).

  wchar_t prefix[3];
  int plen = 0;
  if (is_signed) {
    if (negative)
      prefix[plen++] = L'-';
    else if (s.plus)
      prefix[plen++] = L'+';
    else if (s.space)
      prefix[plen++] = L' ';
  } else if (s.alt && s.letter == L'p') {
    prefix[plen++] = L'0';  // "%#p": 0X and the upper-case digits
    prefix[plen++] = L'X';
  } else if (s.alt && magnitude != 0 && base == 16) {
    prefix[plen++] = L'0';
    prefix[plen++] = s.letter == L'X' ? L'X' : L'x';
  }

  std::size_t zeros = 0;
  if (s.has_precision) {
    if (s.precision > static_cast<std::size_t>(n)) zeros = s.precision - n;
  } else if (n == 0) {
    zeros = 1;  // plain 0 prints one digit
  }
  if (s.letter == L'o' && s.alt && zeros == 0 && (n == 0 || body[n - 1] != L'0'))
    zeros = 1;  // '#' makes octal start with 0

  std::size_t len = plen + zeros + n;
  const std::size_t width = static_cast<std::size_t>(s.width);
  std::size_t pad = width > len ? width - len : 0;
  if (s.zero && !s.left && !s.has_precision) zeros += pad, pad = 0;

  if (!s.left && !out.fill(L' ', pad)) return;
  for (int i = 0; i < plen; ++i)
    if (!out.put(prefix[i])) return;
  if (!out.fill(L'0', zeros)) return;
  for (int i = n - 1; i >= 0; --i)
    if (!out.put(body[i])) return;
  if (s.left) out.fill(L' ', pad);
}

// %f of a finite double, the common case, without snprintf: to_chars
// rounds the exact binary value to nearest with ties to even, as glibc's
// printf does in the default rounding mode. Writes the text (sign first)
// into `buf` and returns its length, or -1 when another case or too long
// a text leaves the work to snprintf.
int FixedDouble(const PrintfConversion& s, long double value, bool is_long, int precision,
                char* buf, std::size_t size) {
  if (is_long || (s.letter != L'f' && s.letter != L'F') || s.alt || !std::isfinite(value) ||
      precision > 64 || std::fegetround() != FE_TONEAREST)
    return -1;
  const auto d = static_cast<double>(value);
  char* p = buf;
  if (!std::signbit(d) && (s.plus || s.space)) *p++ = s.plus ? '+' : ' ';
  const auto r = std::to_chars(p, buf + size - 1, d, std::chars_format::fixed, precision);
  if (r.ec != std::errc()) return -1;
  *r.ptr = '\0';
  return static_cast<int>(r.ptr - buf);
}

// `value` one unit further from zero when it lies exactly halfway between
// two numbers of `precision` hexadecimal digits: Microsoft's %a rounds
// such a half away from zero, where glibc's rounds it to even. The digits
// within the precision stay the same.
double HalfAwayFromZero(double value, int precision) {
  if (precision < 0 || precision >= 13 || !std::isfinite(value)) return value;
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int dropped = 4 * (13 - precision);  // low bits of the 52-bit fraction
  const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
  if ((bits & (2 * half - 1)) != half) return value;
  ++bits;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The snprintf format of a floating-point conversion: its flags, the
// precision as an argument, the size and the letter; no width.
void FloatFormat(const PrintfConversion& s, bool is_long, char (&fmt)[16]) {
  int f = 0;
  fmt[f++] = '%';
  if (s.plus) fmt[f++] = '+';
  if (s.space) fmt[f++] = ' ';
  if (s.alt) fmt[f++] = '#';
  fmt[f++] = '.';
  fmt[f++] = '*';
  if (is_long) fmt[f++] = 'L';
  fmt[f++] = static_cast<char>(s.letter);
  fmt[f] = '\0';
}

// Writes the `len` characters of a formatted floating-point `text` padded
// to the width. Zero padding goes after the sign and any 0x prefix, and
// only for finite values.
void PadFloat(Sink& out, const PrintfConversion& s, const char* text, std::size_t len,
              bool finite) {
  std::size_t head = 0;
  if (text[0] == '-' || text[0] == '+' || text[0] == ' ') head = 1;
  if (text[head] == '0' && (text[head + 1] == 'x' || text[head + 1] == 'X')) head += 2;
  const std::size_t width = static_cast<std::size_t>(s.width);
  std::size_t pad = width > len ? width - len : 0;
  std::size_t zeros = 0;
  if (s.zero && !s.left && finite) zeros = pad, pad = 0;

  if (!s.left && !out.fill(L' ', pad)) return;
  for (std::size_t i = 0; i < head; ++i)
    if (!out.put(static_cast<wchar_t>(text[i]))) return;
  if (!out.fill(L'0', zeros)) return;
  for (std::size_t i = head; i < len; ++i)
    if (!out.put(static_cast<wchar_t>(text[i]))) return;
  if (s.left) out.fill(L' ', pad);
}

// Floating point through snprintf, without the width, which is applied
// here so that a huge width costs nothing past the end of the buffer.
void WriteFloat(Sink& out, const PrintfConversion& s, long double value, bool is_long) {
  char fmt[16];
  FloatFormat(s, is_long, fmt);

  // A precision far beyond the room left would only produce digits that
  // cannot be shown; it is cut to a value that still overflows the buffer.
  // Without a precision, %a writes all 13 hex digits of a double's
  // fraction, as Microsoft's printf does.
  const bool hex = s.letter == L'a' || s.letter == L'A';
  int precision = hex ? (is_long ? -1 : 13) : 6;
  if (s.has_precision) {
    const std::size_t cap = std::min<std::size_t>(out.room() + 64, INT_MAX);
    precision = static_cast<int>(std::min<std::size_t>(s.precision, cap));
  }
  if (hex && !is_long) value = HalfAwayFromZero(static_cast<double>(value), precision);

  char small[512];
  std::string big;
  char* text = small;
  int len = FixedDouble(s, value, is_long, precision, small, sizeof small);
  if (len < 0) {
    len = is_long ? std::snprintf(small, sizeof small, fmt, precision, value)
                  : std::snprintf(small, sizeof small, fmt, precision, static_cast<double>(value));
  }
  if (len < 0) return;
  // A NaN with its sign bit set, the default NaN of x86 arithmetic, is
  // Microsoft's "indefinite": -nan(ind).
  if (std::isnan(value) && std::signbit(value)) {
    const bool upper = s.letter == L'E' || s.letter == L'F' || s.letter == L'G' || s.letter == L'A';
    len = std::snprintf(small, sizeof small, "%s", upper ? "-NAN(IND)" : "-nan(ind)");
  } else if (static_cast<std::size_t>(len) >= sizeof small) {
    big.resize(static_cast<std::size_t>(len) + 1);
    if (is_long)
      std::snprintf(&big[0], big.size(), fmt, precision, value);
    else
      std::snprintf(&big[0], big.size(), fmt, precision, static_cast<double>(value));
    text = &big[0];
  }

  PadFloat(out, s, text, static_cast<std::size_t>(len), std::isfinite(value));
}

// Reads the conversion after a '%' and takes the counts its '*'s ask for.
// Returns false when the sequence is not a conversion we know; p then
// still points after '%'.
bool ParseConversion(const wchar_t*& p, PrintfConversion& c, va_list& args) {
  const wchar_t* q = p;
  velut::textbase::ReadPrintfConversion(q, c, true);
  // A '*' takes its argument only once the conversion is known to be
  // valid: an unknown one is copied literally and takes no argument.
  if (c.letter == 0 || !std::wcschr(L"diouxXcCsSeEfFgGaApn%", c.letter)) return false;
  if (c.star_width) {
    const int w = va_arg(args, int);
    if (w < 0) c.left = true;
    const unsigned magnitude = w < 0 ? 0u - static_cast<unsigned>(w) : static_cast<unsigned>(w);
    if (!c.width_after_star) c.width = magnitude;
  }
  if (c.star_precision) {
    const int pr = va_arg(args, int);
    c.has_precision = pr >= 0;  // a negative precision is none
    c.precision = pr < 0 ? 0 : static_cast<unsigned>(pr);
  }
  p = q + 1;
  return true;
}

std::int64_t SignedArg(Size size, va_list& args) {
  switch (size) {
    case Size::kChar:
      return static_cast<signed char>(va_arg(args, int));
    case Size::kShort:
      return static_cast<short>(va_arg(args, int));
    case Size::kLong:
      return va_arg(args, long);
    case Size::kLongLong:
      return va_arg(args, long long);
    // int64_t, intmax_t and size_t are aliases whose underlying types
    // differ between platforms, and va_arg must name the one passed.
    // NOLINTNEXTLINE(bugprone-branch-clone)
    case Size::kInt64:
      return va_arg(args, std::int64_t);
    case Size::kIntMax:
      return va_arg(args, std::intmax_t);
    case Size::kSizeT:
    case Size::kPtrDiff:
      return va_arg(args, std::ptrdiff_t);
    default:
      return va_arg(args, int);
  }
}

std::uint64_t UnsignedArg(Size size, va_list& args) {
  switch (size) {
    case Size::kChar:
      return static_cast<unsigned char>(va_arg(args, unsigned));
    case Size::kShort:
      return static_cast<unsigned short>(va_arg(args, unsigned));
    case Size::kLong:
      return va_arg(args, unsigned long);
    case Size::kLongLong:
      return va_arg(args, unsigned long long);
    // int64_t, intmax_t and size_t are aliases whose underlying types
    // differ between platforms, and va_arg must name the one passed.
    // NOLINTNEXTLINE(bugprone-branch-clone)
    case Size::kInt64:
      return va_arg(args, std::uint64_t);
    case Size::kIntMax:
      return va_arg(args, std::uintmax_t);
    case Size::kSizeT:
    case Size::kPtrDiff:
      return va_arg(args, std::size_t);
    default:
      return va_arg(args, unsigned);
  }
}

void Convert(Sink& out, PrintfConversion& s, va_list& args) {
  switch (s.letter) {
    case L'%':
      out.put(L'%');
      return;
    case L'd':
    case L'i': {
      const std::int64_t v = SignedArg(s.size, args);
      const std::uint64_t mag =
          v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
      WriteInteger(out, s, mag, v < 0);
      return;
    }
    case L'u':
    case L'o':
    case L'x':
    case L'X':
      WriteInteger(out, s, UnsignedArg(s.size, args), false);
      return;
    case L'p': {
      const auto v = reinterpret_cast<std::uintptr_t>(va_arg(args, void*));
      s.has_precision = true;
      s.precision = 2 * sizeof(void*);
      WriteInteger(out, s, v, false);
      return;
    }
    case L'c':
    case L'C': {
      const bool narrow = velut::textbase::IsNarrowText(s.size, s.letter);
      const wint_t v = va_arg(args, wint_t);
      WriteChar(
          out, s,
          narrow ? static_cast<wchar_t>(static_cast<unsigned char>(v)) : static_cast<wchar_t>(v));
      return;
    }
    case L's':
    case L'S': {
      if (velut::textbase::IsNarrowText(s.size, s.letter))
        WriteNarrowText(out, s, va_arg(args, const char*));
      else
        WriteWideText(out, s, va_arg(args, const wchar_t*));
      return;
    }
    case L'n':
      (void)va_arg(args, void*);
      return;
    default:  // floating point
      if (s.size == Size::kLongDouble)
        WriteFloat(out, s, va_arg(args, long double), true);
      else
        WriteFloat(out, s, va_arg(args, double), false);
      return;
  }
}

}  // namespace

int ms_vswprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, va_list args) {
  if (buffer == nullptr || count == 0) return -1;
  Sink out(buffer, count);
  if (format == nullptr) {
    out.finish();
    return -1;
  }
  va_list ap;
  va_copy(ap, args);
  for (const wchar_t* p = format; *p != 0 && !out.full();) {
    if (*p != L'%') {
      out.put(*p++);
      continue;
    }
    const wchar_t* start = p++;
    PrintfConversion conversion;
    if (!ParseConversion(p, conversion, ap)) {
      // Unknown conversion: copy the '%' and go on with what follows it.
      out.put(*start);
      continue;
    }
    Convert(out, conversion, ap);
  }
  va_end(ap);
  return out.finish();
}

int ms_swprintf(wchar_t* buffer, std::size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = ms_vswprintf(buffer, count, format, args);
  va_end(args);
  return n;
}
