// Symbol export for libVelUt: the library is built with hidden visibility,
// so only declarations marked VELUT_API are visible to its users.
#pragma once

// VELUT_API: marks a declaration as exported from libVelUt.
#define VELUT_API __attribute__((visibility("default")))
