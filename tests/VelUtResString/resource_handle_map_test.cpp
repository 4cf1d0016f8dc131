// Loading referenced strings and the process-wide cache of resource
// libraries, with the LoadLibrary / FreeLibrary calls counted.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/library_calls.h"

namespace {

using velut_test::Calls;

// Resource libraries are looked up in the test DLL folder; the cache and
// the call counts start empty for every test, and the current resource
// module is restored afterwards.
class ResourceStrings : public ::testing::Test {
 protected:
  void SetUp() override {
    SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
    VelUtResString::FreeLibraries();
    velut_test::ResetCalls();
    saved_module_ = AfxGetResourceHandle();
  }
  void TearDown() override {
    VelUtResString::FreeLibraries();
    AfxSetResourceHandle(saved_module_);
    SetDllDirectoryW(nullptr);
  }

  static VelUtResString Reference(unsigned int id, const wchar_t* src) {
    VelUtResString s;
    s.Set(id, src);
    return s;
  }

  HINSTANCE saved_module_ = nullptr;
};

TEST_F(ResourceStrings, SameNameLoadsOnce) {
  void* a = VelUtResString::GetResourceHandle(L"strings64");
  void* b = VelUtResString::GetResourceHandle(L"strings64");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(Calls().loads[L"strings64"], 1);
  EXPECT_EQ(VelUtResString::mResourceHandleMap.GetCount(), 1);
}

TEST_F(ResourceStrings, NamesDifferingInCaseAreTwoEntries) {
  void* lower = VelUtResString::GetResourceHandle(L"strings64");
  void* upper = VelUtResString::GetResourceHandle(L"Strings64");
  ASSERT_NE(lower, nullptr);
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(Calls().total_loads, 2);
  EXPECT_EQ(VelUtResString::mResourceHandleMap.GetCount(), 2);
  EXPECT_EQ(VelUtResString::FreeLibraries(), 1);
  // Both loads are released, whatever handles the layer gave them.
  EXPECT_EQ(Calls().total_frees, 2);
  EXPECT_TRUE(VelUtResString::mResourceHandleMap.IsEmpty());
}

TEST_F(ResourceStrings, UnloadableNamesAreRetriedAndNeverCached) {
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(VelUtResString::GetResourceHandle(L"no-such-library"), nullptr);
  EXPECT_EQ(Calls().loads[L"no-such-library"], 3);
  EXPECT_TRUE(VelUtResString::mResourceHandleMap.IsEmpty());
  EXPECT_EQ(VelUtResString::GetResourceHandle(nullptr), nullptr);
  EXPECT_EQ(VelUtResString::GetResourceHandle(L""), nullptr);
  EXPECT_TRUE(VelUtResString::mResourceHandleMap.IsEmpty());
}

TEST_F(ResourceStrings, LoadFromResourceTable) {
  struct Row {
    const char* name;
    unsigned int id;
    const wchar_t* src;
    int result;
    const wchar_t* text;
  };
  const Row rows[] = {
      {"first block", 1, L"strings64", 1, L"one"},
      {"id 0", 0, L"strings64", 1, L"zero"},
      {"last id", 65535, L"strings64", 1, L"the last id"},
      {"32-bit image", 4000, L"strings32.dll", 1, L"four thousand"},
      {"non-BMP text", 101, L"strings64", 1, L"\U0001F600 grinning, \U0001D11E clef"},
      {"missing id", 2, L"strings64", 0, L""},
      {"library without strings", 1, L"nostrings", 0, L""},
      {"case-insensitive file name", 16, L"STRINGS64.DLL", 1, L"sixteen"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    VelUtResString s = Reference(r.id, r.src);
    EXPECT_EQ(s.LoadFromResource(0), r.result);
    EXPECT_EQ(s.mText, r.text);
    EXPECT_EQ(s.mFlags, VelUtResString::kReference | VelUtResString::kLoaded);
  }
}

TEST_F(ResourceStrings, LiteralsLoadNothing) {
  VelUtResString s;
  s.mText = L"own text";
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.LoadFromResource(1), 1);
  EXPECT_EQ(s.mText, L"own text");
  EXPECT_EQ(s.mFlags, 0u);
  EXPECT_EQ(Calls().total_loads, 0);
}

TEST_F(ResourceStrings, UnloadableLibraryFallsBackToTheCurrentModule) {
  HMODULE current = LoadLibrary(L"strings64");
  ASSERT_NE(current, nullptr);
  AfxSetResourceHandle(current);
  VelUtResString s = Reference(17, L"no-such-library");
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.mText, L"seventeen");
  AfxSetResourceHandle(saved_module_);
  FreeLibrary(current);
}

TEST_F(ResourceStrings, FailedLoadIsNotRetriedUnlessForced) {
  VelUtResString s = Reference(2, L"strings64");  // no string 2
  EXPECT_EQ(s.LoadFromResource(0), 0);
  EXPECT_EQ(s.LoadFromResource(0), 1);  // marked loaded: nothing more to do
  EXPECT_EQ(s.mText, L"");
  s.mId = 1;
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.mText, L"");  // still not loaded
  EXPECT_EQ(s.LoadFromResource(1), 1);
  EXPECT_EQ(s.mText, L"one");
  EXPECT_EQ(Calls().loads[L"strings64"], 1);  // the cache served the retry
}

TEST_F(ResourceStrings, SetAfterLoadNeedsForce) {
  VelUtResString s = Reference(1, L"strings64");
  ASSERT_EQ(s.LoadFromResource(0), 1);
  s.Set(15, L"strings64");
  EXPECT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(s.mText, L"");
  EXPECT_EQ(s.LoadFromResource(1), 1);
  EXPECT_EQ(s.mText, L"fifteen");
}

TEST_F(ResourceStrings, FreeLibrariesThenLoadAgain) {
  EXPECT_EQ(VelUtResString::FreeLibraries(), 1);  // empty map: frees nothing
  EXPECT_EQ(Calls().total_frees, 0);
  VelUtResString s = Reference(1, L"strings64");
  ASSERT_EQ(s.LoadFromResource(0), 1);
  EXPECT_EQ(VelUtResString::FreeLibraries(), 1);
  EXPECT_EQ(Calls().total_frees, 1);
  EXPECT_EQ(s.mText, L"one");  // loaded texts stay
  EXPECT_EQ(s.mFlags, 3u);
  EXPECT_NE(VelUtResString::GetResourceHandle(L"strings64"), nullptr);
  EXPECT_EQ(Calls().loads[L"strings64"], 2);
}

// At exit the map's entries are destroyed without freeing a library; only
// FreeLibraries frees them.
TEST(ResourceHandleMapAtExit, FreesNoLibrary) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto load_and_exit = [](bool free_first) {
    velut_test::ReportFreesOnStderr();
    SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
    if (VelUtResString::GetResourceHandle(L"strings64") == nullptr) std::_Exit(3);
    if (free_first) VelUtResString::FreeLibraries();
    std::exit(0);
  };
  EXPECT_EXIT(load_and_exit(false), ::testing::ExitedWithCode(0),
              ::testing::Not(::testing::HasSubstr("FreeLibrary")));
  EXPECT_EXIT(load_and_exit(true), ::testing::ExitedWithCode(0),
              ::testing::HasSubstr("FreeLibrary"));
}

TEST_F(ResourceStrings, CStdStrLoadsThroughTheCurrentModule) {
  HMODULE current = LoadLibrary(L"strings64");
  ASSERT_NE(current, nullptr);
  AfxSetResourceHandle(current);
  EXPECT_EQ(CStdStr<wchar_t>(reinterpret_cast<const wchar_t*>(15)), L"fifteen");
  EXPECT_EQ(CStdStr<wchar_t>(reinterpret_cast<const wchar_t*>(2)), L"");
  CStdStr<wchar_t> s(L"abc");
  EXPECT_FALSE(s.Load(2, nullptr));
  EXPECT_EQ(s, L"abc");
  EXPECT_TRUE(s.Load(16, nullptr));
  EXPECT_EQ(s, L"sixteen");
  AfxSetResourceHandle(saved_module_);
  FreeLibrary(current);
}

}  // namespace
