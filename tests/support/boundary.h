// Test support: the lengths around the library's 1024-unit working buffers, and
// buffers with guard units after them.
#pragma once

#include <cstddef>
#include <string>

#include <gtest/gtest.h>

namespace velut_test {

// Just below, at, just above and far beyond a 1024-unit buffer.
inline constexpr std::size_t kBufferLengths[] = {1023, 1024, 1025, 5000};

// Calls check(length) for each of kBufferLengths, the length in the trace.
template <typename Check>
void ForBufferLengths(Check check) {
  for (const std::size_t length : kBufferLengths) {
    SCOPED_TRACE(testing::Message() << length << " units");
    check(length);
  }
}

// The fill of a guarded buffer: a noncharacter, which no call writes.
inline constexpr wchar_t kGuardUnit = L'\uFFFF';

// `size` units for a call to write into, then `guard` units more, all kGuardUnit.
inline std::wstring GuardedBuffer(std::size_t size, std::size_t guard = 8) {
  return std::wstring(size + guard, kGuardUnit);
}

// What the `guard` units past a buffer hold while nothing was written there.
inline std::wstring Guard(std::size_t guard = 8) { return std::wstring(guard, kGuardUnit); }

}  // namespace velut_test
