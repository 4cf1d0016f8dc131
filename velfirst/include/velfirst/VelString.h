// VelString: the product family's general wide string.
#pragma once

#include <string>

// VELFIRST_API: marks a declaration as exported from libvelfirst.
#define VELFIRST_API __attribute__((visibility("default")))

// VelString owns a zero-terminated text of wchar_t (one code point each).
// A null text given to the constructor, assign, append or compare counts
// as the empty text. c_str() never returns null.
//
// Example:
//   VelString s(L"C:/dir/file");
//   s.replace(L'/', L'\\');        // s == L"C:\\dir\\file"
//   s.substr(0, 2).c_str()         -> L"C:"
//   s.compare(L"")                 -> non-zero (s is not empty)
class VELFIRST_API VelString {
 public:
  // An empty string, a copy of `text` or of another string, or the text of
  // another string moved in.
  VelString();
  VelString(const wchar_t* text);  // NOLINT: implicit, like the texts it copies
  VelString(const VelString& other);
  VelString(VelString&& other) noexcept;
  VelString& operator=(const VelString& other);
  VelString& operator=(VelString&& other) noexcept;
  ~VelString();

  // assign: replaces the content with a copy of `text` or `other`.
  VelString& assign(const wchar_t* text);
  VelString& assign(const VelString& other);

  // append: adds `text` at the end (`text` may point into this string).
  VelString& append(const wchar_t* text);

  // replace: replaces every unit `from` by `to`, in place.
  VelString& replace(wchar_t from, wchar_t to);

  // setEmpty: makes the string empty.
  void setEmpty();

  // isEmpty: true when the string holds no unit.
  bool isEmpty() const;

  // length: the number of wchar_t units.
  int length() const;

  // substr: `count` units from `start`; a count past the end, or a
  // negative one, stops at the end; a start past the end gives "".
  // Example: VelString(L"abcdef").substr(1, 3) -> L"bcd"
  VelString substr(int start, int count) const;

  // compare: 0 when both texts are equal unit for unit; otherwise negative
  // or positive as this text sorts before or after `text` in unit order.
  int compare(const wchar_t* text) const;

  // collateNoCase: 0 when both texts are equal once each unit is lowered
  // with the global locale; otherwise the sign of the first difference.
  // Example: VelString(L"ABC").collateNoCase(L"abc") -> 0
  int collateNoCase(const wchar_t* text) const;

  // c_str: the text, valid until the string is next changed or destroyed.
  const wchar_t* c_str() const;

  // Equal when both texts are equal unit for unit.
  friend bool operator==(const VelString& a, const VelString& b) { return a.text_ == b.text_; }
  friend bool operator!=(const VelString& a, const VelString& b) { return !(a == b); }

 private:
  std::wstring text_;
};
