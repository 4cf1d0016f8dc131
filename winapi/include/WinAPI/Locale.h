// The layer's classic locale object.
#pragma once

#include <locale>

#include <WinAPI/Export.h>

// g_locale_classic: a copy of std::locale::classic(), made when the layer
// is loaded. Its ctype<wchar_t> facet lowers only A-Z and counts only
// U+0009..U+000D and U+0020 as space; it never follows the global locale.
extern VELWIN_API const std::locale g_locale_classic;
