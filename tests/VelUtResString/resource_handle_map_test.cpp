// Loading referenced strings and the process-wide cache of resource
// libraries, with the LoadLibrary and FreeLibrary calls counted.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "support/interpose.h"
#include "support/rows.h"

namespace {

std::map<std::wstring, int> g_loads;  // calls per name
int g_frees = 0;
bool g_report_frees = false;  // also on stderr, for a death test

}  // namespace

// Bound before the layer's own functions, which they call.
HMODULE LoadLibrary(LPCWSTR name) {
  static const auto real = velut_test::Next(&LoadLibrary);
  ++g_loads[name ? name : L"(null)"];
  return real(name);
}

BOOL FreeLibrary(HMODULE module) {
  static const auto real = velut_test::Next(&FreeLibrary);
  if (g_report_frees) std::fputs("FreeLibrary\n", stderr);
  ++g_frees;
  return real(module);
}

namespace {

// Libraries come from the test DLL folder; cache and counts start empty.
class ResourceStrings : public testing::Test {
 protected:
  void SetUp() override {
    SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
    VelUtResString::FreeLibraries();
    g_loads.clear();
    g_frees = 0;
  }
  void TearDown() override { VelUtResString::FreeLibraries(); }
};

// A name is loaded once and kept until FreeLibraries; names that differ in
// case are two; one that cannot be loaded is tried on every call.
TEST_F(ResourceStrings, OneLoadPerName) {
  void* lower = VelUtResString::GetResourceHandle(L"strings64");
  ASSERT_NE(lower, nullptr);
  EXPECT_EQ(VelUtResString::GetResourceHandle(L"strings64"), lower);
  EXPECT_NE(VelUtResString::GetResourceHandle(L"Strings64"), nullptr);
  for (int i = 0; i < 2; ++i) EXPECT_EQ(VelUtResString::GetResourceHandle(L"missing"), nullptr);
  EXPECT_EQ(VelUtResString::GetResourceHandle(nullptr), nullptr);
  EXPECT_EQ(g_loads, (std::map<std::wstring, int>{
                         {L"strings64", 1}, {L"Strings64", 1}, {L"missing", 2}, {L"(null)", 1}}));
  EXPECT_EQ(VelUtResString::FreeLibraries(), 1);
  EXPECT_EQ(g_frees, 2);
  EXPECT_TRUE(VelUtResString::mResourceHandleMap.IsEmpty());
  EXPECT_NE(VelUtResString::GetResourceHandle(L"strings64"), nullptr);
  EXPECT_EQ(g_loads[L"strings64"], 2);
}

// {id, library, result, text}: loaded or not, the entry is marked loaded,
// and then is not loaded again unless forced; a literal loads nothing.
TEST_F(ResourceStrings, LoadFromResource) {
  const std::tuple<unsigned int, const wchar_t*, int, const wchar_t*> rows[] = {
      {1, L"strings64", 1, L"one"}, {0, L"strings64", 1, L"zero"}, {2, L"strings64", 0, L""},
      {1, L"nostrings", 0, L""},    {1, L"missing", 0, L""},
  };
  velut_test::ForEachRow(rows, [](unsigned int id, auto src, int result, auto text) {
    VelUtResString s;
    s.Set(id, src);
    EXPECT_EQ(s.LoadFromResource(0), result);
    EXPECT_EQ(s.mText, text);
    EXPECT_EQ(s.mFlags, 3u);
  });
  VelUtResString s;
  s.Set(15, L"strings64");
  s.mFlags = 3;  // marked loaded
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.mText, L"");
  EXPECT_EQ(s.LoadFromResource(1), 1);
  EXPECT_EQ(s.mText, L"fifteen");
  s.Set(0, L"x");
  s.mFlags = 0;
  s.mText = L"own";
  EXPECT_EQ(s.LoadFromResource(1), 1);
  EXPECT_EQ(s.mText, L"own");
}

// The current resource module serves a reference whose library cannot be loaded, and a
// string made from a resource id.
TEST_F(ResourceStrings, CurrentModule) {
  HINSTANCE saved = AfxGetResourceHandle();
  HMODULE current = LoadLibrary(L"strings64");
  AfxSetResourceHandle(current);
  VelUtResString s;
  s.Set(17, L"missing");
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.mText, L"seventeen");
  EXPECT_EQ(CStdStr<wchar_t>(reinterpret_cast<const wchar_t*>(15)), L"fifteen");
  CStdStr<wchar_t> text(L"abc");
  EXPECT_FALSE(text.Load(2, nullptr));
  EXPECT_TRUE(text.Load(16, nullptr));
  EXPECT_EQ(text, L"sixteen");
  AfxSetResourceHandle(saved);
  FreeLibrary(current);
}

// At exit the cache is destroyed without freeing a library (OneLoadPerName sees the stand-in).
// Under qemu-user the child is only forked: the host cannot run this program again.
TEST(ResourceHandleMapAtExit, FreesNoLibrary) {
  GTEST_FLAG_SET(death_test_style, std::getenv("VELUT_EMULATED") ? "fast" : "threadsafe");
  const auto load_and_exit = [] {
    g_report_frees = true;
    SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
    if (VelUtResString::GetResourceHandle(L"strings64") == nullptr) std::_Exit(3);
    std::exit(0);
  };
  EXPECT_EXIT(load_and_exit(), testing::ExitedWithCode(0),
              testing::Not(testing::HasSubstr("FreeLibrary")));
}

}  // namespace
