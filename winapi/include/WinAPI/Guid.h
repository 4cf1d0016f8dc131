// Globally unique identifiers and their registry text form, with the COM
// task allocator that hands the text to the caller.
//
// Differs from Win32: Linux has no registry, so CLSIDFromString reads the
// braced form only and looks up no program id (any other text is
// CO_E_CLASSSTRING).
#pragma once

#include <cstddef>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// _GUID: a 128-bit identifier, 16 bytes with no padding. Win32: GUID.
struct _GUID {
  // The 128 bits as Windows groups them: 32, 16 and 16 bits, then 8 bytes.
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
static_assert(sizeof(_GUID) == 16, "_GUID must be 16 bytes");

// The names Windows gives to a GUID, to references and pointers to one, and
// to OLE text (wide characters).
typedef _GUID GUID;
typedef GUID CLSID;
typedef GUID IID;
typedef const GUID& REFGUID;
typedef const CLSID& REFCLSID;
typedef CLSID* LPCLSID;
typedef wchar_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

// COM result codes that these functions return.
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);

// SUCCEEDED / FAILED: whether an HRESULT reports success (0 or more) or
// failure (negative). Win32: the SUCCEEDED and FAILED macros.
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// CoTaskMemAlloc: `size` bytes from the COM task allocator, or null when
// memory runs out. Release with CoTaskMemFree. Win32: CoTaskMemAlloc.
VELWIN_API LPVOID CoTaskMemAlloc(std::size_t size);

// CoTaskMemFree: releases a block from CoTaskMemAlloc or from a function
// that documents the task allocator (StringFromCLSID); null is ignored.
// Win32: CoTaskMemFree.
VELWIN_API void CoTaskMemFree(LPVOID block);

// StringFromCLSID: writes `clsid` in its braced registry form, 38
// characters with upper-case hexadecimal digits, into a new buffer that
// the caller releases with CoTaskMemFree. Returns S_OK, E_INVALIDARG when
// `text` is null, or E_OUTOFMEMORY (then *text is null).
// Win32: StringFromCLSID.
//
// Example:
//   {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB,
//   0xCD, 0xEF}} -> L"{12345678-9ABC-DEF0-0123-456789ABCDEF}"
VELWIN_API HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);

// CLSIDFromString: reads the braced registry form: "{", 8, 4, 4, 4 and 12
// hexadecimal digits (either case) separated by "-", then "}" and the end
// of the text. Anything else, a blank, a sign or a missing brace included,
// gives CO_E_CLASSSTRING and leaves *clsid all zero; a null `text` gives
// S_OK and the all-zero CLSID (CLSID_NULL); a null `clsid` E_INVALIDARG. (This layer has no
// registry, so program ids are never looked up.) Win32: CLSIDFromString.
//
// Example:
//   L"{12345678-9abc-DEF0-0123-456789ABCDEF}" -> S_OK
//   L"12345678-9ABC-DEF0-0123-456789ABCDEF"   -> CO_E_CLASSSTRING
VELWIN_API HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
