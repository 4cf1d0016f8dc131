// Symbol export for libVelUt: the library is built with hidden visibility,
// so only declarations marked VELUT_API are visible to its users.
#pragma once

#define VELUT_API __attribute__((visibility("default")))
