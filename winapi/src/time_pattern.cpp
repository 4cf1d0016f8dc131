#include "time_pattern.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include <textbase/unicode.h>

namespace velwin::detail {
namespace {

bool IsPatternLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

void AddLiteral(std::vector<Token>& tokens, const std::u16string& text) {
  if (text.empty()) return;
  if (!tokens.empty() && tokens.back().letter == 0)
    tokens.back().text += text;
  else
    tokens.push_back(Token{0, 0, text});
}

// Removes each field whose letter is in `letters`, with the literal that
// joins it to its neighbour: the one before it when a field precedes that
// literal, else the one after it. In a Win32 picture (`picture`), the text
// after the field belongs to it too, as Windows drops it: that literal
// keeps only its blanks. One pass: `out` holds what is kept of the tokens
// before the current one.
void RemoveFields(std::vector<Token>& t, const std::u16string& letters, bool picture) {
  std::vector<Token> out;
  out.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i].letter == 0 || letters.find(t[i].letter) == std::u16string::npos) {
      out.push_back(std::move(t[i]));
      continue;
    }
    const bool literal_before = !out.empty() && out.back().letter == 0;
    const bool literal_after = i + 1 < t.size() && t[i + 1].letter == 0;
    // A literal that opens the format goes only when nothing follows.
    if (literal_before && (out.size() >= 2 || !literal_after)) {
      out.pop_back();
      if (picture && literal_after) {
        std::u16string& text = t[i + 1].text;
        text.erase(std::remove_if(text.begin(), text.end(), [](char16_t c) { return c != u' '; }),
                   text.end());
        if (text.empty()) ++i;
      }
    } else if (literal_after) {
      ++i;
    }
  }
  t.swap(out);
}

// True for the letters a date picture (`date`) or a time picture uses.
bool IsPictureLetter(wchar_t c, bool date) {
  return date ? c == L'd' || c == L'M' || c == L'y' || c == L'g'
              : c == L'h' || c == L'H' || c == L'm' || c == L's' || c == L't';
}

// Reads the quoted text that opens `text` with a quote, as both ICU
// patterns and Win32 pictures write it: inside it "''" is one quote, and it
// ends at the next quote on its own or with `text`. Appends the text to
// `literal` and returns the units read, quotes included.
template <typename Char>
std::size_t ReadQuoted(std::basic_string_view<Char> text, std::basic_string<Char>& literal) {
  std::size_t i = 1;
  for (; i < text.size(); ++i) {
    if (text[i] != Char('\'')) {
      literal += text[i];
      continue;
    }
    if (i + 1 == text.size() || text[i + 1] != Char('\'')) return i + 1;
    literal += text[i++];
  }
  return i;
}

// The token of a run of `n` letters `c` of a Win32 picture.
Token PictureField(wchar_t c, int n) {
  switch (c) {
    case L'd':
      return n <= 2 ? Token{u'd', n, {}} : Token{u'E', n == 3 ? 3 : 4, {}};
    case L'M':
      return Token{u'M', n > 4 ? 4 : n, {}};
    case L'y':
      if (n == 1) return Token{kGap, 1, {}};
      return Token{u'y', n == 2 ? 2 : n <= 4 ? 4 : 1, {}};
    case L'g':
      return Token{u'G', 1, {}};
    case L't':
      return n == 1 ? Token{kGap, 1, {}} : Token{u'a', 1, {}};
    default:  // h H m s
      return Token{static_cast<char16_t>(c), n > 2 ? 2 : n, {}};
  }
}

}  // namespace

std::vector<Token> ParsePattern(const std::u16string& p) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < p.size();) {
    const char16_t c = p[i];
    if (c == u'\'') {
      if (i + 1 < p.size() && p[i + 1] == u'\'') {
        AddLiteral(tokens, u"'");
        i += 2;
        continue;
      }
      std::u16string lit;
      i += ReadQuoted(std::u16string_view(p).substr(i), lit);
      AddLiteral(tokens, lit);
    } else if (IsPatternLetter(c)) {
      std::size_t j = i;
      while (j < p.size() && p[j] == c) ++j;
      tokens.push_back(Token{c, static_cast<int>(j - i), {}});
      i = j;
    } else {
      AddLiteral(tokens, std::u16string(1, c));
      ++i;
    }
  }
  return tokens;
}

std::u16string RenderPattern(const std::vector<Token>& tokens) {
  std::u16string p;
  for (const Token& t : tokens) {
    if (t.letter != 0) {
      p.append(static_cast<std::size_t>(t.count), t.letter);
      continue;
    }
    // ICU reads "''" as a quote wherever it stands, so quotes that open a
    // literal are written that way; the rest goes in one quoted run.
    std::size_t i = 0;
    for (; i < t.text.size() && t.text[i] == u'\''; ++i) p += u"''";
    if (i == t.text.size()) continue;
    p += u'\'';
    for (; i < t.text.size(); ++i) {
      if (t.text[i] == u'\'') p += u'\'';
      p += t.text[i];
    }
    p += u'\'';
  }
  return p;
}

std::vector<Token> FillGaps(const std::vector<Token>& tokens, const std::u16string& gap) {
  std::vector<Token> out;
  out.reserve(tokens.size());
  for (const Token& t : tokens) {
    if (t.letter == 0 || t.letter == kGap)
      AddLiteral(out, t.letter == 0 ? t.text : gap);
    else
      out.push_back(t);
  }
  return out;
}

void ApplyTimeFlags(std::vector<Token>& tokens, DWORD flags, bool picture) {
  if (flags & TIME_NOMINUTESORSECONDS)
    RemoveFields(tokens, u"msS", picture);
  else if (flags & TIME_NOSECONDS)
    RemoveFields(tokens, u"sS", picture);
  // A picture's own "t" or "tt" stays in 24-hour form; only
  // TIME_NOTIMEMARKER removes it.
  const std::u16string markers = {u'a', u'b', u'B', kGap};
  if ((flags & TIME_NOTIMEMARKER) || ((flags & TIME_FORCE24HOURFORMAT) && !picture))
    RemoveFields(tokens, markers, picture);
  if (flags & TIME_FORCE24HOURFORMAT) {
    for (Token& t : tokens)
      if (t.letter == u'h' || t.letter == u'K' || t.letter == u'k') t.letter = u'H';
  }
}

std::vector<Token> TranslatePicture(const wchar_t* picture, bool date) {
  std::vector<Token> tokens;
  auto literal = [&tokens](wchar_t c) {
    const auto u = static_cast<char32_t>(c);
    std::u16string units;
    // A lone surrogate stays one unit, as the picture has it.
    velut::textbase::AppendUtf16(units, u <= 0x10FFFF ? u : velut::textbase::kReplacementCharacter);
    AddLiteral(tokens, units);
  };
  const std::wstring_view text(picture);
  for (std::size_t i = 0; i < text.size();) {
    const wchar_t c = text[i];
    // Quoted text: inside it "''" is one quote; "''" outside it is an
    // empty quoted text.
    if (c == L'\'') {
      std::wstring quoted;
      i += ReadQuoted(text.substr(i), quoted);
      for (const wchar_t q : quoted) literal(q);
      continue;
    }
    // Only the picture's own letters are counted as runs: counting a run
    // of literal letters at each of them would take the square of its
    // length.
    if (!IsPictureLetter(c, date)) {
      literal(c);
      ++i;
      continue;
    }
    std::size_t n = 1;
    while (i + n < text.size() && text[i + n] == c) ++n;
    i += n;
    tokens.push_back(PictureField(c, static_cast<int>(n)));
  }
  return tokens;
}

}  // namespace velwin::detail
