#include "time_pattern.h"

#include <textbase/unicode.h>

#include <algorithm>
#include <utility>

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
      for (++i; i < p.size(); ++i) {
        if (p[i] == u'\'') {
          if (i + 1 < p.size() && p[i + 1] == u'\'') {
            lit += u'\'';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        lit += p[i];
      }
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
  for (const wchar_t* p = picture; *p != L'\0';) {
    const wchar_t c = *p;
    // Quoted text: inside it "''" is one quote; "''" outside it is an
    // empty quoted text.
    if (c == L'\'') {
      ++p;
      while (*p != L'\0') {
        if (*p == L'\'') {
          if (p[1] == L'\'') {
            literal(L'\'');
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        literal(*p++);
      }
      continue;
    }
    // Only the picture's own letters are counted as runs: counting a run
    // of literal letters at each of them would take the square of its
    // length.
    if (!IsPictureLetter(c, date)) {
      literal(c);
      ++p;
      continue;
    }
    int n = 0;
    while (p[n] == c) ++n;
    p += n;
    switch (c) {
      case L'd':
        if (n <= 2)
          tokens.push_back(Token{u'd', n, {}});
        else
          tokens.push_back(Token{u'E', n == 3 ? 3 : 4, {}});
        break;
      case L'M':
        tokens.push_back(Token{u'M', n > 4 ? 4 : n, {}});
        break;
      case L'y':
        if (n == 1)
          tokens.push_back(Token{kGap, 1, {}});
        else
          tokens.push_back(Token{u'y', n == 2 ? 2 : n <= 4 ? 4 : 1, {}});
        break;
      case L'g':
        tokens.push_back(Token{u'G', 1, {}});
        break;
      case L't':
        if (n == 1)
          tokens.push_back(Token{kGap, 1, {}});
        else
          tokens.push_back(Token{u'a', 1, {}});
        break;
      default:  // h H m s
        tokens.push_back(Token{static_cast<char16_t>(c), n > 2 ? 2 : n, {}});
        break;
    }
  }
  return tokens;
}

}  // namespace velwin::detail
