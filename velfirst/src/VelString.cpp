#include <algorithm>
#include <cwchar>
#include <locale>
#include <utility>

#include <velfirst/VelString.h>

namespace {
const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }
}  // namespace

VelString::VelString() = default;
VelString::VelString(const wchar_t* text) : text_(OrEmpty(text)) {}
VelString::VelString(const VelString& other) = default;
VelString::VelString(VelString&& other) noexcept : text_(std::move(other.text_)) {
  other.text_.clear();
}
VelString& VelString::operator=(const VelString& other) = default;
VelString& VelString::operator=(VelString&& other) noexcept {
  text_ = std::move(other.text_);
  other.text_.clear();
  return *this;
}
VelString::~VelString() = default;

VelString& VelString::assign(const wchar_t* text) {
  text_.assign(OrEmpty(text));
  return *this;
}

VelString& VelString::assign(const VelString& other) {
  text_.assign(other.text_);
  return *this;
}

VelString& VelString::append(const wchar_t* text) {
  text_.append(OrEmpty(text));
  return *this;
}

VelString& VelString::replace(wchar_t from, wchar_t to) {
  std::replace(text_.begin(), text_.end(), from, to);
  return *this;
}

void VelString::setEmpty() { text_.clear(); }

bool VelString::isEmpty() const { return text_.empty(); }

int VelString::length() const { return static_cast<int>(text_.size()); }

VelString VelString::substr(int start, int count) const {
  VelString result;
  const std::size_t size = text_.size();
  const std::size_t first = start < 0 ? 0 : static_cast<std::size_t>(start);
  if (first >= size) return result;
  const std::size_t n =
      count < 0 ? size - first : std::min(static_cast<std::size_t>(count), size - first);
  result.text_.assign(text_, first, n);
  return result;
}

int VelString::compare(const wchar_t* text) const {
  // Compared up to the first NUL of each side, like the texts they are.
  const wchar_t* a = text_.c_str();
  const wchar_t* b = OrEmpty(text);
  for (;; ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == L'\0') return 0;
  }
}

int VelString::collateNoCase(const wchar_t* text) const {
  const std::locale loc;
  const auto& ct = std::use_facet<std::ctype<wchar_t>>(loc);
  const wchar_t* a = text_.c_str();
  const wchar_t* b = OrEmpty(text);
  for (;; ++a, ++b) {
    const wchar_t la = ct.tolower(*a);
    const wchar_t lb = ct.tolower(*b);
    if (la != lb) return la < lb ? -1 : 1;
    if (la == L'\0') return 0;
  }
}

const wchar_t* VelString::c_str() const { return text_.c_str(); }
