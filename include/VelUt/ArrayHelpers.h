// Sorting and searching number arrays, searching string and pointer lists,
// and removing duplicate paths from a list of strings.
#pragma once

#include <vector>

#include <VelUt/Export.h>
#include <VelUt/StdContainer.h>
#include <VelUt/StdStr.h>

namespace VelUt {

// SortArray: sorts `values` in ascending unsigned order, in place and
// without allocating (a Shell sort whose gaps start at half the count and
// are halved down to 1).
// Example: {5, 4294967295, 0, 5} -> {0, 5, 5, 4294967295}
VELUT_API void SortArray(CArray<unsigned int, unsigned int>& values);

// FindInArray (strings): the index of the first entry of `list` equal to
// `text`, or -1. With `matchCase` non-zero the entry must have the same
// length and the same units; with `matchCase` zero the entry and the text
// must collate equal once lowered through the global locale, as
// CStdStr::CollateNoCase decides (an entry is then read up to its first
// NUL unit). No trimming takes place. A null `text`, or a pointer value
// below 0x10000, counts as "".
// Example (list {"abc", "Abc ", "Abc"}):
//   FindInArray(L"Abc", list, 1) -> 2
//   FindInArray(L"Abc", list, 0) -> 0
VELUT_API int FindInArray(const wchar_t* text,
                          const CStdContainer<CStdStr<wchar_t>, std::vector>& list,
                          signed char matchCase);

// FindInArray (numbers): the index of the first element equal to `value`,
// or -1.
// Example: FindInArray(7u, {3, 7, 7}) -> 1
VELUT_API int FindInArray(unsigned int value, const CArray<unsigned int, unsigned int>& values);

// FindInArray (pointers): the index of the first element holding the
// address `item`, or -1. The pointers are never dereferenced.
VELUT_API int FindInArray(void* item, const CStdContainer<void*, std::vector>& list);

// RemoveDuplicates: removes from `list` every entry whose key equals the
// key of an earlier entry, and returns how many kept entries lost at least
// one duplicate. An entry's key is its text with leading and trailing
// white space trimmed, cut at its first NUL unit, and with one trailing
// separator removed by PathRemoveBackslash; keys are equal when they
// collate equal once lowered through the global locale (as
// CStdStr::CollateNoCase decides). Kept entries stay in their order and
// exactly as stored.
//
// Example:
//   {"a", "A", "a"}                          -> {"a"},       returns 1
//   {"a", "A", "b", "B"}                     -> {"a", "b"},  returns 2
//   {"C:\\Temp\\", " c:\\temp", "C:\\TEMP "} -> {"C:\\Temp\\"}, returns 1
//   {"a b", "a  b"}                          -> unchanged,   returns 0
VELUT_API int RemoveDuplicates(CStdContainer<CStdStr<wchar_t>, std::vector>& list);

}  // namespace VelUt
