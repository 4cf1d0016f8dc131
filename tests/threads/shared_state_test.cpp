// Eight threads at once on the state that calls share: the library cache, each thread's lookups
// and last error, date formatters, names and constants made once, the counts of a document's
// parts. The tsan preset judges.
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"
#include "support/scoped_env.h"

namespace {

constexpr int kThreads = 8;

// Calls work(id) for ids 0 to 7 on threads of their own, all started before any is joined;
// returns the sum of the results (the count of wrong ones).
template <typename Work>
int RunOnThreads(Work work) {
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) threads.emplace_back([&, id] { wrong += work(id); });
  for (std::thread& t : threads) t.join();
  return wrong.load();
}

TEST(Threads, SharedStateAtOnce) {
  SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
  velut_test::ScopedUserLocale locale("de_DE.UTF-8");
  ASSERT_NE(VelUtResString::GetResourceHandle(L"strings64"), nullptr);
  const velut_test::XmlTable table(R"(<t><s resource="15" src="strings64"/><s>literal</s></t>)");
  CTime t;
  ASSERT_EQ(VelUt::StringToTime(L"2024-05-17T08:30:00", t), 1);
  const CStdStr<wchar_t> when = VelUt::FormatDateTimeForUserLocale(t);
  std::string xml = "<t>";  // an entry for each thread, of a document thread 0 releases
  for (int id = 0; id < kThreads; ++id) xml += "<s id='" + std::to_string(id) + "'/>";
  std::optional<velut_test::XmlTable> shared(std::in_place, xml += "</t>");
  std::vector<CFTreeRef> entries;
  for (int id = 0; id < kThreads; ++id) entries.push_back(CFTreeRef(CFRetain(shared->Entry(id))));
  CFStringRef constants[kThreads] = {};
  EXPECT_EQ(RunOnThreads([&](int id) {
              constants[id] = CFSTR("made once, whichever thread asks first");
              int wrong = velut_test::XmlTable(xml).Entry(id) == nullptr;
              if (id == 0) shared.reset();
              wrong += CFXMLNodeGetTypeCode(CFXMLTreeGetNode(entries[id])) != kCFXMLNodeTypeElement;
              CFRelease(entries[id]);
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
  for (CFStringRef s : constants) EXPECT_EQ(s, CFSTR("made once, whichever thread asks first"));
  VelUtResString::FreeLibraries();
  SetDllDirectoryW(nullptr);
}

}  // namespace
