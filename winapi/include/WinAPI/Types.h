// The Win32 scalar and handle types that the layer's signatures use.
//
// BOOL is one byte, as on the platform the applications come from: a
// layer function's truth result is 0 or non-zero in a signed char.
#pragma once

#include <cstddef>
#include <cstdint>

// Integers of the Win32 signatures, of the widths Windows gives them.
typedef std::uint32_t DWORD;
typedef std::uint16_t WORD;
typedef std::uint8_t BYTE;
typedef std::int32_t LONG;
typedef std::uint64_t ULONGLONG;
typedef std::uint32_t UINT;
typedef signed char BOOL;
typedef std::int32_t HRESULT;
typedef std::int32_t SCODE;
typedef int errno_t;

// Text pointers: wide (W, and T, which is always wide here), narrow (STR)
// and untyped.
typedef wchar_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef wchar_t* LPTSTR;
typedef const wchar_t* LPCTSTR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;

// Handles: opaque pointers to objects of the layer.
typedef void* HANDLE;
typedef void* HMODULE;
typedef void* HINSTANCE;
typedef void* HLOCAL;

// TRUE and FALSE: the two values of a BOOL.
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
