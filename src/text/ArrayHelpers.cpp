// Number sorting, linear searches and duplicate removal.
#include <algorithm>
#include <cwchar>
#include <locale>
#include <string>
#include <unordered_map>

#include <VelUt/ArrayHelpers.h>

#include "platform/Layer.h"
#include "text/TextPointer.h"

namespace {

using StrList = CStdContainer<CStdStr<wchar_t>, std::vector>;

// The text of `s` up to its first NUL unit, as a C-string reader sees it.
std::size_t TextLength(const std::wstring& s) {
  return static_cast<std::size_t>(std::find(s.begin(), s.end(), L'\0') - s.begin());
}

// The duplicate key of `entry`, lowered with `ct`: trimmed at both ends,
// cut at its first NUL, and with one trailing separator removed unless it
// is a root.
void LoweredKey(const CStdStr<wchar_t>& entry, const std::ctype<wchar_t>& ct, std::wstring& key) {
  const wchar_t* begin = entry.data();
  const wchar_t* end = begin + entry.size();
  begin = ct.scan_not(std::ctype_base::space, begin, end);
  while (end != begin && ct.is(std::ctype_base::space, end[-1])) --end;
  key.assign(begin, std::find(begin, end, L'\0'));
  PathRemoveBackslash(key.data());
  key.resize(std::wcslen(key.c_str()));
  if (!key.empty()) ct.tolower(key.data(), key.data() + key.size());
}

}  // namespace

namespace VelUt {

void SortArray(CArray<unsigned int, unsigned int>& values) {
  const int n = values.GetSize();
  if (n < 2) return;
  unsigned int* a = values.GetData();
  // Each element moves down its chain of gap-spaced predecessors; shifting
  // the greater ones up leaves the same order as swapping them pairwise.
  for (int gap = n / 2; gap > 0; gap /= 2) {
    for (int i = gap; i < n; ++i) {
      const unsigned int v = a[i];
      int j = i - gap;
      for (; j >= 0 && a[j] > v; j -= gap) a[j + gap] = a[j];
      a[j + gap] = v;
    }
  }
}

int FindInArray(const wchar_t* text, const StrList& list, signed char matchCase) {
  const int n = list.GetCount();
  if (n == 0) return -1;
  if (!detail::IsTextPointer(text)) text = L"";
  const std::size_t length = std::wcslen(text);
  if (matchCase) {
    for (int i = 0; i < n; ++i) {
      const CStdStr<wchar_t>& e = list[i];
      if (e.size() == length && std::wmemcmp(e.data(), text, length) == 0) return i;
    }
    return -1;
  }
  // The text is lowered once; each entry is lowered into one reused buffer
  // and collated with it, as CollateNoCase would for every pair.
  const std::locale loc;
  const auto& ct = std::use_facet<std::ctype<wchar_t>>(loc);
  const auto& co = std::use_facet<std::collate<wchar_t>>(loc);
  std::wstring lowered(text, length), entry;
  if (length != 0) ct.tolower(lowered.data(), lowered.data() + length);
  for (int i = 0; i < n; ++i) {
    const CStdStr<wchar_t>& e = list[i];
    entry.assign(e.data(), TextLength(e));
    if (!entry.empty()) ct.tolower(entry.data(), entry.data() + entry.size());
    if (co.compare(entry.data(), entry.data() + entry.size(), lowered.data(),
                   lowered.data() + lowered.size()) == 0)
      return i;
  }
  return -1;
}

int FindInArray(unsigned int value, const CArray<unsigned int, unsigned int>& values) {
  const unsigned int* a = values.GetData();
  const unsigned int* end = a + values.GetSize();
  const unsigned int* at = std::find(a, end, value);
  return at == end ? -1 : static_cast<int>(at - a);
}

int FindInArray(void* item, const CStdContainer<void*, std::vector>& list) {
  const auto at = std::find(list.begin(), list.end(), item);
  return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

int RemoveDuplicates(StrList& list) {
  const int n = list.GetCount();
  if (n < 2) return 0;
  // Two lowered keys collate equal exactly when their collation transforms
  // are equal, so every entry is keyed once and grouped by its transform;
  // the first entry of each group is the one that stays.
  const std::locale loc;
  const auto& ct = std::use_facet<std::ctype<wchar_t>>(loc);
  const auto& co = std::use_facet<std::collate<wchar_t>>(loc);
  std::unordered_map<std::wstring, int> firstOf;
  firstOf.reserve(static_cast<std::size_t>(n));
  std::vector<int> owner(static_cast<std::size_t>(n));
  std::vector<bool> lostDuplicate(static_cast<std::size_t>(n));
  std::wstring key;
  for (int i = 0; i < n; ++i) {
    LoweredKey(list[i], ct, key);
    owner[i] = firstOf.emplace(co.transform(key.data(), key.data() + key.size()), i).first->second;
  }

  // Nothing has changed so far, and from here on nothing allocates, so
  // running out of memory leaves the list as it was.
  int count = 0, kept = 0;
  for (int i = 0; i < n; ++i) {
    const int first = owner[i];
    if (first == i) {
      if (kept != i) list[kept] = std::move(list[i]);
      ++kept;
    } else if (!lostDuplicate[first]) {
      lostDuplicate[first] = true;
      ++count;
    }
  }
  for (int size = n; size > kept; --size) list.RemoveAt(static_cast<unsigned int>(size - 1));
  return count;
}

}  // namespace VelUt
