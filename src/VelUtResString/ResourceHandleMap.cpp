// The process-wide cache of resource libraries and the loading of
// referenced strings.
#include <VelUt/VelUtResString.h>

#include "platform/layer.h"

// Constructed empty by this module's static initialisation; destroyed at
// exit without freeing any library.
CStdStrPtrMap VelUtResString::mResourceHandleMap;

void* VelUtResString::GetResourceHandle(const wchar_t* name) {
  const CStdStr<wchar_t> key(name);
  void* handle = nullptr;
  if (mResourceHandleMap.Lookup(key.c_str(), handle)) return handle;
  handle = LoadLibrary(name);
  if (handle == nullptr) return nullptr;
  mResourceHandleMap.SetAt(key.c_str(), handle);
  return handle;
}

int VelUtResString::LoadFromResource(signed char force) {
  if ((mFlags & kReference) == 0) return 1;
  if ((mFlags & kLoaded) != 0 && force == 0) return 1;
  mText.clear();
  void* handle = GetResourceHandle(mSrc.c_str());
  const bool ok = mText.Load(mId, handle);
  mFlags |= kLoaded;
  return ok ? 1 : 0;
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
