// Eight threads at once on the state that calls share: the library cache, each thread's lookups
// and last error, date formatters, names and constants made once, the counts of a document's
// parts. The tsan preset judges.
#include <atomic>
#include <map>
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

// Calls work(id, wrong) for ids 0 to 7 on threads of their own, all started before any is joined;
// each thread counts its failures in `wrong` by what it checks. Expects every count to be 0.
template <typename Work>
void RunOnThreads(Work work) {
  std::map<std::string, int> wrong[kThreads];
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) threads.emplace_back([&, id] { work(id, wrong[id]); });
  for (std::thread& t : threads) t.join();
  for (int id = 0; id < kThreads; ++id)
    for (const auto& [check, count] : wrong[id])
      EXPECT_EQ(0, count) << "thread " << id << ", rounds where this failed: " << check;
}

// Also: lookups in a library that another thread loads and frees again and again give its text
// or, the library freed, "" with ERROR_INVALID_HANDLE; dates in more locales and kinds than the
// formatter caches keep are always their locale's.
TEST(Threads, SharedStateAtOnce) {
  static const LCID kLcids[] = {0x0407, 0x0409, 0x040C, 0x0410, 0x0C0A, 0x0411, 0x0419,
                                0x0413, 0x0416, 0x041D, 0x0415, 0x0405, 0x040E, 0x0412};
  const auto date = [](int i) {  // 14 locales x 3 kinds
    const SYSTEMTIME day{2024, 5, 5, 17, 8, 30, 0, 0};
    wchar_t out[80] = L"";
    if (i % 3 == 2) GetTimeFormatW(kLcids[i % 14], 0, &day, nullptr, out, 80);
    if (i % 3 != 2)
      GetDateFormatW(kLcids[i % 14], i % 3 ? DATE_LONGDATE : 0, &day, nullptr, out, 80);
    return std::wstring(out);
  };
  std::wstring dates[42];
  for (int i = 0; i < 42; ++i) ASSERT_FALSE((dates[i] = date(i)).empty()) << "date " << i;
  SetDllDirectoryW(VELUT_TEST_DLL_DIR_W);
  velut_test::ScopedUserLocale locale("de_DE.UTF-8");
  ASSERT_NE(VelUtResString::GetResourceHandle(L"strings64"), nullptr);
  const velut_test::XmlTable table(R"(<t><s resource="15" src="strings64"/><s>literal</s></t>)");
  std::string xml = "<t>";  // an entry for each thread, of a document thread 0 releases
  for (int id = 0; id < kThreads; ++id) xml += "<s id='" + std::to_string(id) + "'/>";
  std::optional<velut_test::XmlTable> shared(std::in_place, xml += "</t>");
  std::vector<CFTreeRef> entries;
  for (int id = 0; id < kThreads; ++id) entries.push_back(CFTreeRef(CFRetain(shared->Entry(id))));
  CFStringRef constants[kThreads] = {};
  std::atomic<HMODULE> library{nullptr};
  std::thread churn([&library] {
    for (int round = 0; round < 1000; ++round)
      FreeLibrary(library = LoadLibraryW(VELUT_TEST_DLL_DIR_W L"/strings32.dll"));
  });
  RunOnThreads([&](int id, std::map<std::string, int>& wrong) {
    constants[id] = CFSTR("made once, whichever thread asks first");
    wrong["a document of its own has its entry"] += velut_test::XmlTable(xml).Entry(id) == nullptr;
    if (id == 0) shared.reset();
    wrong["a retained part is an element after another thread released its document"] +=
        CFXMLNodeGetTypeCode(CFXMLTreeGetNode(entries[id])) != kCFXMLNodeTypeElement;
    CFRelease(entries[id]);
    for (int round = 0; round < 200; ++round) {
      VelUtResString s;
      wrong["Load and LoadFromResource of a shared table's entry"] +=
          s.Load(table.Entry(round % 2)) != 1 || s.LoadFromResource(0) != 1;
      wrong["the shared table's entry gives its text"] +=
          s.mText != (round % 2 ? L"literal" : L"fifteen");
      s.Set(static_cast<unsigned int>(15 + (id + round) % 3), L"strings64");
      wrong["LoadFromResource of a referenced string gives its text"] +=
          s.LoadFromResource(1) != 1 || s.mText.size() < 7;
      wrong["a date is what it was before the threads started"] +=
          date((id + round) % 42) != dates[(id + round) % 42];
      const std::wstring text = loadStringFromWin32ResourceDLL(library, 15 + round % 3);
      wrong["a lookup in a library being freed: its text or ERROR_INVALID_HANDLE"] +=
          text.empty() ? GetLastError() != ERROR_INVALID_HANDLE : text.size() < 7;
      wrong["FindNoCase finds WORLD at 6"] += VelUt::FindNoCase(L"Hello World", L"WORLD", 0) != 6;
      SetLastError(round % 2 ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
      wrong["GetSystemErrorMessage reads the thread's own last error"] +=
          VelUt::GetSystemErrorMessage(0xFFFFFFFF).size() != (round % 2 ? 16u : 41u);
    }
  });
  churn.join();
  for (int id = 0; id < kThreads; ++id)
    EXPECT_EQ(CFSTR("made once, whichever thread asks first"), constants[id])
        << "thread " << id << " got a constant string of its own";
  VelUtResString::FreeLibraries();
  SetDllDirectoryW(nullptr);
}

}  // namespace
