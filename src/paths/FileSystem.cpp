// File-system queries: the write probe on a folder and the status record.
#include <climits>
#include <cstring>

#include <VelUt/Files.h>
#include <VelUt/Url.h>

#include "platform/Layer.h"

namespace {

// The most units a path text can have and still name something: the
// system opens no native path of PATH_MAX bytes or more, every unit takes
// one byte at least, and only a drive "X:" takes none.
constexpr int kLongestPath = PATH_MAX - 1 + 2;

// `path` cut in place by a layer operation, in a 1024-unit buffer.
template <typename Edit>
CStdStr<wchar_t> Cut(const wchar_t* path, Edit edit) {
  CStdStr<wchar_t> text(path);
  edit(text.GetBuf(1024));
  text.RelBuf(-1);
  return text;
}

}  // namespace

namespace VelUt {

signed char IsFolderReadOnly(const wchar_t* path) {
  // Each round moves up one folder; every round's text is strictly
  // shorter than the one before, so the loop ends.
  VelString level(CStdStr<wchar_t>(path).c_str());
  for (;;) {
    VelString work(level);
    if (PathFileExists(work.c_str()) && !PathIsDirectory(work.c_str()))
      work.assign(Cut(level.c_str(), PathRemoveFileSpec).c_str());
    if (IsUrl(work.c_str())) return 1;
    FixUrl(work);
    // A text too long to name anything stays so for the ancestors of that
    // length, and when it is no URL of either kind they are none either:
    // they are passed over in one step instead of one round each.
    if (work.length() > kLongestPath && work.compare(level.c_str()) == 0)
      work.assign(work.substr(0, kLongestPath + 1).c_str());
    if (PathFileExists(work.c_str())) {
      CStdStr<wchar_t> probe;
      const UINT made = GetTempFileName(work.c_str(), L"TMP", 0, probe.GetBuf(1024));
      probe.RelBuf(-1);
      if (made == 0) return 1;
      DeleteFile(probe.c_str());
      return 0;
    }
    const CStdStr<wchar_t> trimmed = Cut(work.c_str(), PathRemoveBackslash);
    const CStdStr<wchar_t> shorter = Cut(trimmed.c_str(), PathRemoveFileSpec);
    if (work.compare(shorter.c_str()) == 0) return 1;
    level.assign(shorter.c_str());
  }
}

bool GetFileStatus(const wchar_t* path, CFileStatus& status) {
  std::memset(static_cast<void*>(&status), 0, sizeof status);
  try {
    return CFile::GetStatus(path, status) != 0;
  } catch (COleException* e) {
    e->Delete();
    return true;
  }
}

}  // namespace VelUt
