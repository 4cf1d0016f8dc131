// Eight threads at once on the state that calls share: the library cache, each thread's
// lookups and last error, cached date formatters, names made once. The tsan preset judges.
#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"
#include "support/scoped_env.h"
#include "threads/run_threads.h"

namespace {

TEST(Threads, SharedStateAtOnce) {
  SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
  velut_test::ScopedUserLocale locale("de_DE.UTF-8");
  ASSERT_NE(VelUtResString::GetResourceHandle(L"strings64"), nullptr);
  const velut_test::XmlTable table(R"(<t><s resource="15" src="strings64"/><s>literal</s></t>)");
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T08:30:00", t), 1);
  const CStdStr<wchar_t> when = VelUt::FormatDateTimeForUserLocale(t);
  EXPECT_EQ(velut_test::RunOnThreads([&](int id) {
              int wrong = 0;
              for (int round = 0; round < 200; ++round) {
                VelUtResString s;
                wrong += s.Load(table.Entry(round % 2)) != 1 || s.LoadFromResource(0) != 1;
                wrong += s.mText != (round % 2 ? L"literal" : L"fifteen");
                s.Set(static_cast<unsigned int>(15 + (id + round) % 3), L"strings64");
                wrong += s.LoadFromResource(1) != 1 || s.mText.size() < 7;
                wrong += VelUt::FormatDateTimeForUserLocale(t) != when;
                wrong += VelUt::FindNoCase(L"Hello World", L"WORLD", 0) != 6;
                SetLastError(round % 2 ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
                wrong += VelUt::GetSystemErrorMessage(0xFFFFFFFF).size() != (round % 2 ? 16u : 41u);
              }
              return wrong;
            }),
            0);
  VelUtResString::FreeLibraries();
  SetDllDirectoryW(nullptr);
}

}  // namespace
