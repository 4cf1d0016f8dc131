// CFString, CFData and the shared object functions.
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <CoreFoundation/CoreFoundation.h>

namespace {

std::u16string Units(CFStringRef s) {
  std::u16string out(static_cast<std::size_t>(CFStringGetLength(s)), u'\0');
  std::vector<UniChar> buffer(out.size());
  CFStringGetCharacters(s, CFRangeMake(0, CFStringGetLength(s)), buffer.data());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = buffer[i];
  return out;
}

TEST(CFString, CreateWithCString) {
  struct Row {
    const char* name;
    std::string bytes;
    CFStringEncoding encoding;
    bool valid;
    std::u16string units;
  };
  const Row rows[] = {
      {"empty", "", kCFStringEncodingUTF8, true, u""},
      {"ASCII as UTF-8", "abc", kCFStringEncodingUTF8, true, u"abc"},
      {"two bytes", "\xC3\xA9", kCFStringEncodingUTF8, true, u"\u00E9"},
      {"four bytes", "\xF0\x9F\x98\x80", kCFStringEncodingUTF8, true, u"\U0001F600"},
      {"truncated", "\xF0\x9F\x98", kCFStringEncodingUTF8, false, u""},
      {"overlong", "\xC0\x80", kCFStringEncodingUTF8, false, u""},
      {"encoded surrogate", "\xED\xB0\x80", kCFStringEncodingUTF8, false, u""},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", kCFStringEncodingUTF8, false, u""},
      {"lone continuation", "\x80", kCFStringEncodingUTF8, false, u""},
      {"ASCII", "a~", kCFStringEncodingASCII, true, u"a~"},
      {"ASCII refuses 8-bit", "\xE9", kCFStringEncodingASCII, false, u""},
      {"Latin-1", "\xE9\x80", kCFStringEncodingISOLatin1, true, u"\u00E9\u0080"},
      {"windows-1252", "\xE9\x80\x9F\x81", kCFStringEncodingWindowsLatin1, true,
       u"\u00E9\u20AC\u0178\u0081"},
      {"unsupported", "a", 0x0A01, false, u""},
      {"UTF-16 needs bytes", "a", kCFStringEncodingUTF16LE, false, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, row.bytes.c_str(), row.encoding);
    ASSERT_EQ(s != nullptr, row.valid);
    if (s == nullptr) continue;
    EXPECT_EQ(Units(s), row.units);
    EXPECT_EQ(CFGetRetainCount(s), 1);
    EXPECT_EQ(CFGetTypeID(s), CFStringGetTypeID());
    CFRelease(s);
  }
  EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
}

TEST(CFString, CreateWithBytes) {
  struct Row {
    const char* name;
    std::string bytes;
    CFStringEncoding encoding;
    bool external;
    bool valid;
    std::u16string units;
  };
  const Row rows[] = {
      {"zero bytes inside", std::string("a\0b", 3), kCFStringEncodingUTF8, false, true,
       std::u16string(u"a\0b", 3)},
      {"UTF-8 BOM kept", "\xEF\xBB\xBFx", kCFStringEncodingUTF8, false, true, u"\uFEFFx"},
      {"UTF-8 BOM skipped", "\xEF\xBB\xBFx", kCFStringEncodingUTF8, true, true, u"x"},
      {"UTF-16LE", std::string("a\0\x3D\xD8\x00\xDE", 6), kCFStringEncodingUTF16LE, false, true,
       u"a\U0001F600"},
      {"UTF-16BE", std::string("\0a", 2), kCFStringEncodingUTF16BE, false, true, u"a"},
      {"UTF-16 with LE mark",
       std::string("\xFF\xFE"
                   "a\0",
                   4),
       kCFStringEncodingUTF16, true, true, u"a"},
      {"UTF-16 big-endian by default", std::string("\0a", 2), kCFStringEncodingUTF16, true, true,
       u"a"},
      {"UTF-16 with BE mark",
       std::string("\xFE\xFF\0"
                   "a",
                   4),
       kCFStringEncodingUTF16, true, true, u"a"},
      {"empty UTF-8", "", kCFStringEncodingUTF8, false, true, u""},
      {"empty in an unknown encoding", "", 0x0A01, false, false, u""},
      {"unknown encoding", "a", 0x0A01, false, false, u""},
      {"ASCII refuses high bytes", "a\x80", kCFStringEncodingASCII, false, false, u""},
      {"bad UTF-8", "a\xC3", kCFStringEncodingUTF8, false, false, u""},
      {"unpaired surrogate kept", std::string("\x00\xD8", 2), kCFStringEncodingUTF16LE, false, true,
       std::u16string(1, u'\xD800')},
      {"odd length", std::string("a\0b", 3), kCFStringEncodingUTF16LE, false, false, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CFStringRef s =
        CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(row.bytes.data()),
                                static_cast<CFIndex>(row.bytes.size()), row.encoding, row.external);
    ASSERT_EQ(s != nullptr, row.valid);
    if (s == nullptr) continue;
    EXPECT_EQ(Units(s), row.units);
    CFRelease(s);
  }
  EXPECT_EQ(CFStringCreateWithBytes(nullptr, nullptr, 1, kCFStringEncodingUTF8, false), nullptr);
  EXPECT_EQ(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>("a"), -1,
                                    kCFStringEncodingUTF8, false),
            nullptr);
}

TEST(CFString, CreateWithCharactersAndRead) {
  const UniChar units[] = {'h', 'e', 'l', 'l', 'o', 0xD83D, 0xDE00};
  CFStringRef s = CFStringCreateWithCharacters(nullptr, units, 7);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(CFStringGetLength(s), 7);
  EXPECT_EQ(CFStringGetCharacterAtIndex(s, 5), 0xD83D);
  EXPECT_EQ(CFStringGetCharacterAtIndex(s, 7), 0);
  EXPECT_EQ(CFStringGetCharacterAtIndex(s, -1), 0);
  ASSERT_NE(CFStringGetCharactersPtr(s), nullptr);
  EXPECT_EQ(CFStringGetCharactersPtr(s)[6], 0xDE00);

  // Ranges: buffer[i] is the unit at location + i; outside stays as it was.
  struct Row {
    CFIndex location;
    CFIndex length;
    std::u16string expected;  // '#' where nothing is written
  };
  const Row rows[] = {
      {0, 5, u"hello"},        {1, 3, u"ell"},
      {5, 2, u"\xD83D\xDE00"}, {4, 5, u"o\xD83D\xDE00##"},
      {-2, 4, u"##he"},        {7, 2, u"##"},
      {-5, 2, u"##"},          {3, 0, u""},
      {LONG_MAX, 1, u"#"},     {2, LONG_MAX, u"llo\xD83D\xDE00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.location) + "," + std::to_string(row.length));
    std::vector<UniChar> buffer(row.expected.size(), '#');
    CFStringGetCharacters(s, CFRangeMake(row.location, row.length), buffer.data());
    EXPECT_EQ(std::u16string(buffer.begin(), buffer.end()), row.expected);
  }
  CFRelease(s);

  CFStringRef empty = CFStringCreateWithCharacters(nullptr, nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(CFStringGetLength(empty), 0);
  EXPECT_EQ(CFStringGetCharactersPtr(empty), nullptr);
  CFRelease(empty);
  EXPECT_EQ(CFStringCreateWithCharacters(nullptr, nullptr, 1), nullptr);
  EXPECT_EQ(CFStringCreateWithCharacters(nullptr, units, -1), nullptr);
}

TEST(CFString, GetCString) {
  struct Row {
    const char* name;
    std::u16string units;
    CFStringEncoding encoding;
    CFIndex buffer_size;
    bool ok;
    std::string expected;
  };
  const Row rows[] = {
      {"UTF-8", u"\u00E9\U0001F600", kCFStringEncodingUTF8, 7, true, "\xC3\xA9\xF0\x9F\x98\x80"},
      {"UTF-8 one byte short", u"\u00E9\U0001F600", kCFStringEncodingUTF8, 6, false, ""},
      {"empty", u"", kCFStringEncodingUTF8, 1, true, ""},
      {"unpaired surrogate", std::u16string(1, u'\xDC00'), kCFStringEncodingUTF8, 8, false, ""},
      {"ASCII", u"ab", kCFStringEncodingASCII, 3, true, "ab"},
      {"ASCII refuses", u"\u00E9", kCFStringEncodingASCII, 8, false, ""},
      {"Latin-1", u"\u00E9", kCFStringEncodingISOLatin1, 2, true, "\xE9"},
      {"Latin-1 refuses", u"\u20AC", kCFStringEncodingISOLatin1, 8, false, ""},
      {"windows-1252", u"\u20AC\u00E9", kCFStringEncodingWindowsLatin1, 3, true, "\x80\xE9"},
      {"windows-1252 refuses", u"\u0100", kCFStringEncodingWindowsLatin1, 8, false, ""},
      {"UTF-16 is no C string", u"a", kCFStringEncodingUTF16, 8, false, ""},
      {"no room", u"a", kCFStringEncodingUTF8, 0, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<UniChar> units(row.units.begin(), row.units.end());
    CFStringRef s =
        CFStringCreateWithCharacters(nullptr, units.data(), static_cast<CFIndex>(units.size()));
    std::vector<char> buffer(static_cast<std::size_t>(row.buffer_size) + 1, '#');
    EXPECT_EQ(CFStringGetCString(s, buffer.data(), row.buffer_size, row.encoding), row.ok);
    if (row.ok) {
      EXPECT_EQ(std::string(buffer.data()), row.expected);
    }
    // Never a byte beyond the buffer.
    EXPECT_EQ(buffer.back(), '#');
    CFRelease(s);
  }
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF8), 30);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingUTF16LE), 20);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingASCII), 10);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingISOLatin1), 10);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(10, kCFStringEncodingWindowsLatin1), 10);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(LONG_MAX, kCFStringEncodingASCII), LONG_MAX);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(-1, kCFStringEncodingASCII), kCFNotFound);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(LONG_MAX, kCFStringEncodingUTF8), kCFNotFound);
  EXPECT_EQ(CFStringGetMaximumSizeForEncoding(1, 0x0A01), kCFNotFound);
}

TEST(CFString, CompareAndEqual) {
  struct Row {
    const char* a;
    const char* b;
    CFOptionFlags flags;
    CFComparisonResult expected;
  };
  const Row rows[] = {
      {"a", "b", 0, kCFCompareLessThan},
      {"b", "a", 0, kCFCompareGreaterThan},
      {"a", "a", 0, kCFCompareEqualTo},
      {"a", "ab", 0, kCFCompareLessThan},
      {"", "", 0, kCFCompareEqualTo},
      {"ID", "id", 0, kCFCompareLessThan},
      {"ID", "id", kCFCompareCaseInsensitive, kCFCompareEqualTo},
      {"\xC3\x89", "\xC3\xA9", kCFCompareCaseInsensitive, kCFCompareLessThan},
      // By UTF-16 units: a surrogate sorts before U+FFFD.
      {"\xF0\x9F\x98\x80", "\xEF\xBF\xBD", 0, kCFCompareLessThan},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.a) + " vs " + row.b);
    CFStringRef a = CFStringCreateWithCString(nullptr, row.a, kCFStringEncodingUTF8);
    CFStringRef b = CFStringCreateWithCString(nullptr, row.b, kCFStringEncodingUTF8);
    EXPECT_EQ(CFStringCompare(a, b, row.flags), row.expected);
    EXPECT_EQ(CFEqual(a, b), row.expected == kCFCompareEqualTo && row.flags == 0);
    CFRelease(a);
    CFRelease(b);
  }
  EXPECT_EQ(CFStringCompare(nullptr, CFSTR("a"), 0), kCFCompareLessThan);
  EXPECT_EQ(CFStringCompare(nullptr, nullptr, 0), kCFCompareEqualTo);
  EXPECT_FALSE(CFEqual(nullptr, nullptr));
  EXPECT_FALSE(CFEqual(CFSTR("a"), nullptr));
}

TEST(CFString, ConstantStrings) {
  CFStringRef a = CFSTR("constant");
  EXPECT_EQ(a, CFSTR("constant"));
  EXPECT_NE(a, CFSTR("other"));
  EXPECT_EQ(CFStringGetLength(CFSTR("\xF0\x9F\x98\x80")), 2);
  // Counting has no effect on a constant.
  const CFIndex count = CFGetRetainCount(a);
  EXPECT_GT(count, 1000000);
  CFRetain(a);
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(CFGetRetainCount(a), count);
  EXPECT_EQ(CFStringGetLength(a), 8);
  EXPECT_EQ(__CFStringMakeConstantString("\xFF"), nullptr);

  // The same constant from several threads at once.
  std::vector<std::thread> threads;
  std::vector<CFStringRef> seen(4);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&seen, i] { seen[i] = CFSTR("threaded"); });
  }
  for (auto& t : threads) t.join();
  for (CFStringRef s : seen) EXPECT_EQ(s, seen[0]);
}

TEST(CFString, SurrogateHelpers) {
  UniChar pair[2] = {0, 0};
  EXPECT_TRUE(CFStringGetSurrogatePairForLongCharacter(0x1F600, pair));
  EXPECT_EQ(pair[0], 0xD83D);
  EXPECT_EQ(pair[1], 0xDE00);
  EXPECT_EQ(CFStringGetLongCharacterForSurrogatePair(pair[0], pair[1]), 0x1F600u);
  EXPECT_TRUE(CFStringGetSurrogatePairForLongCharacter(0x10FFFF, pair));
  EXPECT_EQ(pair[0], 0xDBFF);
  EXPECT_EQ(pair[1], 0xDFFF);
  EXPECT_FALSE(CFStringGetSurrogatePairForLongCharacter(0xFFFF, pair));
  EXPECT_EQ(pair[0], 0xFFFF);
  EXPECT_TRUE(CFStringIsSurrogateHighCharacter(0xDBFF));
  EXPECT_FALSE(CFStringIsSurrogateHighCharacter(0xDC00));
  EXPECT_TRUE(CFStringIsSurrogateLowCharacter(0xDC00));
  EXPECT_FALSE(CFStringIsSurrogateLowCharacter(0xE000));
}

TEST(CFData, CreateAndRead) {
  const UInt8 bytes[] = {0, 1, 2, 0xFF};
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, 4);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(CFDataGetLength(data), 4);
  EXPECT_NE(CFDataGetBytePtr(data), bytes);  // a copy
  EXPECT_EQ(CFDataGetBytePtr(data)[3], 0xFF);
  EXPECT_EQ(CFGetTypeID(data), CFDataGetTypeID());

  CFDataRef same = CFDataCreate(nullptr, bytes, 4);
  CFDataRef shorter = CFDataCreate(nullptr, bytes, 3);
  EXPECT_TRUE(CFEqual(data, same));
  EXPECT_FALSE(CFEqual(data, shorter));
  EXPECT_FALSE(CFEqual(data, CFSTR("abcd")));
  CFRelease(same);
  CFRelease(shorter);
  CFRelease(data);

  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(CFDataGetLength(empty), 0);
  EXPECT_NE(CFDataGetBytePtr(empty), nullptr);
  CFRelease(empty);
  EXPECT_EQ(CFDataCreate(nullptr, nullptr, 1), nullptr);
  EXPECT_EQ(CFDataCreate(nullptr, bytes, -1), nullptr);
  EXPECT_EQ(CFDataGetLength(nullptr), 0);
  EXPECT_EQ(CFDataGetBytePtr(nullptr), nullptr);
}

TEST(CFBase, RetainAndReleaseFromManyThreads) {
  CFStringRef s = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([s] {
      for (int i = 0; i < 10000; ++i) {
        CFRetain(s);
        CFRelease(s);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(CFGetRetainCount(s), 1);
  CFRelease(s);
}

}  // namespace
