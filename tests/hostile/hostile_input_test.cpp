// Every exported function of the library and every entry point of the layers, called with each
// class of bad argument that applies. Each call runs in a forked child with 5 seconds of processor
// time, and a 60-second alarm for a call that waits, so that a busy machine makes no hang; a call
// fails on a signal, a hang, a sanitizer report or an exception its header does not document.
// Values are not judged here: the other suites do that.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"
#include "support/alloc_failure.h"
#include "support/boundary.h"
#include "support/fake_program.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

#if defined(VELUT_ASAN)
#include <sanitizer/lsan_interface.h>

// The bytes the program holds allocated (the sanitizer's allocator).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();

// An allocation that cannot be made fails as it does without the
// sanitizer: malloc returns null, operator new throws.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace {

using Str = CStdStr<wchar_t>;
using StrList = CStdContainer<Str, std::vector>;
using PtrList = CStdContainer<void*, std::vector>;
using UIntArray = CArray<unsigned int, unsigned int>;

// clang-format off
// What a row's header lets escape: kAlloc std::bad_alloc or std::length_error (memory runs out), kOle
// COleException*, kMemoryExc CMemoryException*; kWrites: creates files, so it runs as nobody and only the
// temporary folder can take them; kAgain: its functions have rows of their own, so they are not counted again.
enum Allow : unsigned { kNone = 0, kAlloc = 1, kOle = 2, kMemoryExc = 4, kWrites = 16, kAgain = 32 };
// How a child ended, besides a signal; each exception with the class that allows it.
enum Outcome { kReturned, kBadAlloc = 70, kMemory, kOleThrown, kOther, kLeak, kNoNobody };
const std::map<int, std::pair<unsigned, const char*>> kFaults = {{kReturned, {kNone, ""}},
    {kBadAlloc, {kAlloc, "undocumented std::bad_alloc or std::length_error"}},
    {kMemory, {kMemoryExc, "undocumented CMemoryException*"}}, {kOleThrown, {kOle, "undocumented COleException*"}},
    {kOther, {kNone, "undocumented exception"}}, {kLeak, {kNone, "leaks"}},
    {kNoNobody, {kNone, "cannot give up root"}}};
// One argument class: a value and the name a failure report gives it.
template <typename T> struct Arg { std::string name; T value; };
template <typename T> using Gen = std::vector<Arg<T>>;
// clang-format on

int Run(const std::function<void()>& call) {
  try {
    call();
    return kReturned;
  } catch (const std::bad_alloc&) {
    return kBadAlloc;
  } catch (const std::length_error&) {
    return kBadAlloc;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception: %s\n", e.what());
    return kOther;
  } catch (CException* e) {
    const int outcome = dynamic_cast<CMemoryException*>(e) ? kMemory
                        : dynamic_cast<COleException*>(e)  ? kOleThrown
                                                           : kOther;
    e->Delete();
    return outcome;
  } catch (CDravoMemoryException* e) {
    e->Delete();
    return kMemory;
  } catch (...) {
    return kOther;
  }
}

// Runs each call of one row in a forked child, two at a time; reports the bad ends.
class Sweep {
 public:
  Sweep(const char* function, unsigned allow) : function_(function), allow_(allow) {}

  void Call(const std::string& args, const std::function<void()>& call) {
    if (running_.size() >= 2) Reap();
    const pid_t child = fork();
    if (child == 0) {
      if ((allow_ & kWrites) && geteuid() == 0 && !velut_test::BecomeNobody()) _exit(kNoNobody);
      const rlimit cpu{5, 5};
      setrlimit(RLIMIT_CPU, &cpu), alarm(60);
#if !defined(VELUT_SANITIZED)
      // A result of many gigabytes fails at once, whatever memory the machine has free (not under a
      // sanitizer, which reserves more address space than that).
      const rlimit memory{rlim_t{4} << 30, rlim_t{4} << 30};
      setrlimit(RLIMIT_AS, &memory);
#endif
#if defined(VELUT_ASAN)
      const std::size_t before = __sanitizer_get_current_allocated_bytes();
#endif
      int outcome = Run(call);
#if defined(VELUT_ASAN)
      // Holding no more memory than before, it leaked nothing; else the (slow) full leak check.
      if (outcome == kReturned && __sanitizer_get_current_allocated_bytes() > before &&
          __lsan_do_recoverable_leak_check() != 0)
        outcome = kLeak;
#endif
      velut_test::ExitChild(outcome);
    }
    running_[child] = args;
  }

  // Waits for the calls still running.
  void Finish() {
    while (!running_.empty()) Reap();
  }

 private:
  void Reap() {
    int status = 0;
    const auto it = running_.find(waitpid(-1, &status, 0));
    if (it == running_.end()) return;
    const std::string fault = Fault(status);
    if (!fault.empty() && ++faults_ <= 5)
      ADD_FAILURE() << function_ << "(" << it->second << "): " << fault;
    running_.erase(it);
  }

  std::string Fault(int status) const {
    if (WIFSIGNALED(status))
      return WTERMSIG(status) == SIGALRM || WTERMSIG(status) == SIGXCPU
                 ? "hangs"
                 : std::string("dies: ") + strsignal(WTERMSIG(status));
    const auto it = kFaults.find(WEXITSTATUS(status));
    if (it != kFaults.end()) return allow_ & it->second.first ? "" : it->second.second;
    return "exit status " + std::to_string(WEXITSTATUS(status)) + " (a sanitizer report)";
  }

  const char* function_;
  unsigned allow_;
  int faults_ = 0;
  std::map<pid_t, std::string> running_;
};

// Calls `f` with every combination of the classes of `gens`.
template <typename F>
void Cross(Sweep& sweep, const std::string& label, const F& f) {
  sweep.Call(label, f);
}
template <typename F, typename T, typename... Gens>
void Cross(Sweep& sweep, const std::string& label, const F& f, const Gen<T>& gen,
           const Gens&... gens) {
  for (const Arg<T>& a : gen) {
    const auto bound = [&f, &a](const auto&... rest) { f(a.value, rest...); };
    Cross(sweep, label.empty() ? a.name : label + ", " + a.name, bound, gens...);
  }
}
template <typename F, typename... Gens>
void Cross(Sweep& sweep, const F& f, const Gens&... gens) {
  Cross(sweep, std::string(), f, gens...);
}

// clang-format off
// A wide text, or null; a narrow one, or null (the whole text, embedded zeros included).
struct Text { bool null; std::wstring s; Str str() const { return s; }
              const wchar_t* p() const { return null ? nullptr : s.c_str(); } };
struct Narrow { bool null; std::string s; const char* p() const { return null ? nullptr : s.c_str(); } };
Arg<Text> Named(std::string name, std::wstring s) { return {std::move(name), {false, std::move(s)}}; }
// A caller's output buffer: null or `size` units (exactly, so that a write past them is a sanitizer report).
struct Out { bool null; int size; };
template <typename C>
auto Alloc(const Out& o) { return std::unique_ptr<C[]>(o.null ? nullptr : new C[std::max(o.size, 0)]()); }
// `t` in a buffer of at least `units` units (null for a null text), for the functions that edit a path in place.
std::unique_ptr<wchar_t[]> Buffer(const Text& t, std::size_t units = 0) {
  std::unique_ptr<wchar_t[]> b(t.null ? nullptr : new wchar_t[std::max(units, t.s.size() + 1)]());
  if (b) std::copy(t.s.begin(), t.s.end(), b.get());
  return b;
}
// Calls `f` with a va_list of the arguments that follow it.
int WithArgs(const std::function<int(va_list)>* f, ...) {
  va_list args;
  va_start(args, f);
  const int r = (*f)(args);
  va_end(args);
  return r;
}
// `piece` repeated to `units` units.
template <typename S>
S Repeat(const S& piece, std::size_t units) { S s; while (s.size() < units) s += piece; return s.substr(0, units); }

const Arg<Text> kNullText = {"null", {true, L""}};
const Arg<Text> kConversions = Named("conversions", L"%s%d%c%p%n%hs%S%I64d%*.*s%99999999d%.2147483647s%");
// Every class of bad text: lengths around the 1024-unit buffers and far beyond, runs of separators, dots,
// units that are no Unicode scalar values, an embedded zero, folders and missing paths where files are
// expected, a name whose native bytes are not UTF-8, and conversions for the functions that format.
const Gen<Text> kTexts = [] {
  Gen<Text> texts = {kNullText, Named("\"\"", L""), Named("\"...\"", L"..."), Named("\"/\"", L"/"),
                     Named("\"/proc\"", L"/proc"), Named("\".\"", L"."), Named("1030 '/'", std::wstring(1030, L'/')),
                     Named("1030 '\\'", std::wstring(1030, L'\\')), Named("lone surrogate", L"a\xD800z"),
                     Named("above U+10FFFF", std::wstring(L"a") + static_cast<wchar_t>(0x110000) + L"z"),
                     Named("embedded zero", std::wstring(L"a\0b", 3)), Named("name not UTF-8", L"n\xDCE9.txt"),
                     Named("missing path", L"/velut-missing/sub/x.txt"), kConversions,
                     Named("long file URL", L"file:///" + std::wstring(2000, L'a')),
                     Named("70000 brackets and quotes", Repeat<std::wstring>(L"([{\"'\\)]}", 70000))};
  for (const std::size_t n : velut_test::kBufferLengths)
    texts.push_back(Named(std::to_string(n) + " units", std::wstring(n, 'a')));
  for (const std::size_t n : {4096, 70000}) texts.push_back(Named(std::to_string(n) + " units", std::wstring(n, 'a')));
  return texts;
}();
// A few texts for the second and third text of a function.
const Gen<Text> kFew = {kNullText, Named("\"\"", L""), Named("\"a\"", L"a"), Named("\",'\\\"\"", L",'\""),
                        Named("70000 units", std::wstring(70000, 'a')), Named("embedded zero", {L"a\0b", 3})};
// Narrow texts: UTF-8 that is not, and long runs.
const Gen<Narrow> kNarrows = {
    {"null", {true, ""}}, {"\"\"", {false, ""}}, {"not UTF-8", {false, "n\xE9.txt"}},
    {"overlong", {false, "\xC0\xAF"}}, {"truncated", {false, "a\xE2\x82"}}, {"surrogate", {false, "\xED\xA0\x80"}},
    {"above U+10FFFF", {false, "\xF4\x90\x80\x80"}}, {"1030 '/'", {false, std::string(1030, '/')}},
    {"70000 bytes", {false, std::string(70000, 'a')}}};
// Values of environment variables: the narrow texts, and locale names that name no locale.
const Gen<Narrow> kEnvironmentValues = [] {
  Gen<Narrow> values = kNarrows;
  values.insert(values.end(), {{"\"C\"", {false, "C"}}, {"\"POSIX\"", {false, "POSIX"}},
                               {"100 '/'", {false, std::string(100, '/')}},
                               {"xx_YY.UTF-8@bogus", {false, "xx_YY.UTF-8@bogus"}}});
  return values;
}();
// Positions, counts, sizes and characters; escape characters: none, the usual one, one that is no character.
const Gen<int> kInts = {{"INT_MIN", INT_MIN}, {"-1", -1}, {"0", 0}, {"2", 2}, {"INT_MAX", INT_MAX}};
const Gen<unsigned> kUInts = {{"0", 0}, {"1", 1}, {"65535", 65535}, {"65536", 65536}, {"UINT_MAX", UINT_MAX}};
const Gen<CFIndex> kIndexes = {{"LONG_MIN", LONG_MIN}, {"-1", -1}, {"0", 0}, {"1", 1}, {"LONG_MAX", LONG_MAX}};
const Gen<signed char> kBools = {{"0", 0}, {"-1", -1}};
const Gen<wchar_t> kChars = {{"0", L'\0'}, {"'('", L'('}, {"'\\''", L'\''}, {"'\\\\'", L'\\'}, {"U+D800", L'\xD800'},
                             {"U+110000", static_cast<wchar_t>(0x110000)}, {"-1", static_cast<wchar_t>(-1)}};
const Gen<wchar_t> kEscapes = {{"0", L'\0'}, {"'\\'", L'\\'}, {"U+D800", L'\xD800'}};
// String-resource ids where a text pointer is expected.
const Gen<std::uintptr_t> kIds = {{"id 1", 1}, {"id 7", 7}, {"id 0xFFFF", 0xFFFF}};
const wchar_t* IdText(std::uintptr_t id) { return reinterpret_cast<const wchar_t*>(id); }
// Lists of strings: empty, every text class, many duplicates.
const Gen<std::vector<std::wstring>> kLists = [] {
  Gen<std::vector<std::wstring>> lists = {{"empty list", {}}, {"all texts", {}},
                                          {"300 duplicates", std::vector<std::wstring>(300, L"C:\\dir\\")}};
  for (const auto& t : kTexts) lists[1].value.push_back(t.value.s);
  return lists;
}();
StrList ToList(const std::vector<std::wstring>& texts) {
  StrList list;
  for (const auto& t : texts) list.Add(Str(t));
  return list;
}
// Output buffers; the signed ones also for the functions whose size is an int.
const Gen<Out> kOuts = {{"null, 0", {true, 0}}, {"null, 10", {true, 10}}, {"0 units", {false, 0}},
                        {"1 unit", {false, 1}}, {"5 units", {false, 5}}, {"1024 units", {false, 1024}}};
const Gen<Out> kSignedOuts = [] {
  Gen<Out> outs = kOuts;
  return outs.insert(outs.end(), {{"-1 units", {false, -1}}, {"INT_MIN units", {false, INT_MIN}}}), outs;
}();
// Resource libraries: none, a loaded one, a freed one, a value the layer never handed out.
const Gen<HMODULE> kModules = [] {
  HMODULE freed = LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/languages.dll");
  FreeLibrary(freed);
  return Gen<HMODULE>{{"null", nullptr}, {"loaded", LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/strings64.dll")},
                      {"freed", freed}, {"foreign", reinterpret_cast<HMODULE>(0x10000)}};
}();
// Process handles: none, foreign, and a real one, running or closed (made in the child, since the layer's
// waiter threads do not survive a fork).
const Gen<int> kHandleKinds = {{"null", 0}, {"foreign", 1}, {"running", 2}, {"closed", 3}};
HANDLE MakeHandle(int kind) {
  if (kind < 2) return kind == 0 ? nullptr : reinterpret_cast<HANDLE>(0x1234);
  wchar_t line[] = L"msiexec";
  STARTUPINFOW si{}; PROCESS_INFORMATION pi{};
  CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(pi.hThread);
  if (kind == 3) CloseHandle(pi.hProcess);
  return pi.hProcess;
}
// Documents and objects of the XML tree, made once in the parent.
const velut_test::XmlTable kTable("<?xml version='1.0'?><!DOCTYPE t><t a='1' b='&#x10000;'><s resource='7' src='" +
                                  std::string(2000, 'x') + "'/><s>text<![CDATA[c]]></s><!--c--></t>");
const Gen<CFTreeRef> kTrees = {{"null", nullptr}, {"document", CFTreeGetParent(kTable.Root())},
                               {"root element", kTable.Root()}, {"reference entry", kTable.Entry(0)},
                               {"literal entry", kTable.Entry(1)},
                               {"text node", CFTreeGetFirstChild(kTable.Entry(1))},
                               {"doctype", CFTreeGetChildAtIndex(CFTreeGetParent(kTable.Root()), 1)}};
// Objects of every type, so that each query also meets the wrong type; never destroyed: reachable to the end.
const Gen<CFTypeRef>& kObjects = *new Gen<CFTypeRef>([] {
  const auto* info = static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(kTable.Root())));
  const UniChar lone[] = {0xD800, 'a'};
  return Gen<CFTypeRef>{{"null", nullptr},
                        {"string", CFStringCreateWithCString(nullptr, "abc\xC3\xA9", kCFStringEncodingUTF8)},
                        {"empty string", CFStringCreateWithCharacters(nullptr, nullptr, 0)},
                        {"lone surrogate string", CFStringCreateWithCharacters(nullptr, lone, 2)},
                        {"constant string", CFSTR("src")},
                        {"data", CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("<a/>"), 4)},
                        {"tree", kTable.Root()}, {"node", CFXMLTreeGetNode(kTable.Root())},
                        {"dictionary", info->attributes}, {"array", info->attributeOrder}};
}());
template <typename T>
T As(CFTypeRef o) { return static_cast<T>(const_cast<void*>(o)); }
const Gen<CFStringEncoding> kEncodings = {
    {"UTF-8", kCFStringEncodingUTF8}, {"ASCII", kCFStringEncodingASCII}, {"Latin-1", kCFStringEncodingISOLatin1},
    {"windows-1252", kCFStringEncodingWindowsLatin1}, {"UTF-16", kCFStringEncodingUTF16},
    {"UTF-16LE", kCFStringEncodingUTF16LE}, {"invalid", kCFStringEncodingInvalidId}};
// XML documents that are bad in every way the parser meets.
const Gen<std::string> kDocuments = {
    {"empty", ""}, {"deep", std::string(200000, '<') + "a/>"},
    {"200000 levels", Repeat<std::string>("<a>", 600000) + Repeat<std::string>("</a>", 800000)},
    {"long attribute", "<a b='" + std::string(70000, 'x') + "'/>"},
    {"many attributes", [] {
       std::string d = "<a";
       for (int i = 0; i < 5000; ++i) d += " a" + std::to_string(i) + "='1'";
       return d + "/>";
     }()},
    {"character references", "<a>&#x110000;&#0;&#xD800;&#99999999999;&#x;</a>"},
    {"entities", "<!DOCTYPE a [<!ENTITY e '&e;'>]><a>&e;&e;&lt</a>"}, {"not UTF-8", "<a>n\xE9</a>"},
    {"odd UTF-16", std::string("\xFF\xFE<\0a\0/\0>", 8)}, {"truncated", "<?xml version='1.0' encoding='UTF-16'?><a"},
    {"unclosed", "<!--<![CDATA[<?pi"}, {"latin1", "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9\xFF</a>"}};
// Times, GUIDs, error codes, locales, date flags, and the sources and forms of FormatMessage.
const Gen<CTime> kTimes = {{"INT64_MIN", CTime(INT64_MIN)}, {"-1", CTime(-1)}, {"0", CTime(0)},
                           {"year 30828", CTime(INT64_C(870000000000))}, {"INT64_MAX", CTime(INT64_MAX)}};
const SYSTEMTIME kZero{}, kMax{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
    kMay{2024, 5, 5, 17, 8, 30, 0, 0}, kFeb{2023, 2, 0, 31, 23, 59, 59, 999};
constexpr DWORD kUser = LOCALE_USER_DEFAULT, kLongDate = DATE_LONGDATE;
const Gen<const SYSTEMTIME*> kSystemTimes = {{"null", nullptr}, {"zero", &kZero}, {"all 0xFFFF", &kMax},
                                             {"17 May 2024", &kMay}, {"31 February", &kFeb}};
const Gen<_GUID> kGuids = {{"zero", _GUID{}},
                           {"all ones", _GUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}}};
const Gen<DWORD> kCodes = {{"0", 0}, {"5", 5}, {"0x800300FD", 0x800300FD}, {"0x80070005", 0x80070005},
                           {"0x12345678", 0x12345678}, {"0xFFFFFFFF", 0xFFFFFFFF}};
const Gen<DWORD> kLcids = {{"0", 0}, {"user", LOCALE_USER_DEFAULT}, {"invariant", 0x7F}, {"0x0407", 0x0407},
                           {"0x3C0A", 0x3C0A}, {"0xFFFFFFFF", 0xFFFFFFFF}};
const Gen<DWORD> kDateFlags = {{"0", 0}, {"1", 1}, {"2", 2}, {"8", 8}, {"0x80", 0x80}, {"0x30", 0x30},
                               {"0x40", 0x40}, {"0xF", 0xF}, {"0xFFFFFFFF", 0xFFFFFFFF}};
const Gen<DWORD> kMessageFlags = {
    {"string", FORMAT_MESSAGE_FROM_STRING}, {"system", FORMAT_MESSAGE_FROM_SYSTEM},
    {"string, no inserts", FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS},
    {"string, array, width 1", FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | 1},
    {"module", FORMAT_MESSAGE_FROM_HMODULE},
    {"system, width mask", FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK}, {"all", 0xFFFFFFFF}};
// clang-format on

// A row: the functions it calls as nm names them ("<>" template arguments, "(n)" n overloads).
struct Row {
  const char* functions;
  unsigned allow;
  void (*calls)(Sweep&);
};

// Texts, pictures, counts and pointers are crossed per function; the table keeps its own layout.
// clang-format off
const Row kRows[] = {
    // ---- libVelUt: CStdStr, ssicoll, ssadd
    {"CStdStr<>::CStdStr (5)", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) { Str a(t.p()), b(t.s), c(std::wstring(t.s)), d(t.p(), t.null ? 0 : t.s.size()); },
             kTexts);
       Cross(s, [](wchar_t c) { Str a(c); }, kChars);
       Cross(s, [](std::uintptr_t id) { Str a(IdText(id)); }, kIds); }},
    {"CStdStr<>::operator= (3), CStdStr<>::Load", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, auto& u, wchar_t c) {
         Str a(t.s);
         a = u.p(), a = u.s, a = a.c_str() + a.size() / 2, a = a.c_str() + a.size(), a = c;
       }, kTexts, kFew, kEscapes);
       Cross(s, [](unsigned id, HMODULE m) { Str().Load(id, m); }, kUInts, kModules); }},
    {"CStdStr<>::Fmt, CStdStr<>::FormatV", kNone, [](Sweep& s) {
       Cross(s, [](auto& f, auto& t) {
         Str a(t.s);
         const wchar_t* x = a.c_str();
         const std::function<int(va_list)> format = [&a, &f](va_list args) { a.FormatV(f.p(), args); return 0; };
         a.Fmt(f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         x = a.c_str();
         WithArgs(&format, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         x = a.c_str();
         a.Fmt(x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x), a.Format(L"%s!", a);
       }, kTexts, kFew); }},
    {"CStdStr<>::GetBuf, CStdStr<>::RelBuf, CStdStr<>::Replace", kAlloc, [](Sweep& s) {
       Cross(s, [](auto& t, int n) { Str a(t.s); a.GetBuf(n), a.RelBuf(-1), a.GetBuf(1), a.RelBuf(n); },
             kTexts, kInts);
       Cross(s, [](auto& t, auto& o) { Str a(t.s); a.Replace(o.p(), o.p()), a.Replace(a.c_str(), a.c_str()); },
             kTexts, kFew);
       Cross(s, [](auto& o, auto& n) { Str(std::wstring(70000, L'a')).Replace(o.p(), n.p()); }, kFew, kFew); }},
    {"CStdStr<>::TrimLeft, CStdStr<>::TrimRight, CStdStr<>::MakeLower, CStdStr<>::ToLower, CStdStr<>::Remove, "
     "CStdStr<>::Find, CStdStr<>::FindOneOf, CStdStr<>::CompareNoCase, CStdStr<>::CollateNoCase", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, wchar_t c) {
         Str(t.s).TrimLeft().TrimRight().MakeLower().ToLower(std::locale::classic()).Remove(c);
       }, kTexts, kChars);
       Cross(s, [](auto& t, auto& u) {
         const Str a(t.s);
         a.Find(u.p()), a.FindOneOf(u.p()), a.CompareNoCase(u.p()), a.CollateNoCase(u.p());
       }, kTexts, kFew); }},
    {"CStdStr<>::Mid, CStdStr<>::Left, CStdStr<>::Right, CStdStr<>::Insert, CStdStr<>::Delete", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, int i, int n) {
         Str a(t.s);
         a.Mid(i, n), a.Left(n), a.Right(n), a.Insert(i, L'x'), a.Delete(i, n);
       }, kFew, kInts, kInts); }},
    {"ssicoll, ssadd", kNone, [](Sweep& s) {
       Cross(s, [](auto& a, int n) {
         ssicoll(a.p(), n, a.p(), n), ssicoll(a.p(), n, nullptr, n), ssicoll(nullptr, n, a.p(), 2);
       }, kTexts, kInts);
       Cross(s, [](auto& t, auto& u) {
         std::wstring d(t.s);
         ssadd(d, u.p()), ssadd(d, d.c_str() + d.size() / 2), ssadd(d, d.c_str() + d.size());
       }, kTexts, kFew); }},
    // ---- libVelUt: containers and positions
    // The walk, copies, comparisons and assignments of positions across two maps, an empty one among them.
    {"POSITION_IMP::~POSITION_IMP, CStdContainerPos<>::CStdContainerPos, CStdContainerPos<>::clone, "
     "CStdContainerPos<>::operator bool, CStdContainerPos<>::operator=, CStdContainerPos<>::operator==",
     kNone, [](Sweep& s) {
       s.Call("", [] {
         CStdStrPtrMap a, empty;
         a.SetAt(L"b", nullptr), a.SetAt(L"a", &a);
         POSITION pa = a.GetStartPosition(), pe = empty.GetStartPosition(), copy = pa;
         Str key; void* value;
         static_cast<void>(*pa.get() == *pe.get());
         *copy.get() = *pe.get(), *copy.get() = *copy.get();
         while (pa) a.GetNextAssoc(pa, key, value);
         empty.GetNextAssoc(copy, key, value), a.GetNextAssoc(pe, key, value);
         std::unique_ptr<POSITION_IMP>(pe.get()->clone());
       }); }},
    {"CDravoMemoryException::Delete, CDravoMemoryException::what, CDravoMemoryException::~CDravoMemoryException",
     kNone, [](Sweep& s) { s.Call("", [] { auto* e = new CDravoMemoryException; e->what(), e->Delete(); }); }},
    // ---- libVelUt: text utilities
    {"VelUt::ParseDelimitedString, VelUt::SplitString, VelUt::MakeDelimitedString", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, auto& d, int f) {
         StrList l; Str left, right; wchar_t c;
         VelUt::ParseDelimitedString(t.str(), d.str(), l, f);
         VelUt::SplitString(t.str(), d.str(), left, right, c, static_cast<signed char>(f));
       }, kTexts, kFew, Gen<int>{{"0", 0}, {"15", 15}, {"-1", -1}});
       Cross(s, [](auto& l, signed char e, auto& sep) {
         VelString r;
         VelUt::MakeDelimitedString(ToList(l), r, e, sep.str());
       }, kLists, kBools, kFew); }},
    {"VelUt::FindMatchingChar, VelUt::MatchBraces", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, int p, signed char q, wchar_t e) { VelUt::FindMatchingChar(t.str(), p, q, e); },
             kTexts, kInts, kBools, kEscapes);
       Cross(s, [](auto& t, wchar_t b, signed char q, wchar_t e) { VelUt::MatchBraces(t.str(), b, q, e); },
             kTexts, kChars, kBools, kEscapes); }},
    {"VelUt::RemoveQuotes, VelUt::TrimLeftChar, VelUt::TrimRightChar", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, wchar_t c) {
         Str a(t.s), b(t.s), d(t.s);
         VelUt::RemoveQuotes(a, c), VelUt::TrimLeftChar(b, c), VelUt::TrimRightChar(d, c);
       }, kTexts, kChars); }},
    {"VelUt::EscapeChar, VelUt::RemoveEscapeChar", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, auto& c, wchar_t e) {
         Str a(t.s);
         VelUt::EscapeChar(a, c.str(), e), VelUt::RemoveEscapeChar(a, c.str(), e);
       }, kTexts, kFew, kEscapes); }},
    {"VelUt::FindNoCase, VelUt::ReplaceNoCase", kAlloc, [](Sweep& s) {
       Cross(s, [](auto& t, auto& p, int i) {
         Str a(t.s);
         VelUt::FindNoCase(t.p(), p.p(), i), VelUt::ReplaceNoCase(a, p.p(), p.p());
         VelUt::ReplaceNoCase(a, a.c_str(), a.c_str());
       }, kTexts, kFew, kInts);
       Cross(s, [](auto& p, auto& r) { Str a(std::wstring(70000, L'a')); VelUt::ReplaceNoCase(a, p.p(), r.p()); },
             kFew, kFew);
       Cross(s, [](std::uintptr_t id) {
         Str a;
         VelUt::FindNoCase(IdText(id), IdText(id), 0), VelUt::ReplaceNoCase(a, IdText(id), IdText(id));
       }, kIds); }},
    {"VelUt::SortArray, VelUt::FindInArray (3), VelUt::RemoveDuplicates", kNone, [](Sweep& s) {
       Cross(s, [](int n) {
         UIntArray a; PtrList p;
         for (int i = 0; i < n; ++i) a.Add(static_cast<unsigned>(i) * 2654435761u);
         p.Add(nullptr), VelUt::SortArray(a), VelUt::FindInArray(0u, a), VelUt::FindInArray(nullptr, p);
       }, Gen<int>{{"0", 0}, {"1", 1}, {"70000", 70000}});
       Cross(s, [](auto& t, auto& l, signed char c) {
         StrList m = ToList(l);
         VelUt::FindInArray(t.p(), m, c), VelUt::RemoveDuplicates(m);
       }, kTexts, kLists, kBools); }},
    // ---- libVelUt: conversions
    {"VelUt::IsZeroGuid, VelUt::GuidToString, VelUt::StringToGuid, VelUt::StringToTime, VelUt::StringToVersion",
     kNone, [](Sweep& s) {
       Cross(s, [](const _GUID& g, signed char b) { VelUt::IsZeroGuid(g), VelUt::GuidToString(g, b); },
             kGuids, kBools);
       Cross(s, [](auto& t) {
         _GUID g; CTime c; unsigned v;
         VelUt::StringToGuid(t.p(), g), VelUt::StringToTime(t.str(), c), VelUt::StringToVersion(t.str(), v);
       }, kTexts);
       Cross(s, [](std::uintptr_t id) { _GUID g; VelUt::StringToGuid(IdText(id), g); }, kIds); }},
    {"VelUt::FormatDateTimeForUserLocale", kNone, [](Sweep& s) {
       Cross(s, [](const CTime& t) { VelUt::FormatDateTimeForUserLocale(t); }, kTimes); }},
    // ---- the environment: each variable a call reads, with every class of value (the other locale ones unset)
    {"GetDateFormatW, GetTimeFormatW, VelUt::FormatDateTimeForUserLocale, loadStringFromWin32ResourceDLL, "
     "VelUt::StringToTime, GetLocalTime, GetTempPath, CreateProcessW", kAgain, [](Sweep& s) {
       Cross(s, [](const char* name, auto& value) {
         for (const char* v : {"LC_ALL", "LC_TIME", "LC_MESSAGES", "LANG"}) unsetenv(v);
         value.null ? unsetenv(name) : setenv(name, value.p(), 1);  // null: unset
         wchar_t b[1024]; SYSTEMTIME st; CTime t; struct tm tm;
         GetDateFormatW(kUser, kLongDate, &kMay, nullptr, b, 1024), GetDateFormatW(0x0407, 0, nullptr, nullptr, b, 1024);
         GetTimeFormatW(kUser, 0, &kMay, nullptr, b, 1024), VelUt::FormatDateTimeForUserLocale(CTime(0));
         SetThreadUILanguage(0), loadStringFromWin32ResourceDLL(kModules[1].value, 1);
         VelUt::StringToTime(L"2024-05-17T08:30:00", t), t.GetLocalTm(&tm), GetLocalTime(&st);
         GetTempPath(1024, b);
         wchar_t line[] = L"velut-no-such-program";
         STARTUPINFOW si{}; PROCESS_INFORMATION pi{};
         if (CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi))
           CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
       }, Gen<const char*>{{"LANG", "LANG"}, {"LC_ALL", "LC_ALL"}, {"LC_TIME", "LC_TIME"},
                           {"LC_MESSAGES", "LC_MESSAGES"}, {"TZ", "TZ"}, {"TMPDIR", "TMPDIR"}, {"HOME", "HOME"},
                           {"PATH", "PATH"}}, kEnvironmentValues); }},
    // ---- libVelUt: URLs, paths, files, system services and string tables
    {"PreProcessUrl, VelUt::IsUrl, VelUt::FixUrl, VelUt::UrlToPath, VelUt::GetPathFromUrl, "
     "VelUt::GetUniqueFileName, VelUt::GetFileStatus", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) {
         Str a(t.s), b(t.s);
         VelString f(t.p()), p;
         CFileStatus st;
         PreProcessUrl(a), VelUt::IsUrl(t.p()), VelUt::FixUrl(f), VelUt::UrlToPath(t.p(), p);
         VelUt::GetPathFromUrl(t.p()), VelUt::GetUniqueFileName(b), VelUt::GetFileStatus(t.p(), st);
       }, kTexts); }},
    {"VelUt::RelativeToAbsolutePath, VelUt::AbsoluteToRelativePath", kNone, [](Sweep& s) {
       Cross(s, [](auto& a, auto& b) {
         VelString r;
         VelUt::RelativeToAbsolutePath(a.p(), b.p(), r), VelUt::AbsoluteToRelativePath(a.p(), b.p(), r);
       }, kTexts, kTexts); }},
    {"VelUt::GetTempFile, VelUt::IsFolderReadOnly", kWrites, [](Sweep& s) {
       Cross(s, [](auto& p, auto& e) { VelUt::GetTempFile(p.p(), e.p()); }, kTexts, kFew);
       Cross(s, [](auto& t) { VelUt::IsFolderReadOnly(t.p()); }, kTexts); }},
    {"VelUt::GetSystemErrorMessage, GetLastError, SetLastError", kNone, [](Sweep& s) {
       Cross(s, [](DWORD c, DWORD last) { SetLastError(last), GetLastError(), VelUt::GetSystemErrorMessage(c); },
             kCodes, kCodes); }},
    {"VelUt::StartMsiInstallation", kNone, [](Sweep& s) {
       Cross(s, [](auto& f, auto& a) {
         VelUt::StartMsiInstallation(f.str(), a.str(), 0), VelUt::StartMsiInstallation(f.str(), a.str(), -1);
       }, kTexts, kFew); }},
    {"VelUtResString::Load, VelUtResString::Set, VelUtResString::LoadFromResource, "
     "VelUtResString::GetResourceHandle, VelUtResString::FreeLibraries", kNone, [](Sweep& s) {
       Cross(s, [](CFTreeRef t, signed char f) {
         VelUtResString r;
         r.Load(t), r.LoadFromResource(f), r.LoadFromResource(f);
       }, kTrees, kBools);
       Cross(s, [](unsigned id, auto& src) {
         VelUtResString r;
         r.Set(id, src.p()), r.Set(id, r.mSrc.c_str()), r.LoadFromResource(0), r.LoadFromResource(1);
       }, kUInts, kTexts);
       Cross(s, [](auto& t) {
         VelUtResString::GetResourceHandle(t.p()), VelUtResString::GetResourceHandle(t.p());
         VelUtResString::FreeLibraries(), VelUtResString::FreeLibraries();
       }, kTexts); }},
    // ---- libWinAPI: exceptions, messages, local memory
    {"AfxThrowMemoryException, AfxThrowOleException, CException::Delete, CException::~CException, "
     "CMemoryException::~CMemoryException, COleException::~COleException", kMemoryExc | kOle, [](Sweep& s) {
       s.Call("", [] { CMemoryException m(false); m.Delete(), (new COleException(5))->Delete(); });
       s.Call("", [] { AfxThrowMemoryException(); });
       Cross(s, [](DWORD c) { AfxThrowOleException(static_cast<SCODE>(c)); }, kCodes); }},
    {"AfxSetMessageBoxHandler, AfxMessageBox (2)", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, unsigned type) {
         std::freopen("/dev/null", "w", stderr);  // where the default box writes
         AfxSetMessageBoxHandler(nullptr), AfxMessageBox(t.p(), type, type), AfxMessageBox(type, type, type);
       }, kTexts, kUInts); }},
    {"SetSystemMessageText, ResetSystemMessageText, FormatMessageW", kNone, [](Sweep& s) {
       const auto call = [](DWORD f, const Text& t, const Out& o) {
         static const DWORD_PTR args[100] = {};
         auto* array = reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args));
         const DWORD into = f & ~FORMAT_MESSAGE_ALLOCATE_BUFFER, size = static_cast<DWORD>(o.size);
         wchar_t* allocated = nullptr;
         SetSystemMessageText(5, t.p()), FormatMessageW(into, t.p(), 5, 0, Alloc<wchar_t>(o).get(), size, nullptr);
         FormatMessageW(into | FORMAT_MESSAGE_ARGUMENT_ARRAY, t.p(), 5, 0x0407, Alloc<wchar_t>(o).get(), size, array);
         FormatMessageW(f | FORMAT_MESSAGE_ALLOCATE_BUFFER, t.p(), 5, 0, reinterpret_cast<wchar_t*>(&allocated), size,
                        nullptr);
         LocalFree(allocated), ResetSystemMessageText(5);
       };
       Cross(s, [&](DWORD f, auto& t) { call(f, t, Out{false, 1024}); }, kMessageFlags, kTexts);
       Cross(s, [&](DWORD f, auto& o) { call(f, kConversions.value, o); }, kMessageFlags, kOuts); }},
    {"LocalAlloc, LocalFree, CoTaskMemAlloc, CoTaskMemFree", kNone, [](Sweep& s) {
       Cross(s, [](std::size_t n, unsigned f) {
         LocalFree(LocalAlloc(f, n)), CoTaskMemFree(CoTaskMemAlloc(n)), LocalFree(nullptr), CoTaskMemFree(nullptr);
       }, Gen<std::size_t>{{"0", 0}, {"1", 1}, {"SIZE_MAX", SIZE_MAX}}, kUInts); }},
    // ---- libWinAPI: paths
    {"PathRemoveBackslash, PathRemoveFileSpec, PathRemoveExtension, PathFindExtensionW, PathFindFileNameW, "
     "PathIsRelative, PathFileExists, PathIsDirectory, PathToNative, NativeToPath", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) {
         std::string native;
         PathRemoveBackslash(Buffer(t).get()), PathRemoveFileSpec(Buffer(t).get());
         PathRemoveExtension(Buffer(t).get()), PathFindExtensionW(t.p()), PathFindFileNameW(t.p());
         PathIsRelative(t.p()), PathFileExists(t.p()), PathIsDirectory(t.p()), PathToNative(t.p(), native);
       }, kTexts);
       Cross(s, [](auto& n) { NativeToPath(n.p()); }, kNarrows); }},
    {"PathCombine, PathAppend, PathRenameExtension, PathRelativePathTo", kNone, [](Sweep& s) {
       Cross(s, [](auto& d, auto& f) {
         auto in = Buffer(d, MAX_PATH), out = Buffer(Text{false, L""}, MAX_PATH);
         const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
         PathCombine(out.get(), d.p(), f.p()), PathCombine(in.get(), in.get(), f.p());
         PathCombine(nullptr, d.p(), f.p()), PathAppend(Buffer(d, MAX_PATH).get(), f.p());
         PathRenameExtension(Buffer(d, MAX_PATH).get(), f.p()), PathRelativePathTo(nullptr, d.p(), 0, f.p(), ~0u);
         PathRelativePathTo(out.get(), d.p(), folder, f.p(), folder), PathRelativePathTo(out.get(), d.p(), 0, f.p(), 0);
       }, kTexts, kTexts); }},
    // ---- libWinAPI: files, folders, processes
    {"GetTempPath, GetCurrentDirectory", kNone, [](Sweep& s) {
       Cross(s, [](auto& o) {
         GetTempPath(static_cast<DWORD>(o.size), Alloc<wchar_t>(o).get());
         GetCurrentDirectory(static_cast<DWORD>(o.size), Alloc<wchar_t>(o).get());
       }, kOuts); }},
    {"GetTempFileName, DeleteFile", kWrites, [](Sweep& s) {
       Cross(s, [](auto& p, auto& pre, unsigned u) {
         auto b = Buffer(Text{false, L""}, MAX_PATH);
         if (GetTempFileName(p.p(), pre.p(), u, b.get()) != 0 && u == 0) DeleteFile(b.get());
         GetTempFileName(p.p(), pre.p(), u, nullptr), DeleteFile(p.p());
       }, kTexts, kFew, Gen<unsigned>{{"0", 0}, {"0x12345", 0x12345}}); }},
    {"CFile::GetStatus", kOle, [](Sweep& s) {
       Cross(s, [](auto& t) { CFileStatus st; CFile::GetStatus(t.p(), st); }, kTexts); }},
    {"CommandLineToArgvW, CreateProcessW", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) { int n; LocalFree(CommandLineToArgvW(t.p(), &n)), CommandLineToArgvW(t.p(), nullptr); },
             kTexts);
       Cross(s, [](auto& line, auto& other) {
         auto l = Buffer(line);
         STARTUPINFOW si{}; PROCESS_INFORMATION pi{};
         if (CreateProcessW(other.p(), l.get(), nullptr, nullptr, 1, 0, nullptr, other.p(), &si, &pi))
           CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
         CreateProcessW(other.p(), l.get(), nullptr, nullptr, 0, CREATE_SUSPENDED, nullptr, nullptr, nullptr,
                        nullptr);
       }, kTexts, kFew);
       Cross(s, [](auto& env, DWORD flags) {
         std::wstring wide = env.s + std::wstring(2, L'\0');
         std::string narrow(wide.begin(), wide.end());
         wchar_t line[] = L"msiexec";
         STARTUPINFOW si{}; PROCESS_INFORMATION pi{};
         void* e = env.null                             ? nullptr
                   : flags & CREATE_UNICODE_ENVIRONMENT ? static_cast<void*>(&wide[0]) : &narrow[0];
         if (CreateProcessW(nullptr, line, nullptr, nullptr, 0, flags, e, nullptr, &si, &pi))
           WaitForSingleObject(pi.hProcess, INFINITE), CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
       }, kTexts, Gen<DWORD>{{"narrow", 0}, {"wide", CREATE_UNICODE_ENVIRONMENT}, {"all", ~4u}}); }},
    {"WaitForSingleObject, GetExitCodeProcess, CloseHandle", kNone, [](Sweep& s) {
       Cross(s, [](int kind, DWORD ms) {
         HANDLE h = MakeHandle(kind); DWORD code;
         WaitForSingleObject(h, ms), GetExitCodeProcess(h, &code), GetExitCodeProcess(h, nullptr);
         CloseHandle(h), CloseHandle(h);
       }, kHandleKinds, Gen<DWORD>{{"0", 0}, {"10", 10}, {"INFINITE", INFINITE}}); }},
    // ---- libWinAPI: resource libraries and languages
    {"LoadLibraryW, LoadLibrary, FreeLibrary, SetDllDirectoryW", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, auto& dir) {
         SetDllDirectoryW(dir.p()), FreeLibrary(LoadLibraryW(t.p())), FreeLibrary(LoadLibrary(t.p()));
       }, kTexts, kFew);
       Cross(s, [](std::uintptr_t id, HMODULE m) { LoadLibraryW(IdText(id)), FreeLibrary(m), FreeLibrary(m); },
             kIds, kModules); }},
    {"AfxGetResourceHandle, AfxSetResourceHandle, loadStringFromWin32ResourceDLL, EnumResourceStringsW", kNone,
     [](Sweep& s) {
       Cross(s, [](HMODULE m, unsigned id) {
         AfxSetResourceHandle(m), loadStringFromWin32ResourceDLL(AfxGetResourceHandle(), id);
         EnumResourceStringsW(
             m, [](HMODULE, UINT, LANGID, LPCWSTR, UINT, LONG_PTR stop) -> BOOL { return !stop; }, id & 1);
         EnumResourceStringsW(m, nullptr, 0);
       }, kModules, kUInts); }},
    {"SetThreadUILanguage, GetThreadUILanguage, LocaleNameToLCID", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, unsigned lang) {
         SetThreadUILanguage(static_cast<LANGID>(lang)), GetThreadUILanguage(), LocaleNameToLCID(t.p(), lang);
       }, kTexts, kUInts); }},
    // ---- libWinAPI: GUIDs and time
    {"StringFromCLSID, CLSIDFromString", kNone, [](Sweep& s) {
       Cross(s, [](const _GUID& g) {
         wchar_t* t = nullptr;
         StringFromCLSID(g, &t), CoTaskMemFree(t), StringFromCLSID(g, nullptr);
       }, kGuids);
       Cross(s, [](auto& t) { _GUID g; CLSIDFromString(t.p(), &g), CLSIDFromString(t.p(), nullptr); }, kTexts); }},
    {"CTime::CTime (2)", kNone, [](Sweep& s) {
       Cross(s, [](int field, int v) {
         int f[7] = {2024, 5, 17, 8, 30, 0, -1};
         f[field] = v;
         static_cast<void>(CTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]));
       }, Gen<int>{{"year", 0}, {"month", 1}, {"day", 2}, {"hour", 3}, {"minute", 4}, {"second", 5}, {"dst", 6}},
          kInts);
       Cross(s, [](const SYSTEMTIME* t, int dst) { if (t) static_cast<void>(CTime(*t, dst)); },
             kSystemTimes, kInts); }},
    {"CTime::GetCurrentTime, CTime::GetYear, CTime::GetMonth, CTime::GetDay, CTime::GetHour, CTime::GetMinute, "
     "CTime::GetSecond, CTime::GetDayOfWeek, CTime::GetLocalTm, CTime::GetAsSystemTime, GetLocalTime", kNone,
     [](Sweep& s) {
       Cross(s, [](const CTime& t) {
         SYSTEMTIME st; struct tm tm;
         t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond(), t.GetDayOfWeek();
         t.GetLocalTm(&tm), t.GetLocalTm(nullptr), t.GetAsSystemTime(st), CTime::GetCurrentTime();
         GetLocalTime(&st), GetLocalTime(nullptr);
       }, kTimes); }},
    {"GetDateFormatW, GetTimeFormatW", kNone, [](Sweep& s) {
       using Format = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);
       const Gen<Format> both = {{"date", GetDateFormatW}, {"time", GetTimeFormatW}};
       Cross(s, [](Format f, auto& p, auto* t) { wchar_t b[1024]; f(kUser, 0, t, p.p(), b, 1024); },
             both, kTexts, kSystemTimes);
       Cross(s, [](Format f, DWORD lcid, DWORD flags) { wchar_t b[1024]; f(lcid, flags, &kMay, nullptr, b, 1024); },
             both, kLcids, kDateFlags);
       Cross(s, [](Format f, auto& o) { f(kUser, kLongDate, &kMay, nullptr, Alloc<wchar_t>(o).get(), o.size); },
             both, kSignedOuts); }},
    // ---- libWinAPI: strings
    {"ms_swprintf, ms_vswprintf, wcscpy_s", kNone, [](Sweep& s) {
       Cross(s, [](auto& f, auto& o) {
         const auto b = Alloc<wchar_t>(o); const auto n = static_cast<std::size_t>(o.size); const wchar_t* x = L"x";
         const std::function<int(va_list)> print = [&](va_list a) { return ms_vswprintf(b.get(), n, f.p(), a); };
         ms_swprintf(b.get(), n, f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         WithArgs(&print, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x), wcscpy_s(Alloc<wchar_t>(o).get(), n, f.p());
       }, kTexts, kOuts); }},
    // Scans of each text with each kind of conversion and destination, and with itself as the format.
    {"swscanf_s, vswscanf_s", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) {
         const wchar_t* text = t.p();
         wchar_t w[8]; char c[8]; int i[6]; double d; long long ll; void* p;
         const std::function<int(va_list)> scan = [text](va_list a) { return vswscanf_s(text, L"%s", a); };
         swscanf_s(text, L"%s", static_cast<wchar_t*>(nullptr), 16u);
         WithArgs(&scan, static_cast<wchar_t*>(nullptr), 16u);
         swscanf_s(text, L"%s", w, 0u), swscanf_s(text, L"%s%c%[^,]", w, 8u, w, 1u, w, 8u);
         swscanf_s(text, L"%hs%S%5c", c, 8u, c, 8u, c, 8u);
         swscanf_s(text, L"%d-%d-%dT%d:%d:%d", &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]);
         swscanf_s(text, L"%99999999999d%i%x%o%n", &i[0], &i[1], &i[2], &i[3], &i[4]);
         swscanf_s(text, L"%lf%I64d%p%*s%%", &d, &ll, &p), swscanf_s(text, L"%[%s", w, 8u);
         swscanf_s(text, text, w, 8u);
       }, kTexts); }},
    {"ms_wtoi, CharNextW, _wcsdup", kAlloc, [](Sweep& s) {
       Cross(s, [](auto& t) { ms_wtoi(t.p()), CharNextW(t.p()); delete[] _wcsdup(t.p()); }, kTexts); }},
    {"MultiByteToWideChar, WideCharToMultiByte", kNone, [](Sweep& s) {
       Cross(s, [](auto& n, auto& o) {
         for (const int count : {-1, 0, n.null ? 1 : static_cast<int>(n.s.size()), INT_MIN})
           for (const UINT cp : {CP_UTF8, 0u})
             MultiByteToWideChar(cp, 0, n.p(), count, Alloc<wchar_t>(o).get(), o.size);
       }, kNarrows, kSignedOuts);
       Cross(s, [](auto& t, auto& o) {
         BOOL used;
         for (const int count : {-1, 0, t.null ? 1 : static_cast<int>(t.s.size()), INT_MIN})
           for (const UINT cp : {CP_UTF8, 0u}) {
             WideCharToMultiByte(cp, 0, t.p(), count, Alloc<char>(o).get(), o.size, "?", &used);
             WideCharToMultiByte(cp, 0, t.p(), count, Alloc<char>(o).get(), o.size, nullptr, nullptr);
           }
       }, kTexts, kSignedOuts); }},
    {"Utf8ToWide, WideToUtf8", kAlloc, [](Sweep& s) {
       Cross(s, [](auto& n) { WideToUtf8(Utf8ToWide(n.s)); }, kNarrows);
       Cross(s, [](auto& t) { Utf8ToWide(WideToUtf8(t.s)); }, kTexts); }},
    {"CreateCFStringFromUTF32, CFString2CString", kNone, [](Sweep& s) {
       Cross(s, [](auto& t) {
         CFStringRef c = CreateCFStringFromUTF32(t.p());
         std::wstring w;
         CFString2CString(c, w), CFRelease(c);
       }, kTexts);
       Cross(s, [](CFTypeRef o) { std::wstring w; CFString2CString(As<CFStringRef>(o), w); }, kObjects); }},
    // ---- libvelfirst
    {"VelString::VelString (4), VelString::operator= (2), VelString::~VelString, VelString::assign (2), "
     "VelString::append, VelString::setEmpty, VelString::isEmpty, VelString::length, VelString::c_str, "
     "VelString::compare, VelString::collateNoCase, VelString::substr, VelString::replace", kNone, [](Sweep& s) {
       Cross(s, [](auto& t, auto& u) {
         VelString a(t.p()), b;
         VelString c(a), d(std::move(c));
         b = a, c = std::move(d), a.assign(u.p()), a.assign(b), a.append(u.p());
         a.append(a.c_str()), a.append(a.c_str() + a.length()), a.compare(u.p());
         a.collateNoCase(u.p()), a.isEmpty(), a.setEmpty();
       }, kTexts, kFew);
       Cross(s, [](auto& t, int i, int n) { VelString(t.p()).substr(i, n); }, kFew, kInts, kInts);
       Cross(s, [](auto& t, wchar_t c) { VelString a(t.p()); a.replace(c, L'x'), a.replace(L'a', c); },
             kTexts, kChars); }},
    // ---- libvelcf
    {"CFRetain, CFRelease, CFGetRetainCount, CFGetTypeID, CFEqual, CFDictionaryContainsKey, CFDictionaryGetValue, "
     "CFDictionaryGetValueIfPresent, CFDictionaryGetKeysAndValues, CFStringCompare", kNone, [](Sweep& s) {
       Cross(s, [](CFTypeRef a, CFTypeRef b) {
         const auto dict = As<CFDictionaryRef>(a); const void* v;
         std::vector<const void*> keys(static_cast<std::size_t>(CFDictionaryGetCount(dict)));
         CFRelease(CFRetain(a)), CFGetRetainCount(a), CFGetTypeID(a), CFEqual(a, b);
         CFDictionaryContainsKey(dict, b), CFDictionaryGetValue(dict, b);
         CFDictionaryGetValueIfPresent(dict, b, &v), CFDictionaryGetValueIfPresent(dict, b, nullptr);
         CFDictionaryGetKeysAndValues(dict, keys.data(), nullptr);
         CFDictionaryGetKeysAndValues(dict, nullptr, keys.data());
         for (const CFOptionFlags f : {0ul, 1ul, ~0ul}) CFStringCompare(As<CFStringRef>(a), As<CFStringRef>(b), f);
       }, kObjects, kObjects); }},
    {"CFArrayGetTypeID, CFArrayGetCount, CFArrayGetValueAtIndex, CFDataGetTypeID, CFDataGetLength, CFDataGetBytePtr, "
     "CFTreeGetTypeID, CFTreeGetChildCount, CFTreeGetChildAtIndex, CFTreeGetFirstChild, CFTreeGetNextSibling, "
     "CFTreeGetParent, CFXMLNodeGetTypeID, CFXMLNodeGetTypeCode, CFXMLNodeGetString, CFXMLNodeGetInfoPtr, "
     "CFXMLNodeGetVersion, CFXMLTreeGetNode, CFStringGetTypeID, CFStringGetLength, CFStringGetCharacterAtIndex, "
     "CFStringGetCharactersPtr, CFStringGetCharacters, CFDictionaryGetTypeID, CFDictionaryGetCount", kNone,
     [](Sweep& s) {
       Cross(s, [](CFTypeRef o, CFIndex i) {
         const auto tree = As<CFTreeRef>(o);
         const auto node = As<CFXMLNodeRef>(o);
         const auto string = As<CFStringRef>(o);
         CFArrayGetTypeID(), CFDataGetTypeID(), CFTreeGetTypeID(), CFXMLNodeGetTypeID(), CFStringGetTypeID();
         CFDictionaryGetTypeID(), CFArrayGetCount(As<CFArrayRef>(o)), CFArrayGetValueAtIndex(As<CFArrayRef>(o), i);
         CFDataGetLength(As<CFDataRef>(o)), CFDataGetBytePtr(As<CFDataRef>(o));
         CFDictionaryGetCount(As<CFDictionaryRef>(o));
         CFTreeGetChildCount(tree), CFTreeGetChildAtIndex(tree, i), CFTreeGetFirstChild(tree);
         CFTreeGetNextSibling(tree), CFTreeGetParent(tree), CFXMLTreeGetNode(tree), CFXMLNodeGetTypeCode(node);
         CFXMLNodeGetString(node), CFXMLNodeGetInfoPtr(node), CFXMLNodeGetVersion(node), CFStringGetLength(string);
         CFStringGetCharacterAtIndex(string, i), CFStringGetCharactersPtr(string);
       }, kObjects, kIndexes);
       Cross(s, [](CFTypeRef o, CFIndex at, CFIndex n) {
         UniChar b[16];
         CFStringGetCharacters(As<CFStringRef>(o), CFRangeMake(at, n), n >= 0 && n <= 16 ? b : nullptr);
       }, kObjects, kIndexes, kIndexes); }},
    {"CFStringCreateWithCString, CFStringCreateWithBytes, CFStringCreateWithCharacters, "
     "__CFStringMakeConstantString, CFStringGetCString, CFStringGetMaximumSizeForEncoding", kNone, [](Sweep& s) {
       Cross(s, [](auto& n, CFStringEncoding e) {
         const auto* bytes = reinterpret_cast<const UInt8*>(n.p());
         CFStringRef c = CFStringCreateWithCString(nullptr, n.p(), e);
         for (const auto& o : kSignedOuts) CFStringGetCString(c, Alloc<char>(o.value).get(), o.value.size, e);
         CFRelease(c), CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 0 : CFIndex(n.s.size()), e, 1));
         CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 8 : -1, e, 0));
         __CFStringMakeConstantString(n.p());
       }, kNarrows, kEncodings);
       Cross(s, [](CFIndex n, CFStringEncoding e) {
         const UniChar u[2] = {0xDC00, 0xD800};
         CFStringGetMaximumSizeForEncoding(n, e), CFRelease(CFStringCreateWithCharacters(nullptr, nullptr, n));
         CFRelease(CFStringCreateWithCharacters(nullptr, u, n >= 0 && n <= 2 ? n : 0));
       }, kIndexes, kEncodings); }},
    {"CFDataCreate, CFXMLTreeCreateFromData", kNone, [](Sweep& s) {
       Cross(s, [](const std::string& d, CFOptionFlags f) {
         CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(d.data()), CFIndex(d.size()));
         CFRelease(CFXMLTreeCreateFromData(nullptr, data, nullptr, f, LONG_MIN)), CFRelease(data);
       }, kDocuments, Gen<CFOptionFlags>{{"no options", 0}, {"all options", ~0ul}});
       Cross(s, [](CFIndex n) {
         CFRelease(CFDataCreate(nullptr, nullptr, n));
         CFRelease(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, 0, n));
         CFRelease(CFXMLTreeCreateFromData(nullptr, As<CFDataRef>(kObjects[1].value), nullptr, 0, n));
       }, kIndexes); }},
};
// clang-format on

// The functions a row names, each with its number of overloads.
std::map<std::string, int> Names(const Row& row) {
  std::map<std::string, int> names;
  const std::string list = std::string(row.functions) + ", ";
  for (std::size_t at = 0, comma; (comma = list.find(", ", at)) != std::string::npos;
       at = comma + 2) {
    std::string name = list.substr(at, comma - at);
    const std::size_t paren = name.find(" (");
    const int overloads = paren == std::string::npos ? 1 : std::stoi(name.substr(paren + 2));
    names[name.substr(0, paren)] += overloads;
  }
  return names;
}

// A demangled signature's function name, template arguments as "<>".
std::string NameOf(const std::string& signature) {
  std::string name;
  int depth = 0;
  for (const char c : signature) {
    if (depth == 0 && c == '(') break;
    if (c == '<' && depth++ == 0) name += "<>";
    if (c == '>') --depth;
    if (depth == 0 && c != '>') name += c;
  }
  return name;
}

// True for a default, copy or move constructor, a copy or move assignment or a destructor of a
// class template: clang++ exports those of an explicit instantiation even where the compiler made
// them, g++ does not, and a caller can hand them nothing but a valid object.
bool IsImplicitMember(const std::string& signature) {
  static const std::regex kMember(
      R"(((?:\w+::)*(\w+)<.*>)::(?:~?\2|operator=)\((?:\1 const&|\1&&)?\))");
  return std::regex_match(signature, kMember);
}

// The functions the libraries export, with their number of overloads: the text and weak symbols of
// `nm -DC`, less the standard library's and those of the coverage build's profiling runtime.
std::map<std::string, int> Exported() {
  std::string libraries = VELUT_LIBRARIES;
  std::replace(libraries.begin(), libraries.end(), ':', ' ');
  const std::string command =
      "nm -DC --defined-only " + libraries +
      " | sed -n 's/^[0-9a-f]* [TW] //p' | sed 's/@.*//; s/\\[abi:cxx11\\]//g'";
  std::map<std::string, std::set<std::string>> signatures;
  std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(command.c_str(), "r"), pclose);
  char line[4096];
  while (nm && std::fgets(line, sizeof line, nm.get())) {
    const std::string symbol(line, std::strcspn(line, "\n")), name = NameOf(symbol);
    if (name.find("std::") == std::string::npos && name.find("__gnu_cxx") == std::string::npos &&
        name != "mangle_path" && name.rfind("__gcov", 0) != 0 && name.rfind("decltype", 0) != 0 &&
        !IsImplicitMember(symbol) &&
        (name.find(' ') == std::string::npos || name.find("operator bool") != std::string::npos))
      signatures[name].insert(symbol);
  }
  std::map<std::string, int> exported;
  for (const auto& [name, set] : signatures) exported[name] = static_cast<int>(set.size());
  return exported;
}

// Every exported function has a row, each of its overloads counted: a new function needs a row.
TEST(HostileInput, TableCoversEveryExport) {
  std::map<std::string, int> covered;
  for (const Row& row : kRows)
    if (!(row.allow & kAgain))
      for (const auto& [name, overloads] : Names(row)) covered[name] += overloads;
  const std::map<std::string, int> exported = Exported();
  ASSERT_GT(exported.size(), 200u);
  for (const auto& [name, overloads] : exported) {
    const auto it = covered.find(name);
    EXPECT_EQ(it == covered.end() ? 0 : it->second, overloads) << "overloads with a row: " << name;
  }
}

TEST(HostileInput, NoCallCrashesHangsOrThrowsUndocumented) {
  velut_test::TempFolder tmp;
  chmod(tmp.path().c_str(), 0777);
  velut_test::WriteScript(tmp, "msiexec", "exit 0\n");
  velut_test::ScopedEnv path("PATH", tmp.path().c_str());
  velut_test::ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  velut_test::ScopedCurrentFolder here(tmp.path());
  // The children find a fake installer first on PATH, create files only in the temporary folder,
  // show no message box, and meet std::bad_alloc (where allowed) instead of taking gigabytes.
  AfxSetMessageBoxHandler([](const wchar_t*, UINT, UINT) { return IDOK; });
  velut_test::LimitAllocations(256ul << 20);
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.functions);
    Sweep sweep(row.functions, row.allow);
    row.calls(sweep);
    sweep.Finish();
  }
  velut_test::LimitAllocations(0);
}

}  // namespace
