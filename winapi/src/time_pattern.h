// ICU date patterns as tokens, and the Win32 date and time pictures
// translated into them: the texts GetDateFormat and GetTimeFormat hand to
// ICU's formatters.
#pragma once

#include <string>
#include <vector>

#include <WinAPI/Time.h>

namespace velwin::detail {

// One piece of an ICU date pattern: a field (a run of one letter), literal
// text, or the gap where a picture's one-digit year or AM/PM initial goes.
struct Token {
  char16_t letter = 0;  // 0: literal
  int count = 0;
  std::u16string text;  // the literal's text
};

// The letter of a gap token.
constexpr char16_t kGap = u'\1';

// The tokens of an ICU pattern: quoted text and "''" become literals.
std::vector<Token> ParsePattern(const std::u16string& p);

// The ICU pattern of `tokens`, literals quoted.
std::u16string RenderPattern(const std::vector<Token>& tokens);

// The tokens with each gap replaced by the literal `gap`.
std::vector<Token> FillGaps(const std::vector<Token>& tokens, const std::u16string& gap);

// The time flags that change a time pattern.
constexpr DWORD kTimePatternFlags =
    TIME_NOMINUTESORSECONDS | TIME_NOSECONDS | TIME_NOTIMEMARKER | TIME_FORCE24HOURFORMAT;

// Applies the time flags of kTimePatternFlags to a time pattern, before its
// gaps are filled: removes the minutes and seconds, or the seconds, and the
// AM/PM marker, each with the literal that joins it, and turns 12-hour
// fields into 24-hour ones. `picture`: the tokens come from a caller's
// picture, whose "t" and "tt" stay in 24-hour form.
void ApplyTimeFlags(std::vector<Token>& tokens, DWORD flags, bool picture);

// Translates a Win32 date or time picture into pattern tokens. Letters
// outside the picture's set, and text in single quotes, are literal. A
// year without century and leading zero ("y") and the first character of
// the AM/PM marker ("t"), which ICU patterns cannot say, become gaps.
std::vector<Token> TranslatePicture(const wchar_t* picture, bool date);

}  // namespace velwin::detail
