// Symbol export for the XML-tree layer (libvelcf): the library is built with
// hidden visibility, so only declarations marked VELCF_API are visible to
// its users.
#pragma once

// VELCF_API: marks a declaration as exported from libvelcf.
#define VELCF_API __attribute__((visibility("default")))
