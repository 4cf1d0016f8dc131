// Whole-text UTF-8 conversions with the Win32 conversions' rules: how far
// the output goes, where a refused byte or unit stops them, what counting
// without an output allows. The paths that do the work give identical
// results; the fuzz target holds them to it.
#pragma once

#include <cstddef>
#include <cstdint>

#include <textbase/unicode.h>

namespace velut::textbase {

enum class Utf8Path {
  kPlain,     // portable C++, one sequence at a time
  kBaseline,  // the vectors every CPU of the family has (SSE2 on x86-64), else plain
  kFastest,   // kBaseline, with SSSE3's byte shuffle where this CPU has it
};

// How a whole-text conversion ended.
enum class Utf8Outcome {
  kDone,
  kRefused,  // a byte or unit that Utf8Errors::kStop refuses
  kFull,     // the next unit or sequence would go past the room
};

struct Utf8Result {
  std::size_t count;  // units or bytes written (or counted) before the end
  Utf8Outcome outcome;
};

// Decodes the UTF-8 [p, p + n) into `out`, at most `room` units; with `out`
// null it only counts them, up to `room` still. What is not UTF-8 is
// refused, or becomes U+FFFD one byte at a time, as `errors` says.
Utf8Result DecodeUtf8Text(const std::uint8_t* p, std::size_t n, wchar_t* out, std::size_t room,
                          Utf8Errors errors, Utf8Path path = Utf8Path::kFastest);

// Encodes the wide [p, p + n) as UTF-8 into `out`, at most `room` bytes (a
// sequence goes whole or not at all); with `out` null it only counts them.
// A unit that is no scalar value is refused or written as U+FFFD, as
// `errors` says.
Utf8Result EncodeUtf8Text(const wchar_t* p, std::size_t n, char* out, std::size_t room,
                          Utf8Errors errors, Utf8Path path = Utf8Path::kFastest);

}  // namespace velut::textbase
