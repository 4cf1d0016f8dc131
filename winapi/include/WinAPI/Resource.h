// Resource modules: the current one, and string resources read from it.
#pragma once

#include <string>

#include <WinAPI/Export.h>
#include <WinAPI/Types.h>

// AfxGetResourceHandle: the current resource module, whose resources are
// used when no module is named; null until one is set.
// MFC: AfxGetResourceHandle.
VELWIN_API HINSTANCE AfxGetResourceHandle();

// AfxSetResourceHandle: makes `module` the current resource module.
// MFC: AfxSetResourceHandle.
VELWIN_API void AfxSetResourceHandle(HINSTANCE module);

// loadStringFromWin32ResourceDLL: the string resource `id` of `module`
// (a library handle from LoadLibrary), or "" when the module is null or
// holds no such string.
VELWIN_API std::wstring loadStringFromWin32ResourceDLL(HMODULE module,
                                                       UINT id);
