// Delimited lists: cutting a line into items, joining items back, and
// cutting a line once at its first delimiter.
#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <locale>
#include <utility>

#include <VelUt/Delimited.h>
#include <WinAPI/Exceptions.h>

#include "core/UnitSet.h"

namespace {

using Str = CStdStr<wchar_t>;

// The first `unit` in [p, end), or `end`.
const wchar_t* FindUnit(const wchar_t* p, const wchar_t* end, wchar_t unit) {
  const wchar_t* hit = std::wmemchr(p, unit, static_cast<std::size_t>(end - p));
  return hit != nullptr ? hit : end;
}

// What a unit means to the parser: a delimiter, an opening or closing
// quote (only when quotes are honoured), or nothing (0). Units below 256
// are looked up in a table; larger ones in the set of the delimiters,
// which is only needed when it holds such a unit at all.
class UnitClasses {
 public:
  enum : unsigned char { kDelimiter = 1, kDouble = 2, kSingle = 4 };

  UnitClasses(const Str& delimiters, bool quotes)
      : delimiters_(delimiters.data()),
        large_(delimiters.data(), delimiters.data() + delimiters.size()) {
    for (const wchar_t c : delimiters) {
      if (IsSmall(c)) {
        table_[static_cast<std::uint32_t>(c)] = kDelimiter;
      } else {
        anyLarge_ = true;
      }
      if (c != delimiters[0]) single_ = false;
    }
    single_ = single_ && !delimiters.empty() && !quotes;
    if (quotes) {
      table_[L'"'] |= kDouble;
      table_[L'\''] |= kSingle;
    }
  }

  unsigned Of(wchar_t c) const {
    if (IsSmall(c)) return table_[static_cast<std::uint32_t>(c)];
    return anyLarge_ && large_.Contains(c) ? kDelimiter : 0;
  }

  bool IsDelimiter(wchar_t c) const { return (Of(c) & kDelimiter) != 0; }

  // The first unit in [p, end) with a class, or `end`.
  const wchar_t* Next(const wchar_t* p, const wchar_t* end) const {
    if (single_) return FindUnit(p, end, *delimiters_);
    while (p != end && Of(*p) == 0) ++p;
    return p;
  }

 private:
  static bool IsSmall(wchar_t c) { return static_cast<std::uint32_t>(c) < 256; }

  unsigned char table_[256] = {};
  const wchar_t* delimiters_;
  const VelUt::detail::UnitSet large_;
  bool anyLarge_ = false;
  bool single_ = true;  // exactly one distinct delimiter, no quotes
};

// The end of a single-quoted stretch that opens just before `p`, or `end`.
// A double quote inside it opens a double-quoted stretch, within which the
// single quote is ordinary.
const wchar_t* SkipSingleQuoted(const wchar_t* p, const wchar_t* end) {
  for (; p != end; ++p) {
    if (*p == L'\'') return p + 1;
    if (*p == L'"') {
      p = FindUnit(p + 1, end, L'"');
      if (p == end) return end;
    }
  }
  return end;
}

// Cuts a text into items. The item between two cuts is always one span of
// the text (quotes are kept), so each item is built once from its span.
class Parser {
 public:
  Parser(const Str& delimiters, int flags, CStdContainer<Str, std::vector>& items)
      : collapse_((flags & PDS_COLLAPSE_DELIMITERS) != 0),
        skipEmpty_(collapse_ && (flags & PDS_SKIP_EMPTY) != 0),
        quotes_((flags & PDS_QUOTES) != 0),
        trim_((flags & PDS_TRIM) != 0),
        classes_(delimiters, quotes_),
        items_(items) {
    if (trim_) ctype_ = &std::use_facet<std::ctype<wchar_t>>(locale_);
  }

  void Run(const wchar_t* p, const wchar_t* end) {
    if (collapse_) {
      p = SkipDelimiters(p, end);
      if (p == end) return;
    }
    for (;;) {
      const wchar_t* cut = FindCut(p, end);
      Store(p, cut);
      if (cut == end) return;  // the last item ends with the text
      p = cut + 1;
      if (collapse_) {
        p = SkipDelimiters(p, end);
        if (p == end) return;  // trailing delimiters make no item
      }
    }
  }

 private:
  const wchar_t* SkipDelimiters(const wchar_t* p, const wchar_t* end) const {
    while (p != end && classes_.IsDelimiter(*p)) ++p;
    return p;
  }

  // The next delimiter outside quoted stretches, or `end`. Quotes come
  // first: a quote that is also a delimiter opens or closes a stretch.
  const wchar_t* FindCut(const wchar_t* p, const wchar_t* end) const {
    for (;;) {
      p = classes_.Next(p, end);
      if (p == end) return end;
      const unsigned cls = classes_.Of(*p);
      if (cls & UnitClasses::kDouble) {
        p = FindUnit(p + 1, end, L'"');
        if (p == end) return end;
        ++p;
      } else if (cls & UnitClasses::kSingle) {
        p = SkipSingleQuoted(p + 1, end);
      } else {
        return p;
      }
    }
  }

  void Store(const wchar_t* b, const wchar_t* e) {
    if (trim_) {
      b = ctype_->scan_not(std::ctype_base::space, b, e);
      while (e != b && ctype_->is(std::ctype_base::space, e[-1])) --e;
    }
    if (skipEmpty_ && b == e) return;
    items_.Add(Str(b, static_cast<std::size_t>(e - b)));
  }

  const bool collapse_;
  const bool skipEmpty_;  // only honoured together with collapse_
  const bool quotes_;
  const bool trim_;
  const UnitClasses classes_;
  const std::locale locale_;  // the global locale, for trimming
  const std::ctype<wchar_t>* ctype_ = nullptr;
  CStdContainer<Str, std::vector>& items_;
};

}  // namespace

namespace VelUt {

signed char ParseDelimitedString(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters,
                                 CStdContainer<CStdStr<wchar_t>, std::vector>& items, int flags) {
  // The items are built aside and replace the old ones at the end, so that
  // `text` or `delimiters` may be one of the old items, and the new strings
  // are allocated in order while the old ones still hold their memory.
  CStdContainer<CStdStr<wchar_t>, std::vector> found;
  Parser parser(delimiters, flags, found);
  try {
    parser.Run(text.data(), text.data() + text.size());
  } catch (CMemoryException* e) {
    // Out of memory while building or storing an item: keep what was
    // stored and report it like a finished parse.
    e->Delete();
  }
  items = std::move(found);
  return items.IsEmpty() ? 0 : 1;
}

signed char MakeDelimitedString(const CStdContainer<CStdStr<wchar_t>, std::vector>& items,
                                VelString& result, signed char skipEmpty,
                                const CStdStr<wchar_t>& separator) {
  result.setEmpty();
  for (const Str& item : items) {
    if (skipEmpty && item.empty()) continue;
    // The separator goes before an item only once some text was written.
    if (!result.isEmpty()) result.append(separator.c_str());
    result.append(item.c_str());
  }
  return 1;
}

signed char SplitString(const CStdStr<wchar_t>& text, const CStdStr<wchar_t>& delimiters,
                        CStdStr<wchar_t>& left, CStdStr<wchar_t>& right, wchar_t& delimiter,
                        signed char trim) {
  // The parts are built aside first, so `left` or `right` may be the very
  // object passed as `text` or `delimiters`.
  const int at = text.empty() ? -1 : text.FindOneOf(delimiters.c_str());
  if (at < 0) {
    Str whole(text);
    right.clear();
    left = std::move(whole);
    return 0;
  }
  const auto cut = static_cast<std::size_t>(at);
  Str before(text.data(), cut);
  Str after(text.data() + cut + 1, text.size() - cut - 1);
  const wchar_t found = text[cut];
  if (trim) {
    before.TrimLeft().TrimRight();
    after.TrimLeft().TrimRight();
  }
  left = std::move(before);
  right = std::move(after);
  delimiter = found;
  return 1;
}

}  // namespace VelUt
