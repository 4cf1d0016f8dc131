// UTF-8 text and the layer's wide strings, by the rule of native paths: no
// byte is lost on the way in and none is made up on the way out, so that a
// file name read from the system reaches the system again unchanged.
#pragma once

#include <string>
#include <string_view>

#include <WinAPI/Export.h>

// Utf8ToWide: the wide text of the UTF-8 `bytes`, one unit a code point.
// Each byte that is no part of a valid, shortest-form sequence becomes the
// unit U+DC00 + byte (U+DC80..U+DCFF), as NativeToPath reads file names,
// so WideToUtf8 gives the same bytes back. (MultiByteToWideChar puts U+FFFD
// in their place instead.)
// No Win32 namesake.
//
// Example:
//   Utf8ToWide("caf\xC3\xA9")   -> L"caf\u00E9"
//   Utf8ToWide("n\xE9.txt")     -> L"n\xDCE9.txt"
//   Utf8ToWide("\xC0\xAF")      -> L"\xDCC0\xDCAF" (an overlong '/')
VELWIN_API std::wstring Utf8ToWide(std::string_view bytes);

// WideToUtf8: the UTF-8 form of `text`. The units U+DC80..U+DCFF become the
// single bytes they stand for; any other unit that is no Unicode scalar
// value (a surrogate, a value past U+10FFFF) becomes U+FFFD.
// No Win32 namesake.
//
// Example:
//   WideToUtf8(L"caf\u00E9")     -> "caf\xC3\xA9"
//   WideToUtf8(L"n\xDCE9.txt")   -> "n\xE9.txt"
//   WideToUtf8(L"a\xD800")       -> "a\xEF\xBF\xBD"
VELWIN_API std::string WideToUtf8(std::wstring_view text);
