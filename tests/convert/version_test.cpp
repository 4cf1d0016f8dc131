// Version texts packed into 32-bit numbers.
#include <string>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

namespace {

TEST(StringToVersion, Table) {
  struct Row {
    const wchar_t* text;
    unsigned int version;
  };
  const Row rows[] = {
      {L"5", 0x50000},
      {L"2.1", 0x20001},
      {L"2.10", 0x2000A},
      {L"2.01", 0x20001},
      {L"1.2.3", 0x10017},
      {L"1.2.3.4", 0x100EA},
      {L"1.", 0x10000},
      {L".5", 5},
      {L"abc", 0},
      {L"70000.1", 0x11700001},
      {L"1.70000", 0x11170},
      {L"-1.2", 0xFFFF0002},
      {L"65535.65535", 0xFFFFFFFF},
      {L"65536.65536", 0},
      {L" 3 . 4", 0x30004},
      {L"3x.4y", 0x30004},
      {L"..7", 7},
      {L".", 0},
      {L"2147483648.1", 0xFFFF0001},  // the major saturates at INT_MAX
      {L"1.-2", 0x1FFFE},
      {L"1.2-3", 0x10002},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << std::wstring(r.text));
    unsigned int version = 12345;
    EXPECT_EQ(VelUt::StringToVersion(r.text, version), 1);
    EXPECT_EQ(version, r.version);
  }
}

TEST(StringToVersion, EmptyText) {
  unsigned int version = 12345;
  EXPECT_EQ(VelUt::StringToVersion(L"", version), 0);
  EXPECT_EQ(version, 0u);
}

// Versions pack so that they compare as numbers.
TEST(StringToVersion, PackedVersionsCompare) {
  const wchar_t* ordered[] = {L"0.9", L"1.0", L"1.1", L"1.9", L"1.10", L"2.0", L"10.0"};
  unsigned int previous = 0;
  for (const wchar_t* text : ordered) {
    SCOPED_TRACE(testing::Message() << std::wstring(text));
    unsigned int v = 0;
    VelUt::StringToVersion(text, v);
    EXPECT_GT(v, previous);
    previous = v;
  }
}

}  // namespace
