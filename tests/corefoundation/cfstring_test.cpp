// CFString, CFData and the reference counting every object shares.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <CoreFoundation/CoreFoundation.h>

#include "support/alloc_failure.h"

namespace {

constexpr CFStringEncoding kUtf8 = kCFStringEncodingUTF8, kAscii = kCFStringEncodingASCII,
                           kLatin1 = kCFStringEncodingISOLatin1,
                           kCp1252 = kCFStringEncodingWindowsLatin1,
                           kUtf16 = kCFStringEncodingUTF16, kUtf16LE = kCFStringEncodingUTF16LE,
                           kUnknown = 0x0A01;

// CFStringCreateWithCString, or CFStringCreateWithBytes without and with isExternalRepresentation.
enum How { kCString, kBytes, kExternal };

TEST(CFString, CreateAndRead) {
  // Units: none when refused. No C string: an encoding with no C string of them.
  const std::tuple<const char*, std::string, CFStringEncoding, How, std::optional<std::u16string>,
                   CFStringEncoding>
      rows[] = {
          {"empty", "", kUtf8, kCString, u"", 0},
          {"UTF-8", "a\xC3\xA9\xF0\x9F\x98\x80", kUtf8, kCString, u"a\u00E9\U0001F600", kAscii},
          {"truncated UTF-8", "a\xF0\x9F\x98", kUtf8, kCString, {}, 0},
          {"ASCII", "a~", kAscii, kCString, u"a~", 0},
          {"ASCII refuses 8-bit", "a\x80", kAscii, kCString, {}, 0},
          {"Latin-1", "\xE9\x80", kLatin1, kCString, u"\u00E9\u0080", 0},
          {"windows-1252", "\xE9\x80\x9F\x81", kCp1252, kCString, u"\u00E9\u20AC\u0178\u0081",
           kLatin1},
          {"unknown encoding", "a", kUnknown, kCString, {}, 0},
          {"UTF-16 is no C string", "a", kUtf16LE, kCString, {}, 0},
          {"zero bytes inside", std::string("a\0b", 3), kUtf8, kBytes, std::u16string(u"a\0b", 3),
           kUnknown},
          {"UTF-8 mark kept", "\xEF\xBB\xBFx", kUtf8, kBytes, u"\uFEFFx", 0},
          {"UTF-8 mark skipped", "\xEF\xBB\xBFx", kUtf8, kExternal, u"x", 0},
          {"UTF-16LE", std::string("a\0\x3D\xD8\x00\xDE", 6), kUtf16LE, kBytes, u"a\U0001F600",
           kCp1252},
          {"UTF-16, big-endian by default", std::string("\0a", 2), kUtf16, kExternal, u"a", 0},
          {"UTF-16, LE mark", std::string("\xFF\xFE\x61\0", 4), kUtf16, kExternal, u"a", 0},
          {"UTF-16, BE mark", std::string("\xFE\xFF\0a", 4), kUtf16, kExternal, u"a", 0},
          {"unpaired surrogate kept", std::string("\0\xD8", 2), kUtf16LE, kBytes, u"\xD800", kUtf8},
          {"UTF-16 of odd length", std::string("a\0b", 3), kUtf16LE, kBytes, {}, 0},
      };
  for (const auto& [name, bytes, encoding, how, units, no_cstring] : rows) {
    SCOPED_TRACE(name);
    const auto size = static_cast<CFIndex>(bytes.size());
    CFStringRef s = how == kCString ? CFStringCreateWithCString(nullptr, bytes.c_str(), encoding)
                                    : CFStringCreateWithBytes(
                                          nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                          size, encoding, how == kExternal);
    ASSERT_EQ(s != nullptr, units.has_value());
    if (s == nullptr) continue;
    // Read in pieces from before the start to past the end: what lies outside stays '#'.
    const CFIndex length = CFStringGetLength(s);
    std::u16string read(units->size() + 2, u'#');
    auto* buffer = reinterpret_cast<UniChar*>(&read[0]);
    CFStringGetCharacters(s, CFRangeMake(LONG_MAX, 1), buffer);
    CFStringGetCharacters(s, CFRangeMake(1, LONG_MAX), buffer + 2);
    CFStringGetCharacters(s, CFRangeMake(-1, 2), buffer);
    EXPECT_EQ(read, u"#" + *units + u"#");
    EXPECT_EQ(0, CFStringGetCharacterAtIndex(s, length)) << "the unit past the end";
    EXPECT_EQ(0, CFStringGetCharacterAtIndex(s, -1)) << "the unit before the start";
    std::string out(bytes.size() + 2, '#');
    if (how == kCString) {
      EXPECT_FALSE(CFStringGetCString(s, &out[0], size, encoding));
      EXPECT_TRUE(CFStringGetCString(s, &out[0], size + 1, encoding));
      EXPECT_EQ(out, bytes + '\0' + '#');  // never a byte beyond the buffer
    }
    char none[32];
    EXPECT_TRUE(no_cstring == 0 || !CFStringGetCString(s, none, sizeof none, no_cstring));
    CFRelease(s);
  }
  const UniChar a[] = {'a'};
  // Refused: no bytes, negative lengths, more than memory holds, no units for "".
  const auto* bytes = reinterpret_cast<const UInt8*>(a);
  const std::pair<const char*, const void*> refused[] = {
      {"C string of null", CFStringCreateWithCString(nullptr, nullptr, kUtf8)},
      {"null bytes", CFStringCreateWithBytes(nullptr, nullptr, 1, kUtf8, false)},
      {"-1 bytes", CFStringCreateWithBytes(nullptr, bytes, -1, kUtf8, false)},
      {"null units", CFStringCreateWithCharacters(nullptr, nullptr, 1)},
      {"-1 units", CFStringCreateWithCharacters(nullptr, a, -1)},
      {"LONG_MAX units", CFStringCreateWithCharacters(nullptr, a, LONG_MAX)},
      {"units of \"\"", CFStringGetCharactersPtr(CFSTR(""))},
      {"data of null", CFDataCreate(nullptr, nullptr, 1)},
      {"data of -1 bytes", CFDataCreate(nullptr, bytes, -1)}};
  for (const auto& [call, p] : refused) EXPECT_EQ(nullptr, p) << call;
  // The most bytes 3 units take: three a unit in UTF-8, one in the 8-bit sets, two in UTF-16.
  const std::pair<CFStringEncoding, CFIndex> most[] = {{kUtf8, 9}, {kLatin1, 3}, {kUtf16LE, 6}};
  for (const auto& [encoding, bytes] : most)
    EXPECT_EQ(bytes, CFStringGetMaximumSizeForEncoding(3, encoding)) << "encoding " << encoding;
}

// Folding covers A-Z only, the order is the UTF-16 units'; null sorts first and equals nothing.
TEST(CFString, CompareAndEqual) {
  const CFComparisonResult kLess = kCFCompareLessThan, kSame = kCFCompareEqualTo,
                           kMore = kCFCompareGreaterThan;
  const std::tuple<const char*, const char*, CFOptionFlags, CFComparisonResult> rows[] = {
      {"a", "ab", 0, kLess},  {"ab", "a", 0, kMore},  {"a", "a", 0, kSame},
      {"ID", "id", 0, kLess}, {"ID", "id", 1, kSame}, {nullptr, "a", 0, kLess},
  };
  for (const auto& [left, right, flags, expected] : rows) {
    CFStringRef a = __CFStringMakeConstantString(left);
    CFStringRef b = CFStringCreateWithCString(nullptr, right, kUtf8);
    EXPECT_EQ(CFStringCompare(a, b, flags), expected) << left << " vs " << right;
    EXPECT_EQ(CFEqual(a, b), expected == kSame && flags == 0) << left << " vs " << right;
    CFRelease(b);
  }
  EXPECT_EQ(CFStringCompare(nullptr, nullptr, 0), kSame);
  EXPECT_EQ(CFStringCompare(CFSTR("\xC3\x89"), CFSTR("\xC3\xA9"), 1), kLess);
  EXPECT_EQ(CFStringCompare(CFSTR("\xF0\x90\x80\x80"), CFSTR("\xEE\x80\x80"), 0), kLess);
}

// Above 0xFFFF a character is written as two surrogates, at or below as itself; past
// 0x10FFFF there is no pair and the unit written is the character's low 16 bits.
TEST(CFString, SurrogatePairForLongCharacter) {
  const std::tuple<UTF32Char, bool, std::u16string> rows[] = {{0xFFFF, false, u"\uFFFF#"},
                                                              {0x10000, true, u"\U00010000"},
                                                              {0x10FFFF, true, u"\U0010FFFF"},
                                                              {0x110000, false, {u"\0#", 2}}};
  for (const auto& [character, pair, units] : rows) {
    UniChar out[2] = {'#', '#'};
    EXPECT_EQ(pair, CFStringGetSurrogatePairForLongCharacter(character, out)) << character;
    EXPECT_EQ(units, std::u16string(out, out + 2)) << "the units of " << character;
    EXPECT_EQ(pair, CFStringGetSurrogatePairForLongCharacter(character, nullptr)) << character;
  }
}

// A constant is never counted (the thread test makes one on eight threads); data are copies.
TEST(CFString, ConstantsAndData) {
  const CFIndex count = CFGetRetainCount(CFRetain(CFSTR("constant")));
  CFRelease(CFSTR("constant")), CFRelease(CFSTR("constant"));
  EXPECT_EQ(CFGetRetainCount(CFSTR("constant")), count);
  EXPECT_EQ(__CFStringMakeConstantString("\xFF"), nullptr);
  const UInt8 bytes[] = {0, 1, 2, 0xFF};
  CFDataRef data[] = {CFDataCreate(nullptr, bytes, 4), CFDataCreate(nullptr, bytes, 4),
                      CFDataCreate(nullptr, bytes, 3), CFDataCreate(nullptr, nullptr, 0)};
  EXPECT_NE(CFDataGetBytePtr(data[0]), bytes);
  EXPECT_EQ(0xFF, CFDataGetBytePtr(data[0])[3]) << "the last byte";
  EXPECT_EQ(4, CFDataGetLength(data[0]));
  EXPECT_TRUE(CFEqual(data[0], data[1]) && CFGetTypeID(data[0]) == CFDataGetTypeID());
  EXPECT_FALSE(CFEqual(data[0], data[2]) || CFEqual(data[0], CFSTR("abcd")));
  EXPECT_NE(CFDataGetBytePtr(data[3]), nullptr);  // even when empty
  for (CFDataRef d : data) CFRelease(d);
}

// Out of memory the object makers give null, CFStringGetCString of a long text false.
TEST(CFString, OutOfMemory) {
  const std::string text(40, 'x'), constant = "kept " + std::to_string(getpid());
  CFStringRef made = CFStringCreateWithCString(nullptr, text.c_str(), kUtf8);
  for (long n = 1; n <= 8; ++n) {
    char buffer[64] = {};
    velut_test::AllocationFailure failure(n, velut_test::AllocationFailure::kBadAlloc);
    const CFTypeRef objects[] = {CFStringCreateWithCString(nullptr, text.c_str(), kUtf8),
                                 CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("ab"), 2),
                                 __CFStringMakeConstantString((constant + char('0' + n)).c_str())};
    const bool read = CFStringGetCString(made, buffer, sizeof buffer, kUtf8);
    EXPECT_EQ(read, buffer == text);
    // The failed allocation fails exactly one call.
    std::string failed = read ? "" : "CFStringGetCString ";
    for (int i = 0; i < 3; ++i)
      failed += objects[i] == nullptr ? "object " + std::to_string(i) : "";
    EXPECT_EQ(failure.Fired(), std::count(failed.begin(), failed.end(), ' '))
        << n << ": " << failed;
    for (CFTypeRef o : {objects[0], objects[1]})
      o != nullptr ? CFRelease(o) : void();  // constants stay
  }
  CFRelease(made);
}

}  // namespace
