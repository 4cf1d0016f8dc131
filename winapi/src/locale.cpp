#include <WinAPI/Locale.h>

const std::locale g_locale_classic = std::locale::classic();
