// A wide scanf engine with the conventions of Microsoft's secure scanf
// family: "%s" reads into a wide array and every text conversion takes the
// array's size as the next argument. glibc's wide scanf reads "%s" into a
// narrow array and knows no sizes, so it cannot be used directly.
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>

#include <WinAPI/Strings.h>

#include <textbase/conversion.h>
#include <textbase/hex.h>
#include <textbase/unicode.h>

namespace {

using velut::textbase::ReadCount;
using velut::textbase::ReadSize;
using velut::textbase::Size;

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

int DigitValue(wchar_t c) {
  return velut::textbase::DigitValue(static_cast<char32_t>(static_cast<std::uint32_t>(c)));
}

// The input with a field-width budget: get() refuses past the end of the
// text or of the field.
class Input {
 public:
  explicit Input(const wchar_t* p) : p_(p) {}
  bool at_end() const { return *p_ == L'\0'; }
  wchar_t peek() const { return *p_; }
  void skip_space() {
    while (IsSpace(*p_)) ++p_, ++read_;
  }
  void limit(long long width) { budget_ = width; }
  bool more() const { return *p_ != L'\0' && budget_ != 0; }
  wchar_t get() {
    --budget_;
    ++read_;
    return *p_++;
  }
  long long read() const { return read_; }

 private:
  const wchar_t* p_;
  long long read_ = 0;
  long long budget_ = -1;  // -1: no width limit
};

// Reads an integer in `base` (0: by prefix). Returns false when no digit
// was read. The magnitude saturates at UINT64_MAX. With `plain` (%p), a
// sign and the digits are read, no "0x".
bool ReadInteger(Input& in, int base, bool& negative, std::uint64_t& magnitude,
                 bool plain = false) {
  negative = false;
  magnitude = 0;
  if (in.more() && (in.peek() == L'+' || in.peek() == L'-')) negative = in.get() == L'-';
  bool digits = false;
  if (!plain && (base == 0 || base == 16) && in.more() && in.peek() == L'0') {
    in.get();
    digits = true;  // a lone "0" is a number
    if (in.more() && (in.peek() == L'x' || in.peek() == L'X')) {
      in.get();
      base = 16;
      digits = false;
    } else if (base == 0) {
      base = 8;
    }
  }
  if (base == 0) base = 10;
  while (in.more() && DigitValue(in.peek()) < base) {
    const unsigned d = static_cast<unsigned>(DigitValue(in.get()));
    digits = true;
    magnitude = magnitude > (UINT64_MAX - d) / static_cast<unsigned>(base)
                    ? UINT64_MAX
                    : magnitude * static_cast<unsigned>(base) + d;
  }
  return digits;
}

// A reading as Microsoft's scanf stores it: made a 64-bit number as
// strtoll (signed conversions) or strtoull would, saturating there, then
// cut to the low bits of T ("%hd" of 70000 is 4464).
template <typename T>
T Convert(bool is_signed, bool negative, std::uint64_t m) {
  std::uint64_t v = negative ? 0 - m : m;
  if (is_signed && !negative && m > static_cast<std::uint64_t>(INT64_MAX))
    v = static_cast<std::uint64_t>(INT64_MAX);
  else if (is_signed && negative && m > static_cast<std::uint64_t>(INT64_MAX) + 1)
    v = static_cast<std::uint64_t>(INT64_MAX) + 1;
  else if (!is_signed && m == UINT64_MAX)
    v = UINT64_MAX;
  return static_cast<T>(static_cast<std::make_unsigned_t<T>>(v));
}

// Stores `value` through the next argument, a T*. False, with nothing
// stored, when that pointer is null.
template <typename T>
bool Put(va_list& ap, T value) {
  T* dest = va_arg(ap, T*);
  if (dest == nullptr) return false;
  *dest = value;
  return true;
}

// Stores an integer reading through the next argument, a pointer to the
// signed type S or, for an unsigned conversion, to the unsigned type U.
template <typename S, typename U>
bool PutInteger(va_list& ap, bool is_signed, bool negative, std::uint64_t m) {
  return is_signed ? Put<S>(ap, Convert<S>(true, negative, m))
                   : Put<U>(ap, Convert<U>(false, negative, m));
}

bool StoreInteger(va_list& ap, Size size, bool is_signed, bool negative, std::uint64_t m) {
  switch (size) {
    case Size::kChar:
      return PutInteger<signed char, unsigned char>(ap, is_signed, negative, m);
    case Size::kShort:
      return PutInteger<short, unsigned short>(ap, is_signed, negative, m);
    case Size::kLong:
      return PutInteger<long, unsigned long>(ap, is_signed, negative, m);
    case Size::kLongLong:
      return PutInteger<long long, unsigned long long>(ap, is_signed, negative, m);
    // The aliases take their own widths, which differ between platforms
    // ("%zd" stores 4 bytes on a 32-bit machine), as format.cpp reads them.
    // NOLINTNEXTLINE(bugprone-branch-clone)
    case Size::kInt64:
      return PutInteger<std::int64_t, std::uint64_t>(ap, is_signed, negative, m);
    case Size::kIntMax:
      return PutInteger<std::intmax_t, std::uintmax_t>(ap, is_signed, negative, m);
    case Size::kPtrDiff:
    case Size::kSizeT:
      return PutInteger<std::ptrdiff_t, std::size_t>(ap, is_signed, negative, m);
    default:
      return PutInteger<int, unsigned>(ap, is_signed, negative, m);
  }
}

// Reads a floating-point number: the longest prefix of the field that
// strtod accepts, always with '.' as the decimal point. False when the
// field holds no number.
bool ReadFloat(Input& in, double& value) {
  std::string token;  // ASCII only
  auto take = [&](const char* set) {
    if (in.more() && in.peek() > 0 && in.peek() < 0x80 &&
        std::strchr(set, static_cast<char>(in.peek())) != nullptr) {
      token.push_back(static_cast<char>(in.get()));
      return true;
    }
    return false;
  };
  // Consumes the letters of `word` (either case) while they match; returns
  // how many matched.
  auto take_word = [&](const char* word) {
    std::size_t n = 0;
    while (word[n] != '\0') {
      const char both[3] = {word[n], static_cast<char>(word[n] - 32), '\0'};
      if (!take(both)) break;
      ++n;
    }
    return n;
  };
  take("+-");
  bool digits = false;
  bool hex = false;
  if (take("0")) {
    digits = true;
    if (take("xX")) {
      hex = true;
      digits = false;
    }
  }
  const char* set = hex ? "0123456789abcdefABCDEF" : "0123456789";
  while (take(set)) digits = true;
  if (take(".")) {
    while (take(set)) digits = true;
  }
  if (!digits) {
    if (hex || token.size() > 1) return false;
    if (in.more() && (in.peek() == L'n' || in.peek() == L'N')) {
      if (take_word("nan") != 3) return false;
    } else {
      const std::size_t n = take_word("infinity");
      if (n != 3 && n != 8) return false;
    }
  } else if (take(hex ? "pP" : "eE")) {
    take("+-");
    bool exponent = false;
    while (take("0123456789")) exponent = true;
    if (!exponent) return false;
  }
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  char* end = nullptr;
  value = strtod_l(token.c_str(), &end, c_locale);
  return end != token.c_str();
}

// A scanset "[...]": which characters it accepts.
class ScanSet {
 public:
  // `p` points after '['; returns false when the set is not closed.
  bool Parse(const wchar_t*& p) {
    if (*p == L'^') {
      negate_ = true;
      ++p;
    }
    const wchar_t* start = p;
    if (*p == L']') ++p;  // a leading ']' is a member
    while (*p != L'\0' && *p != L']') ++p;
    if (*p != L']') return false;
    body_.assign(start, p);
    ++p;
    return true;
  }
  bool Accepts(wchar_t c) const {
    bool in = false;
    for (std::size_t i = 0; i < body_.size() && !in; ++i) {
      if (i + 2 < body_.size() && body_[i + 1] == L'-') {
        wchar_t lo = body_[i], hi = body_[i + 2];
        if (lo > hi) std::swap(lo, hi);
        in = c >= lo && c <= hi;
        i += 2;
      } else {
        in = c == body_[i];
      }
    }
    return in != negate_;
  }

 private:
  std::wstring body_;
  bool negate_ = false;
};

// Stores `text` into a caller array of `size` elements, wide or narrow
// (UTF-8), terminated unless `terminate` is false (%c). False when the
// array is null or the text does not fit; the array then holds "" when it
// has room for that.
bool StoreText(void* dest, unsigned size, const std::wstring& text, bool narrow, bool terminate) {
  if (dest == nullptr) return false;
  if (!narrow) {
    auto* out = static_cast<wchar_t*>(dest);
    const std::size_t need = text.size() + (terminate ? 1 : 0);
    if (need > size) {
      if (size > 0) out[0] = L'\0';
      return false;
    }
    std::wmemcpy(out, text.data(), text.size());
    if (terminate) out[text.size()] = L'\0';
    return true;
  }
  const std::string bytes =
      velut::textbase::Utf8FromWide(text, velut::textbase::Utf8Rule::kReplace);
  auto* out = static_cast<char*>(dest);
  const std::size_t need = bytes.size() + (terminate ? 1 : 0);
  if (need > size) {
    if (size > 0) out[0] = '\0';
    return false;
  }
  std::memcpy(out, bytes.data(), bytes.size());
  if (terminate) out[bytes.size()] = '\0';
  return true;
}

// One conversion of the format, as written after its '%'.
struct Directive {
  bool suppress = false;  // '*': the field is read, not stored
  long long width = -1;   // -1: none given
  Size size = Size::kNone;
  wchar_t conv = 0;
};

// What one step of the scan leads to.
enum class Step {
  kNext,          // on to the next piece of the format
  kAssigned,      // a field was read and stored
  kSuppressed,    // a field was read and, as '*' asks, not stored
  kStop,          // a mismatch, a field that fails or an invalid conversion
  kInputFailure,  // the input ended before a field or a literal
};

// Reads width digits at `f`, when there are any, as the field's width:
// the last width written counts, and a width of 0 is none.
void ReadWidth(const wchar_t*& f, Directive& d) {
  if (*f < L'0' || *f > L'9') return;
  d.width = static_cast<long long>(std::min<unsigned long long>(ReadCount(f), INT_MAX));
  if (d.width == 0) d.width = -1;
}

// Reads the directive after a '%', leaving `f` after its letter. False for
// a format that ends first.
bool ReadDirective(const wchar_t*& f, Directive& d) {
  d.suppress = *f == L'*';
  if (d.suppress) ++f;
  ReadWidth(f, d);
  d.size = ReadSize(f);
  // Microsoft's scanf also takes width digits after the size prefix
  // ("%h02d").
  ReadWidth(f, d);
  d.conv = *f;
  if (d.conv == L'\0') return false;
  ++f;
  return true;
}

// Blanks in the format skip any blanks of the input.
Step SkipBlanks(const wchar_t*& f, Input& in) {
  while (IsSpace(*f)) ++f;
  in.skip_space();
  return Step::kNext;
}

// Any other character of the format, and "%%" after blanks, must be the
// next character of the input.
Step MatchLiteral(const wchar_t*& f, Input& in) {
  const wchar_t want = *f;
  f += want == L'%' ? 2 : 1;
  if (want == L'%') in.skip_space();
  if (in.at_end()) return Step::kInputFailure;
  if (in.peek() != want) return Step::kStop;
  in.limit(-1);
  in.get();
  return Step::kNext;
}

bool IsIntegerConversion(wchar_t c) {
  return c == L'd' || c == L'i' || c == L'u' || c == L'o' || c == L'x' || c == L'X' || c == L'p' ||
         c == L'P';
}

bool IsFloatConversion(wchar_t c) {
  return c == L'e' || c == L'E' || c == L'f' || c == L'F' || c == L'g' || c == L'G' || c == L'a' ||
         c == L'A';
}

bool IsTextConversion(wchar_t c) {
  return c == L'c' || c == L'C' || c == L's' || c == L'S' || c == L'[';
}

// %d %i %u %o %x %X %p: an integer in the conversion's base, stored in the
// type its size names. True when the field was read and stored.
bool ScanInteger(Input& in, const Directive& d, va_list& ap) {
  const wchar_t conv = d.conv;
  const int base = conv == L'd' || conv == L'u' ? 10 : conv == L'i' ? 0 : conv == L'o' ? 8 : 16;
  bool negative = false;
  std::uint64_t magnitude = 0;
  const bool pointer = conv == L'p' || conv == L'P';
  if (!ReadInteger(in, base, negative, magnitude, pointer)) return false;
  if (d.suppress) return true;
  if (pointer) {  // a negative pointer is its two's complement
    const std::uint64_t bits = negative ? 0 - magnitude : magnitude;
    return Put<void*>(ap, reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits)));
  }
  return StoreInteger(ap, d.size, conv == L'd' || conv == L'i', negative, magnitude);
}

// %e %f %g %a, either case: a number stored as a float, or as a double
// ('l') or long double ('L'). True when the field was read and stored.
bool ScanFloat(Input& in, const Directive& d, va_list& ap) {
  double value = 0;
  if (!ReadFloat(in, value)) return false;
  if (d.suppress) return true;
  if (d.size == Size::kLong) return Put<double>(ap, value);
  if (d.size == Size::kLongDouble) return Put<long double>(ap, value);
  return Put<float>(ap, static_cast<float>(value));
}

// %c (the width's count of characters, one without a width), %s (up to a
// blank) and %[...] (the characters of the set), stored into an array
// whose size is the next argument. True when the field was read and
// fitted.
bool ScanText(const wchar_t*& f, Input& in, const Directive& d, va_list& ap) {
  const bool chars = d.conv == L'c' || d.conv == L'C';
  const bool narrow = velut::textbase::IsNarrowText(d.size, d.conv);
  std::wstring text;
  bool ok = true;
  if (chars) {
    const long long n = d.width < 0 ? 1 : d.width;
    while (static_cast<long long>(text.size()) < n && in.more()) text.push_back(in.get());
    ok = static_cast<long long>(text.size()) == n;
  } else if (d.conv == L'[') {
    ScanSet set;
    if (!set.Parse(f)) return false;
    while (in.more() && set.Accepts(in.peek())) text.push_back(in.get());
    ok = !text.empty();
  } else {
    while (in.more() && !IsSpace(in.peek())) text.push_back(in.get());
  }
  if (d.suppress) return ok;
  void* dest = va_arg(ap, void*);
  const unsigned cap = va_arg(ap, unsigned);
  // A field read but not stored (a null or too small array) fails too.
  return ok && StoreText(dest, cap, text, narrow, !chars);
}

// The conversion after a '%': its field is read from the input and stored
// through the next arguments.
Step ScanConversion(const wchar_t*& f, Input& in, va_list& ap) {
  Directive d;
  if (!ReadDirective(f, d)) return Step::kStop;
  if (d.conv == L'n') {
    if (!d.suppress && !Put<int>(ap, static_cast<int>(in.read()))) return Step::kStop;
    return Step::kNext;
  }
  if (d.conv != L'[' && d.conv != L'c' && d.conv != L'C') in.skip_space();
  if (in.at_end()) return Step::kInputFailure;
  in.limit(d.width);
  bool ok;
  if (IsIntegerConversion(d.conv))
    ok = ScanInteger(in, d, ap);
  else if (IsFloatConversion(d.conv))
    ok = ScanFloat(in, d, ap);
  else if (IsTextConversion(d.conv))
    ok = ScanText(f, in, d, ap);
  else  // a letter that is no conversion matches itself, as "%%" does
    return in.peek() == d.conv ? (in.get(), Step::kNext) : Step::kStop;
  in.limit(-1);
  if (!ok) return Step::kStop;
  return d.suppress ? Step::kSuppressed : Step::kAssigned;
}

}  // namespace

int vswscanf_s(const wchar_t* buffer, const wchar_t* format, va_list args) {
  if (buffer == nullptr || format == nullptr) {
    errno = EINVAL;
    return -1;
  }
  va_list ap;
  va_copy(ap, args);
  Input in(buffer);
  int assigned = 0;
  bool converted = false;  // a conversion has consumed input
  bool input_failure = false;
  for (const wchar_t* f = format; *f != L'\0';) {
    Step step;
    if (IsSpace(*f))
      step = SkipBlanks(f, in);
    else if (*f != L'%' || f[1] == L'%')
      step = MatchLiteral(f, in);
    else
      step = ScanConversion(++f, in, ap);
    if (step == Step::kStop) break;
    if (step == Step::kInputFailure) {
      input_failure = true;
      break;
    }
    if (step != Step::kNext) converted = true;
    if (step == Step::kAssigned) ++assigned;
  }
  va_end(ap);
  return input_failure && !converted ? -1 : assigned;
}

int swscanf_s(const wchar_t* buffer, const wchar_t* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int n = vswscanf_s(buffer, format, ap);
  va_end(ap);
  return n;
}
