// CStdStr's members, instantiated here for wchar_t and exported.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <new>

#include <VelUt/StdStr.h>

#include "core/ClassicFold.h"
#include "core/UnitSet.h"
#include "platform/Layer.h"

namespace {

const std::ctype<wchar_t>& Ctype(const std::locale& loc) {
  return std::use_facet<std::ctype<wchar_t>>(loc);
}

int ToInt(std::size_t n) { return static_cast<int>(n); }

// Where `p` points into `s`'s text (its terminator included), the offset;
// otherwise npos.
std::size_t OffsetIn(const std::wstring& s, const wchar_t* p) {
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(s.data());
  const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(p);
  if (at < begin || at > begin + s.size() * sizeof(wchar_t)) return std::wstring::npos;
  return (at - begin) / sizeof(wchar_t);
}

}  // namespace

template <typename CT>
CStdStr<CT>::CStdStr(const CT* text) {
  const auto value = reinterpret_cast<std::uintptr_t>(text);
  if (value == 0) return;
  if (value <= 0xFFFF) {
    Load(static_cast<unsigned int>(value), nullptr);
    return;
  }
  MYBASE::assign(text);
}

template <typename CT>
CStdStr<CT>& CStdStr<CT>::operator=(const CT* text) {
  if (text == nullptr) {
    this->clear();
    return *this;
  }
  const std::size_t off = OffsetIn(*this, text);
  if (off != MYBASE::npos) {
    // Our own tail, read up to its first NUL.
    this->erase(off + std::wcslen(text));
    this->erase(0, off);
    return *this;
  }
  MYBASE::assign(text);
  return *this;
}

template <typename CT>
bool CStdStr<CT>::Load(unsigned int id, void* module) {
  if (module == nullptr) module = AfxGetResourceHandle();
  std::wstring text = loadStringFromWin32ResourceDLL(module, id);
  if (text.empty()) return false;
  MYBASE::operator=(std::move(text));
  return true;
}

template <typename CT>
void CStdStr<CT>::Fmt(const CT* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

template <typename CT>
void CStdStr<CT>::FormatV(const CT* format, va_list args) {
  // One buffer of the format's length plus 1024 units; the formatter gets
  // one unit less than that and always terminates within it. The text is
  // made apart from this string, so that `format` and the arguments may
  // point into its old text. A short format, the usual case, is formatted
  // on the stack and copied in once, into the memory this string has.
  const std::size_t len = format ? std::wcslen(format) : 0;
  constexpr std::size_t kStackUnits = 2048;
  if (len + 1024 <= kStackUnits) {
    CT buffer[kStackUnits];
    ms_vswprintf(buffer, len + 1023, format, args);
    this->assign(buffer, std::wcslen(buffer));
    return;
  }
  CStdStr out;
  out.resize(len + 1024);
  ms_vswprintf(out.data(), len + 1023, format, args);
  out.RelBuf(-1);
  this->swap(out);
}

namespace {

// Resizes `s` to `length` units. A length beyond max_size() (below INT_MAX
// on a 32-bit machine) is memory that cannot be had: std::bad_alloc, as the
// header says, not std::length_error.
template <typename S>
void ResizeOrThrow(S& s, std::size_t length) {
  if (length > s.max_size()) throw std::bad_alloc();
  s.resize(length);
}

}  // namespace

template <typename CT>
CT* CStdStr<CT>::GetBuf(int minLength) {
  if (minLength > 0 && this->size() < static_cast<std::size_t>(minLength))
    ResizeOrThrow(*this, static_cast<std::size_t>(minLength));
  return this->data();
}

template <typename CT>
void CStdStr<CT>::RelBuf(int newLength) {
  if (newLength < 0)
    this->resize(wcsnlen(this->data(), this->size()));
  else
    ResizeOrThrow(*this, static_cast<std::size_t>(newLength));
}

template <typename CT>
CStdStr<CT>& CStdStr<CT>::TrimLeft() {
  const std::locale loc;
  const wchar_t* b = this->data();
  const wchar_t* e = b + this->size();
  const wchar_t* first = Ctype(loc).scan_not(std::ctype_base::space, b, e);
  this->erase(0, static_cast<std::size_t>(first - b));
  return *this;
}

template <typename CT>
CStdStr<CT>& CStdStr<CT>::TrimRight() {
  const std::locale loc;
  const auto& ct = Ctype(loc);
  std::size_t n = this->size();
  while (n > 0 && ct.is(std::ctype_base::space, (*this)[n - 1])) --n;
  this->erase(n);
  return *this;
}

template <typename CT>
CStdStr<CT>& CStdStr<CT>::MakeLower() {
  return ToLower(std::locale());
}

template <typename CT>
CStdStr<CT>& CStdStr<CT>::ToLower(const std::locale& loc) {
  if (!this->empty()) Ctype(loc).tolower(this->data(), this->data() + this->size());
  return *this;
}

template <typename CT>
int CStdStr<CT>::Find(const CT* sub) const {
  const std::size_t at = this->find(sub != nullptr ? sub : L"");
  return at == MYBASE::npos ? -1 : ToInt(at);
}

template <typename CT>
int CStdStr<CT>::FindOneOf(const CT* set) const {
  if (set == nullptr || *set == L'\0') return -1;
  // A long set is looked up rather than searched for every unit.
  const VelUt::detail::UnitSet units(set, set + std::wcslen(set));
  const auto at = std::find_if(this->begin(), this->end(), [&](CT c) { return units.Contains(c); });
  return at == this->end() ? -1 : ToInt(static_cast<std::size_t>(at - this->begin()));
}

template <typename CT>
CStdStr<CT> CStdStr<CT>::Mid(int first, int count) const {
  const std::size_t size = this->size();
  const std::size_t from = first < 0 ? 0 : static_cast<std::size_t>(first);
  if (from > size || count <= 0) return CStdStr();
  const std::size_t n = std::min(static_cast<std::size_t>(count), size - from);
  return CStdStr(this->data() + from, n);
}

template <typename CT>
CStdStr<CT> CStdStr<CT>::Left(int count) const {
  if (count <= 0) return CStdStr();
  return CStdStr(this->data(), std::min(static_cast<std::size_t>(count), this->size()));
}

template <typename CT>
CStdStr<CT> CStdStr<CT>::Right(int count) const {
  if (count <= 0) return CStdStr();
  const std::size_t n = std::min(static_cast<std::size_t>(count), this->size());
  return CStdStr(this->data() + this->size() - n, n);
}

template <typename CT>
int CStdStr<CT>::Replace(const CT* oldText, const CT* newText) {
  if (oldText == nullptr || *oldText == L'\0') return 0;
  if (newText == nullptr) newText = L"";
  // Either argument may point into this string: take copies first.
  const std::wstring from(oldText);
  const std::wstring to(newText);
  // Replacing left to right and resuming after the inserted text is the
  // same as one pass over the original text resuming after each match, so
  // the result is built once instead of shifting the tail per match.
  std::size_t at = this->find(from);
  if (at == MYBASE::npos) return 0;
  std::wstring out;
  out.reserve(this->size());
  std::size_t done = 0;
  int count = 0;
  while (at != MYBASE::npos) {
    out.append(*this, done, at - done);
    out.append(to);
    done = at + from.size();
    ++count;
    at = this->find(from, done);
  }
  out.append(*this, done, MYBASE::npos);
  MYBASE::operator=(std::move(out));
  return count;
}

template <typename CT>
int CStdStr<CT>::Insert(int index, CT ch) {
  if (index >= 0 && static_cast<std::size_t>(index) < this->size())
    this->insert(static_cast<std::size_t>(index), 1, ch);
  else
    this->push_back(ch);
  return ToInt(this->size());
}

template <typename CT>
int CStdStr<CT>::Delete(int index, int count) {
  const std::size_t from = index < 0 ? 0 : static_cast<std::size_t>(index);
  if (from < this->size()) {
    if (count < 0)
      this->erase(from);
    else
      this->erase(from, static_cast<std::size_t>(count));
  }
  return ToInt(this->size());
}

template <typename CT>
int CStdStr<CT>::Remove(CT ch) {
  const auto end = std::remove(this->begin(), this->end(), ch);
  const auto removed = this->end() - end;
  this->erase(end, this->end());
  return static_cast<int>(removed);
}

template <typename CT>
int CStdStr<CT>::CompareNoCase(const CT* other) const {
  const wchar_t* s = this->c_str();
  if (other == nullptr) other = L"";
  for (std::size_t i = 0;; ++i) {
    // Equal units fold alike: only the end of the text stops on them.
    if (s[i] == other[i] && s[i] != 0) continue;
    const std::uint32_t f = VelUt::detail::FoldClassic(s[i]);
    const std::uint32_t l = VelUt::detail::FoldClassic(other[i]);
    // Differences wrap like 32-bit arithmetic instead of overflowing.
    if (f == 0) return static_cast<int>(0u - l);
    if (f != l) return static_cast<int>(f - l);
  }
}

template <typename CT>
int CStdStr<CT>::CollateNoCase(const CT* other) const {
  return ssicoll(this->c_str(), ToInt(this->size()), other, other ? ToInt(std::wcslen(other)) : 0);
}

template class CStdStr<wchar_t>;

int ssicoll(const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
  std::wstring la(a ? a : L"");
  std::wstring lb(b ? b : L"");
  // A length may reach past an embedded NUL: stay within the copies.
  la.resize(std::min(la.size(), static_cast<std::size_t>(std::max(aLength, 0))));
  lb.resize(std::min(lb.size(), static_cast<std::size_t>(std::max(bLength, 0))));
  const std::locale loc;
  const auto& ct = Ctype(loc);
  if (!la.empty()) ct.tolower(la.data(), la.data() + la.size());
  if (!lb.empty()) ct.tolower(lb.data(), lb.data() + lb.size());
  const int r = std::use_facet<std::collate<wchar_t>>(loc).compare(
      la.data(), la.data() + la.size(), lb.data(), lb.data() + lb.size());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void ssadd(std::basic_string<wchar_t>& dst, const wchar_t* src) {
  if (src == nullptr) return;
  const std::size_t off = OffsetIn(dst, src);
  if (off == std::wstring::npos) {
    dst.append(src);
    return;
  }
  // Our own text: append by position so growth cannot invalidate src.
  dst.append(dst, off, std::wcslen(src));
}
