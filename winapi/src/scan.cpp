// A wide scanf engine with the conventions of Microsoft's secure scanf
// family: "%s" reads into a wide array and every text conversion takes the
// array's size as the next argument. glibc's wide scanf reads "%s" into a
// narrow array and knows no sizes, so it cannot be used directly.
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <string>
#include <utility>

#include <WinAPI/Strings.h>

#include "printf_size.h"
#include "utf8.h"

namespace {

using velwin::detail::ReadSize;
using velwin::detail::Size;

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'z') return c - L'a' + 10;
  if (c >= L'A' && c <= L'Z') return c - L'A' + 10;
  return 99;
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
// was read. The magnitude saturates at UINT64_MAX.
bool ReadInteger(Input& in, int base, bool& negative, std::uint64_t& magnitude) {
  negative = false;
  magnitude = 0;
  if (in.more() && (in.peek() == L'+' || in.peek() == L'-')) negative = in.get() == L'-';
  bool digits = false;
  if ((base == 0 || base == 16) && in.more() && in.peek() == L'0') {
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
  bool saturated = false;
  while (in.more() && DigitValue(in.peek()) < base) {
    const unsigned d = static_cast<unsigned>(DigitValue(in.get()));
    digits = true;
    if (saturated) continue;
    if (magnitude > (UINT64_MAX - d) / static_cast<unsigned>(base)) {
      magnitude = UINT64_MAX;
      saturated = true;
    } else {
      magnitude = magnitude * static_cast<unsigned>(base) + d;
    }
  }
  return digits;
}

// Clamps a signed reading to [lo, hi].
long long ClampSigned(bool negative, std::uint64_t magnitude, long long lo, long long hi) {
  if (negative) {
    const std::uint64_t limit = static_cast<std::uint64_t>(-(lo + 1)) + 1;
    if (magnitude >= limit) return lo;
    return -static_cast<long long>(magnitude);
  }
  if (magnitude > static_cast<std::uint64_t>(hi)) return hi;
  return static_cast<long long>(magnitude);
}

// An unsigned reading as strtoull makes it: negated modulo 2^bits, and
// saturated at the type's maximum when the magnitude is too large.
std::uint64_t ClampUnsigned(bool negative, std::uint64_t magnitude, std::uint64_t max) {
  if (magnitude > max) return max;
  return negative ? (0 - magnitude) & max : magnitude;
}

// `m` with its sign as a value of T: clamped to T's range for a signed T,
// negated modulo 2^bits for an unsigned one.
template <typename T>
T Convert(bool negative, std::uint64_t m) {
  using L = std::numeric_limits<T>;
  if (L::is_signed)
    return static_cast<T>(ClampSigned(negative, m, static_cast<long long>(L::min()),
                                      static_cast<long long>(L::max())));
  return static_cast<T>(ClampUnsigned(negative, m, static_cast<std::uint64_t>(L::max())));
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
  return is_signed ? Put<S>(ap, Convert<S>(negative, m)) : Put<U>(ap, Convert<U>(negative, m));
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
    case Size::kInt64:
    case Size::kIntMax:
    case Size::kPtrDiff:
    case Size::kSizeT:
      return PutInteger<long long, unsigned long long>(ap, is_signed, negative, m);
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
  const std::string bytes = velwin::detail::Utf8FromWide(text, velwin::detail::Utf8Rule::kReplace);
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
  const wchar_t* f = format;
  while (*f != L'\0') {
    if (IsSpace(*f)) {
      while (IsSpace(*f)) ++f;
      in.skip_space();
      continue;
    }
    if (*f != L'%' || f[1] == L'%') {
      const wchar_t want = *f;
      f += *f == L'%' ? 2 : 1;
      if (want == L'%') in.skip_space();
      if (in.at_end()) {
        input_failure = true;
        break;
      }
      if (in.peek() != want) break;
      in.limit(-1);
      in.get();
      continue;
    }
    ++f;  // the '%'
    const bool suppress = *f == L'*';
    if (suppress) ++f;
    long long width = -1;
    if (*f >= L'0' && *f <= L'9') {
      width = 0;
      while (*f >= L'0' && *f <= L'9')
        width = std::min<long long>(width * 10 + (*f++ - L'0'), INT_MAX);
      if (width == 0) break;  // a zero width is invalid
    }
    Size size = ReadSize(f);
    const wchar_t conv = *f;
    if (conv == L'\0') break;
    ++f;

    if (conv == L'n') {
      if (!suppress && !Put<int>(ap, static_cast<int>(in.read()))) break;
      continue;
    }
    const bool is_text =
        conv == L'c' || conv == L'C' || conv == L's' || conv == L'S' || conv == L'[';
    if (conv != L'[' && conv != L'c' && conv != L'C') in.skip_space();
    if (in.at_end()) {
      input_failure = true;
      break;
    }
    in.limit(width);

    // A field read (`ok`) but not stored (a null destination) ends the scan
    // unassigned, like one that does not fit.
    bool ok = true;
    if (conv == L'd' || conv == L'i' || conv == L'u' || conv == L'o' || conv == L'x' ||
        conv == L'X' || conv == L'p') {
      const int base = conv == L'd' || conv == L'u' ? 10 : conv == L'i' ? 0 : conv == L'o' ? 8 : 16;
      bool negative = false;
      std::uint64_t magnitude = 0;
      ok = ReadInteger(in, base, negative, magnitude);
      if (ok && !suppress) {
        if (conv == L'p')
          ok = Put<void*>(ap, reinterpret_cast<void*>(static_cast<std::uintptr_t>(
                                  ClampUnsigned(negative, magnitude, UINTPTR_MAX))));
        else
          ok = StoreInteger(ap, size, conv == L'd' || conv == L'i', negative, magnitude);
      }
    } else if (conv == L'e' || conv == L'E' || conv == L'f' || conv == L'F' || conv == L'g' ||
               conv == L'G' || conv == L'a' || conv == L'A') {
      double value = 0;
      ok = ReadFloat(in, value);
      if (ok && !suppress) {
        if (size == Size::kLong)
          ok = Put<double>(ap, value);
        else if (size == Size::kLongDouble)
          ok = Put<long double>(ap, value);
        else
          ok = Put<float>(ap, static_cast<float>(value));
      }
    } else if (is_text) {
      // Upper-case C and S name the other width: narrow here.
      const bool narrow = size == Size::kShort || conv == L'C' || conv == L'S';
      std::wstring text;
      if (conv == L'c' || conv == L'C') {
        const long long n = width < 0 ? 1 : width;
        while (static_cast<long long>(text.size()) < n && in.more()) text.push_back(in.get());
        ok = static_cast<long long>(text.size()) == n;
      } else if (conv == L'[') {
        ScanSet set;
        if (!set.Parse(f)) break;
        while (in.more() && set.Accepts(in.peek())) text.push_back(in.get());
        ok = !text.empty();
      } else {
        while (in.more() && !IsSpace(in.peek())) text.push_back(in.get());
      }
      if (!suppress) {
        void* dest = va_arg(ap, void*);
        const unsigned cap = va_arg(ap, unsigned);
        if (ok && !StoreText(dest, cap, text, narrow, conv != L'c' && conv != L'C'))
          break;  // too small: the field fails and the scan ends
      }
    } else {
      break;  // unknown conversion
    }
    in.limit(-1);
    if (!ok) break;
    converted = true;
    if (!suppress) ++assigned;
  }
  va_end(ap);
  if (input_failure && !converted && assigned == 0) return -1;
  return assigned;
}

int swscanf_s(const wchar_t* buffer, const wchar_t* format, ...) {
  va_list ap;
  va_start(ap, format);
  const int n = vswscanf_s(buffer, format, ap);
  va_end(ap);
  return n;
}
