// Free file names, temporary file names, a write probe on a folder, and
// the status record of a file. Paths are path text in the layer's syntax
// (WinAPI/Path.h); the names these functions build are '\\'-separated.
#pragma once

#include <VelUt/Export.h>
#include <VelUt/StdStr.h>
#include <WinAPI/File.h>
#include <velfirst/VelString.h>

namespace VelUt {

// GetUniqueFileName: when `fileName` names something that exists, changes
// it into a free name in the same folder by numbering its file name: the
// base (the name without extension, less a trailing "_" and ASCII digits
// when it has them) and its extension give "base.ext", then "base_2.ext",
// "base_3.ext" and so on; the first of these that does not exist is the
// result. A file URL is turned into its local path first. Returns true
// when `fileName` names nothing that exists (it stays unchanged) or has
// been changed; false for a URL (IsUrl), which stays unchanged. Each call
// counts from 2 again, one existence test per candidate. When the folder
// and a candidate do not fit 1024 units, the result is ""; so it is when
// the number does not change the candidate (a name of 1024 units or more,
// whose number the formatter cuts off, or one made of separators only) or
// every number up to INT_MAX is taken.
//
// The name is only proposed: another thread or process may create it
// before the caller does. Create the file with O_CREAT | O_EXCL and, when
// that fails with EEXIST, call again for the next free name (see the
// README); O_TRUNC would overwrite the other writer's file.
//
// Example (C:\\d holding a.txt, a_2.txt and a_5.txt):
//   "C:\\d\\a.txt"   -> "C:\\d\\a_3.txt"
//   "C:\\d\\a_5.txt" -> "C:\\d\\a_3.txt"  (the base "a" is numbered afresh)
//   "C:\\d\\b.txt"   -> unchanged, true (free)
//   "a_b_3.txt" has base "a_b", "a_3_b.txt" base "a_3_b", "a_.txt" base "a"
VELUT_API bool GetUniqueFileName(CStdStr<wchar_t>& fileName);

// GetTempFile: a free file name in the temporary folder (GetTempPath, else
// the current folder): the layer's GetTempFileName creates the file with
// the first three units of `prefix`, and it is deleted again at once. With
// an `extension` (".dat", period included) the name gets it instead of its
// own, and is numbered with GetUniqueFileName when a file of that name
// exists. "" when no folder can be read or no name made. Nothing is left
// on disk; another process may take the name before the caller does.
//
// Example (TMPDIR unset):
//   GetTempFile(L"TMP", nullptr)  -> "\\tmp\\TMP1A2B.TMP"
//   GetTempFile(L"rep", L".dat")  -> "\\tmp\\rep7F3.dat"
VELUT_API VelString GetTempFile(const wchar_t* prefix, const wchar_t* extension);

// IsFolderReadOnly: 0 when a file can be created in the folder that `path`
// stands for, 1 otherwise. It does not read permissions: it creates a
// temporary file ("TMP" prefix) and deletes it again. An existing file
// stands for its folder; a path that does not exist stands for its nearest
// existing ancestor (its components are taken off one by one); a file URL
// for its local path. A URL (IsUrl), an empty text, or a path without any
// existing ancestor (a relative path whose folders do not exist) gives 1.
// On Linux every drive letter names the root folder, so a missing drive
// is probed as "/". `path` is read as CStdStr reads a text (null is "").
//
// Example:
//   IsFolderReadOnly(L"/home/u")                 -> 0 when /home/u is writable
//   IsFolderReadOnly(L"/home/u/new/sub/")        -> the answer for /home/u
//   IsFolderReadOnly(L"file:///home/u")          -> the answer for /home/u
//   IsFolderReadOnly(L"http://h/x"), (L"")       -> 1
VELUT_API signed char IsFolderReadOnly(const wchar_t* path);

// GetFileStatus: clears all of `status`, then fills it with the layer's
// CFile::GetStatus for `path` and returns its success. When that throws a
// COleException* (the file is there but its status cannot be read, see
// WinAPI/File.h), the exception is released and the result is true, with
// `status` as far as the layer wrote it: the full name, zero elsewhere.
//
// Example:
//   GetFileStatus(L"/etc/hostname", s) -> true, s.m_size > 0
//   GetFileStatus(L"/no/such", s)      -> false, s.m_szFullName == "\\no\\such"
VELUT_API bool GetFileStatus(const wchar_t* path, CFileStatus& status);

}  // namespace VelUt
