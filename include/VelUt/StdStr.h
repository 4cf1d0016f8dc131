// CStdStr: the library's wide string, std::wstring with CString-style
// operations. Positions and counts are int, -1 means "not found", and bad
// positions are clamped, never reported.
#pragma once

#include <cstdarg>
#include <locale>
#include <string>
#include <type_traits>
#include <utility>

#include <VelUt/Export.h>

namespace VelUt::detail {

// Format() passes strings on as their text pointers and every other
// argument unchanged; printf-style varargs accept nothing else.
template <typename CT, typename A,
          typename = std::enable_if_t<!std::is_base_of<std::basic_string<CT>, A>::value>>
const A& FormatArg(const A& a) {
  static_assert(std::is_trivially_copyable<A>::value || std::is_array<A>::value,
                "CStdStr::Format takes scalars, pointers and strings");
  return a;
}
template <typename CT>
const CT* FormatArg(const std::basic_string<CT>& s) {
  return s.c_str();
}

}  // namespace VelUt::detail

// CStdStr<CT>: a std::basic_string<CT> (used with CT = wchar_t) that adds
// no data and no virtual function, so it can be passed wherever the
// standard string is expected and vice versa.
//
// Whitespace tests and lowering go through locale facets: TrimLeft,
// TrimRight and MakeLower use the global locale; ToLower the one given;
// CompareNoCase the layer's classic locale (only A-Z fold).
//
// As with the standard string, an operation that needs more memory than
// there is throws std::bad_alloc (std::length_error beyond max_size()) and
// leaves the string as it was.
template <typename CT>
class VELUT_API CStdStr : public std::basic_string<CT> {
 public:
  // The standard string this string is, and a pointer to constant text.
  using MYBASE = std::basic_string<CT>;
  using PCMYSTR = const CT*;

  // An empty string; copies and moves as the standard string makes them.
  CStdStr() = default;
  CStdStr(const CStdStr&) = default;
  CStdStr(CStdStr&&) noexcept = default;
  CStdStr& operator=(const CStdStr&) = default;
  CStdStr& operator=(CStdStr&&) noexcept = default;
  ~CStdStr() = default;

  // Null gives "". The pointer values 1..0xFFFF are string-resource ids:
  // the string is loaded with Load(id, nullptr) and stays "" when the
  // current resource module has no such string. Any other value is copied.
  // Example: CStdStr<wchar_t>(L"abc") -> "abc";  CStdStr<wchar_t>(
  //          reinterpret_cast<const wchar_t*>(7)) -> string resource 7
  CStdStr(const CT* text);  // NOLINT: implicit like the standard string's
  // A copy of a standard string, or its text moved in.
  CStdStr(const MYBASE& s) : MYBASE(s) {}                 // NOLINT
  CStdStr(MYBASE&& s) noexcept : MYBASE(std::move(s)) {}  // NOLINT
  // A string of one unit; CStdStr(L'\0') has length 1.
  CStdStr(CT ch) : MYBASE(1, ch) {}  // NOLINT
  CStdStr(const CT* text, typename MYBASE::size_type n) : MYBASE(text, n) {}

  // Null empties the string. A pointer into this string's own text (or at
  // its terminator) leaves the tail from that unit on. Resource ids are
  // not recognised here.
  CStdStr& operator=(const CT* text);
  CStdStr& operator=(const MYBASE& s) {
    MYBASE::operator=(s);
    return *this;
  }
  CStdStr& operator=(CT ch) {
    MYBASE::assign(1, ch);
    return *this;
  }

  // Load: the string resource `id` of `module` (null: the current resource
  // module, AfxGetResourceHandle()). A non-empty string replaces the
  // content and gives true; otherwise false and the content is kept.
  bool Load(unsigned int id, void* module);

  // Fmt: replaces the content with `format` formatted with the Microsoft
  // wide conventions ("%s" takes a wide text, "%d" an int). `format` and
  // the arguments may be this string's own text.
  // Differs from Win32: Fmt cuts the text at the format's length plus 1,022
  // units, as FormatV does.
  // Example: s.Fmt(L"%s-%d", L"x", 5) -> s == L"x-5"
  //          s = L"ab"; s.Fmt(L"%s%s", s.c_str(), s.c_str()) -> s == L"abab"
  void Fmt(const CT* format, ...);

  // FormatV: Fmt with a va_list.
  // Differs from Win32: FormatV formats into the format's length plus
  // 1,023 units, terminator included, and cuts the text there: a
  // 5,000-unit argument of "%s" comes back as 1,024 units. MFC's
  // CString::Format grows instead; callers rely on the bound.
  void FormatV(const CT* format, va_list args);

  // Format: Fmt with typed arguments; CStdStr and std::basic_string
  // arguments are passed as their text pointers, the rest unchanged.
  // Differs from Win32: Format cuts the text at the format's length plus
  // 1,022 units, as FormatV does.
  // Example: s.Format(L"%s %s", CStdStr<wchar_t>(L"a"), L"b") -> L"a b"
  //          s = L"abc"; s.Format(L"%s!", s) -> s == L"abc!"
  template <typename... Args>
  void Format(const CT* format, const Args&... args) {
    Fmt(format, VelUt::detail::FormatArg<CT>(args)...);
  }

  // GetBuf: lengthens the string with NUL units to at least `minLength`
  // (never shortens it) and returns a writable pointer to its first unit,
  // valid until the string next changes. Pair with RelBuf. Throws
  // std::bad_alloc when the memory for `minLength` units cannot be had.
  CT* GetBuf(int minLength);

  // RelBuf: ends a GetBuf use. A negative `newLength` keeps the units
  // before the first NUL; otherwise the length becomes `newLength` (cut, or
  // lengthened with NUL units). Throws std::bad_alloc when the memory for
  // `newLength` units cannot be had; the string is then unchanged.
  // Example: s = L"abc"; s.GetBuf(10); s.RelBuf(-1) -> s == L"abc"
  //          s.GetBuf(1); s.RelBuf(INT_MAX) -> 2^31 - 1 units, or std::bad_alloc
  void RelBuf(int newLength);

  // TrimLeft / TrimRight: remove leading / trailing white space of the
  // global locale. Return *this.
  CStdStr& TrimLeft();
  CStdStr& TrimRight();

  // MakeLower: ToLower with the global locale.
  CStdStr& MakeLower();

  // ToLower: lowers each unit in place with the ctype facet of `loc`.
  CStdStr& ToLower(const std::locale& loc);

  // Find: index of the first occurrence of `sub`; 0 for an empty (or
  // null) `sub`; -1 when absent.
  // Example: CStdStr<wchar_t>(L"abc").Find(L"c") -> 2
  int Find(const CT* sub) const;

  // FindOneOf: index of the first unit that occurs in `set`; -1 when there
  // is none or `set` is empty or null.
  // Example: CStdStr<wchar_t>(L"abc").FindOneOf(L"xb") -> 1
  int FindOneOf(const CT* set) const;

  // Mid: `count` units from `first`, both clamped: negative values count
  // as 0, and a range past the end stops at the end.
  // Example: CStdStr<wchar_t>(L"abcdef").Mid(-3, 2) -> L"ab"
  CStdStr Mid(int first, int count) const;

  // Left / Right: the first / last `count` units, `count` clamped to
  // 0..length.
  CStdStr Left(int count) const;
  CStdStr Right(int count) const;

  // Replace: replaces each occurrence of `oldText` from left to right by
  // `newText` (null: ""), never searching inserted text again. Returns the
  // number of replacements; 0 for a null or empty `oldText`. A result too
  // large for memory throws std::bad_alloc, the string unchanged.
  // Example: CStdStr<wchar_t>(L"aaa").Replace(L"aa", L"b") -> 1, L"ba"
  int Replace(const CT* oldText, const CT* newText);

  // Insert: inserts `ch` before index `index`; an index outside
  // 0..length-1 appends. Returns the new length.
  int Insert(int index, CT ch);

  // Delete: removes `count` units from `index` (negative index: 0;
  // negative count: to the end). An index past the end removes nothing.
  // Returns the new length.
  int Delete(int index, int count = 1);

  // Remove: removes every unit equal to `ch`; returns how many.
  int Remove(CT ch);

  // CompareNoCase: compares with `other` (null: "") unit by unit after
  // lowering both with the classic locale. Returns 0 when equal, else the
  // difference of the first differing lowered units.
  // Example: CStdStr<wchar_t>(L"ab").CompareNoCase(L"abc") -> -99
  int CompareNoCase(const CT* other) const;

  // CollateNoCase: 0 when the texts collate equal once lowered with the
  // global locale; -1 or 1 otherwise. Null counts as "".
  int CollateNoCase(const CT* other) const;
};

extern template class CStdStr<wchar_t>;

// ssicoll: collates the first `aLength` units of `a` with the first
// `bLength` of `b`, both lowered with the global locale's ctype facet.
// Null texts count as ""; lengths are cut to the texts. 0 when equal,
// -1 when a sorts first, 1 otherwise.
VELUT_API int ssicoll(const wchar_t* a, int aLength, const wchar_t* b, int bLength);

// ssadd: appends `src` (null: nothing) to `dst`. `src` may point into
// `dst` itself: what is appended is the text it showed before the call.
// Example: s = L"ab"; ssadd(s, s.c_str()) -> s == L"abab"
VELUT_API void ssadd(std::basic_string<wchar_t>& dst, const wchar_t* src);
