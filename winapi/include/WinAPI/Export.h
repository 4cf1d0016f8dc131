// Symbol export for libWinAPI: the library is built with hidden visibility,
// so only declarations marked VELWIN_API are visible to its users.
#pragma once

#define VELWIN_API __attribute__((visibility("default")))
