// Conversions between the layer's wide text (UTF-32 wchar_t) and the
// CoreFoundation strings of the XML tree (UTF-16 CFString).
// Differs from Win32: these conversions are additions: they are the
// platform-string conversions of the applications' own porting layer, kept
// under their names.
#pragma once

#include <string>

#include <CoreFoundation/CFString.h>
#include <WinAPI/Export.h>

// CreateCFStringFromUTF32: a new CFString holding `text`, which the caller
// releases with CFRelease. A character above U+FFFF becomes a surrogate
// pair; a unit that is not a Unicode scalar value (a surrogate, a value
// above 0x10FFFF) becomes U+FFFD. Null `text` gives the empty string; null
// is returned only when memory runs out.
// No Win32 namesake.
//
// Example:
//   CreateCFStringFromUTF32(L"a\U0001F600")  -> CFString of 3 units
//                                               'a', 0xD83D, 0xDE00
VELWIN_API CFStringRef CreateCFStringFromUTF32(const wchar_t* text);

// CFString2CString: replaces `target` with the text of `str`, one wchar_t
// per character: a surrogate pair joins into one unit, an unpaired
// surrogate becomes U+FFFD. Returns true; a null `str` makes `target`
// empty and returns false. Pass a CStdStr<wchar_t> as `target`.
// No Win32 namesake.
//
// Example:
//   CFString2CString(CFSTR("\U0001F600"), s)  -> true, s == L"\U0001F600"
//   CFString2CString(nullptr, s)              -> false, s == L""
VELWIN_API bool CFString2CString(CFStringRef str, std::wstring& target);
