// The process-wide cache of resource libraries and the loading of
// referenced strings.
#include <cwchar>
#include <new>

#include <VelUt/VelUtResString.h>

#include "platform/Layer.h"

// Constructed empty by this module's static initialisation; destroyed at
// exit without freeing any library.
CStdStrPtrMap VelUtResString::mResourceHandleMap;

namespace {

// The handle cached under `key`, loading library `name` (the key's text)
// on first use; null when it cannot be loaded.
void* HandleFor(const CStdStr<wchar_t>& key, const wchar_t* name) {
  void* handle = nullptr;
  if (VelUtResString::mResourceHandleMap.Lookup(key, handle)) return handle;
  handle = LoadLibrary(name);
  if (handle == nullptr && GetLastError() == ERROR_NOT_ENOUGH_MEMORY) throw std::bad_alloc();
  if (handle == nullptr) return nullptr;
  try {
    VelUtResString::mResourceHandleMap.SetAt(key.c_str(), handle);
  } catch (...) {
    // Not recorded, so FreeLibraries would never free it.
    FreeLibrary(handle);
    throw;
  }
  return handle;
}

}  // namespace

void* VelUtResString::GetResourceHandle(const wchar_t* name) {
  // The key: the text of the CStdStr of `name` (which reads small pointer
  // values as string ids) up to its first zero unit.
  CStdStr<wchar_t> key(name);
  key.resize(std::wcslen(key.c_str()));
  return HandleFor(key, name);
}

int VelUtResString::LoadFromResource(signed char force) {
  if ((mFlags & kReference) == 0) return 1;
  if ((mFlags & kLoaded) != 0 && force == 0) return 1;
  mText.clear();
  // A key never holds a zero unit (keys are made from texts), so when mSrc
  // is found it is the key GetResourceHandle would make of its text; it is
  // looked up as it stands, without a copy.
  void* handle = nullptr;
  if (!mResourceHandleMap.Lookup(mSrc, handle)) handle = GetResourceHandle(mSrc.c_str());
  // As CStdStr::Load, but into the text's own memory, which a text loaded
  // again reuses.
  if (handle == nullptr) handle = AfxGetResourceHandle();
  loadStringFromWin32ResourceDLL(static_cast<HMODULE>(handle), mId, mText);
  mFlags |= kLoaded;
  return mText.empty() ? 0 : 1;
}

int VelUtResString::FreeLibraries() {
  CStdStr<wchar_t> name;
  void* handle = nullptr;
  POSITION pos = mResourceHandleMap.GetStartPosition();
  while (pos) {
    mResourceHandleMap.GetNextAssoc(pos, name, handle);
    FreeLibrary(handle);
  }
  mResourceHandleMap.RemoveAll();
  return 1;
}
