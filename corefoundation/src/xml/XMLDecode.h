// The first step of parsing: finds a document's encoding and turns its bytes
// into checked UTF-8 for pugixml.
#pragma once

#include <cstddef>
#include <memory>

#include <CoreFoundation/CFString.h>

namespace velcf::detail {

struct DecodedDocument {
  // The UTF-8 text: either the input itself or `storage`.
  const char* text = nullptr;
  std::size_t size = 0;
  std::unique_ptr<char[]> storage;
  CFStringEncoding encoding = kCFStringEncodingUTF8;
};

// Finds the encoding of the `size` bytes at `bytes` (byte-order mark, first
// character, XML declaration), checks that they are valid in it and hold
// only characters XML allows, and leaves their UTF-8 form in `out`, the
// byte-order mark removed. False when the encoding is unknown or the bytes
// are not valid in it.
bool DecodeDocument(const unsigned char* bytes, std::size_t size, DecodedDocument& out);

}  // namespace velcf::detail
