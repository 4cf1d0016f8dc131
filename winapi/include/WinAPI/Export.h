// Symbol export for libWinAPI: the library is built with hidden visibility,
// so only declarations marked VELWIN_API are visible to its users.
#pragma once

// VELWIN_API: marks a declaration as exported from libWinAPI.
#define VELWIN_API __attribute__((visibility("default")))
