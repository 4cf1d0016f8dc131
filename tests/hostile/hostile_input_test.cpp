// Every exported function of the library and every entry point of the
// layers, called with each class of bad argument that applies. Each call
// runs in a forked child with a 5-second alarm; a call fails on a signal,
// a hang, a sanitizer report or an exception its header does not
// document. Values are not judged here: the other suites do that.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <VelUt/VelUt.h>

#include "VelUtResString/xml_entries.h"
#include "support/alloc_failure.h"
#include "support/fake_program.h"
#include "support/scoped_env.h"
#include "support/temp_folder.h"

#if defined(__SANITIZE_ADDRESS__)
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

// ---------------------------------------------------------------- classes

// One argument class: a value and the name a failure report gives it.
template <typename T>
struct Arg {
  std::string name;
  T value;
};
template <typename T>
using Gen = std::vector<Arg<T>>;

// A wide text, or null.
struct Text {
  bool null;
  std::wstring s;  // the whole text, embedded zeros included
  const wchar_t* p() const { return null ? nullptr : s.c_str(); }
  Str str() const { return s; }
};

std::wstring Repeat(const std::wstring& piece, std::size_t units) {
  std::wstring s;
  while (s.size() < units) s += piece;
  s.resize(units);
  return s;
}

// Every class of bad text: lengths around the 1024-unit buffers, runs of
// separators, dots, units that are no Unicode scalar values, an embedded
// zero, folders and missing paths where files are expected, and a name
// whose native bytes are not UTF-8.
const Gen<Text>& Texts() {
  static const Gen<Text> texts = {
      {"null", {true, L""}},
      {"\"\"", {false, L""}},
      {"1023 units", {false, std::wstring(1023, L'a')}},
      {"1024 units", {false, std::wstring(1024, L'a')}},
      {"1025 units", {false, std::wstring(1025, L'a')}},
      {"4096 units", {false, std::wstring(4096, L'a')}},
      {"70000 units", {false, std::wstring(70000, L'a')}},
      {"70000 brackets and quotes", {false, Repeat(L"([{\"'\\)]}", 70000)}},
      {"1030 '/'", {false, std::wstring(1030, L'/')}},
      {"1030 '\\'", {false, std::wstring(1030, L'\\')}},
      {"\"...\"", {false, L"..."}},
      {"lone surrogate", {false, L"a\xD800z"}},
      {"above U+10FFFF", {false, std::wstring(L"a") + static_cast<wchar_t>(0x110000) + L"z"}},
      {"embedded zero", {false, std::wstring(L"a\0b", 3)}},
      {"\"/\"", {false, L"/"}},
      {"\"/proc\"", {false, L"/proc"}},
      {"\".\"", {false, L"."}},
      {"missing path", {false, L"/velut-missing/sub/x.txt"}},
      {"name not UTF-8", {false, L"n\xDCE9.txt"}},
      {"long file URL", {false, L"file:///" + std::wstring(2000, L'a')}},
      {"conversions", {false, L"%s%d%c%p%n%hs%S%I64d%*.*s%99999999d%.2147483647s%"}},
  };
  return texts;
}

// A few texts for the second and third text of a function.
const Gen<Text>& Few() {
  static const Gen<Text> few = {
      {"null", {true, L""}},
      {"\"\"", {false, L""}},
      {"\"a\"", {false, L"a"}},
      {"\",'\\\"\"", {false, L",'\""}},
      {"70000 units", {false, std::wstring(70000, L'a')}},
      {"embedded zero", {false, std::wstring(L"a\0b", 3)}},
  };
  return few;
}

// A narrow text, or null: UTF-8 that is not, and long runs.
struct Narrow {
  bool null;
  std::string s;
  const char* p() const { return null ? nullptr : s.c_str(); }
};
const Gen<Narrow>& Narrows() {
  static const Gen<Narrow> narrows = {
      {"null", {true, ""}},
      {"\"\"", {false, ""}},
      {"not UTF-8", {false, "n\xE9.txt"}},
      {"overlong", {false, "\xC0\xAF"}},
      {"truncated", {false, "a\xE2\x82"}},
      {"surrogate", {false, "\xED\xA0\x80"}},
      {"above U+10FFFF", {false, "\xF4\x90\x80\x80"}},
      {"1030 '/'", {false, std::string(1030, '/')}},
      {"70000 bytes", {false, std::string(70000, 'a')}},
  };
  return narrows;
}

// Positions and counts.
const Gen<int>& Ints() {
  static const Gen<int> ints = {
      {"INT_MIN", INT_MIN}, {"-1", -1}, {"0", 0}, {"2", 2}, {"INT_MAX", INT_MAX}};
  return ints;
}
const Gen<unsigned>& UInts() {
  static const Gen<unsigned> uints = {
      {"0", 0}, {"1", 1}, {"65535", 65535}, {"65536", 65536}, {"UINT_MAX", UINT_MAX}};
  return uints;
}
// String-resource ids where a text pointer is expected.
const Gen<std::uintptr_t>& Ids() {
  static const Gen<std::uintptr_t> ids = {{"id 1", 1}, {"id 7", 7}, {"id 0xFFFF", 0xFFFF}};
  return ids;
}
const wchar_t* IdText(std::uintptr_t id) { return reinterpret_cast<const wchar_t*>(id); }
const Gen<CFIndex>& Indexes() {
  static const Gen<CFIndex> indexes = {
      {"LONG_MIN", LONG_MIN}, {"-1", -1}, {"0", 0}, {"1", 1}, {"LONG_MAX", LONG_MAX}};
  return indexes;
}
const Gen<wchar_t>& Chars() {
  static const Gen<wchar_t> chars = {{"0", L'\0'},
                                     {"'('", L'('},
                                     {"'\\''", L'\''},
                                     {"'\\\\'", L'\\'},
                                     {"U+D800", L'\xD800'},
                                     {"U+110000", static_cast<wchar_t>(0x110000)},
                                     {"-1", static_cast<wchar_t>(-1)}};
  return chars;
}
// Escape characters: none, the usual one, one that is no character.
const Gen<wchar_t>& Escapes() {
  static const Gen<wchar_t> escapes = {{"0", L'\0'}, {"'\\'", L'\\'}, {"U+D800", L'\xD800'}};
  return escapes;
}
const Gen<signed char>& Bools() {
  static const Gen<signed char> bools = {{"0", 0}, {"-1", -1}};
  return bools;
}

// Lists of strings: empty, every text class, many duplicates.
const Gen<std::vector<std::wstring>>& Lists() {
  static const Gen<std::vector<std::wstring>> lists = [] {
    Gen<std::vector<std::wstring>> out = {{"empty list", {}}, {"all texts", {}}};
    for (const auto& t : Texts()) out[1].value.push_back(t.value.s);
    out.push_back({"300 duplicates", std::vector<std::wstring>(300, L"C:\\dir\\")});
    return out;
  }();
  return lists;
}
StrList ToList(const std::vector<std::wstring>& texts) {
  StrList list;
  for (const auto& t : texts) list.Add(Str(t));
  return list;
}

// ---------------------------------------------------------------- calls

// What a row's header lets escape.
enum Allow : unsigned {
  kNone = 0,
  kAlloc = 1,      // std::bad_alloc, std::length_error: memory runs out
  kOle = 2,        // COleException*
  kMemoryExc = 4,  // CMemoryException*
  kInline = 8,     // defined in its header: not in the symbol table
  kWrites = 16,    // creates files: runs as nobody, so only the
                   // temporary folder can take them
};

// How a child ended, besides a signal.
enum Outcome {
  kReturned = 0,
  kBadAlloc = 70,
  kLengthError,
  kOtherStd,
  kMemoryException,
  kOleException,
  kUnknown,
  kLeak,
  kNoNobody,
};

int Run(const std::function<void()>& call) {
  try {
    call();
    return kReturned;
  } catch (const std::bad_alloc&) {
    return kBadAlloc;
  } catch (const std::length_error&) {
    return kLengthError;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception: %s\n", e.what());
    return kOtherStd;
  } catch (CMemoryException* e) {
    e->Delete();
    return kMemoryException;
  } catch (CDravoMemoryException* e) {
    e->Delete();
    return kMemoryException;
  } catch (COleException* e) {
    e->Delete();
    return kOleException;
  } catch (...) {
    return kUnknown;
  }
}

// Runs each call of one row in a forked child, two at a time, and reports
// the bad ends.
class Sweep {
 public:
  Sweep(const char* function, unsigned allow) : function_(function), allow_(allow) {}

  void Call(const std::string& args, const std::function<void()>& call) {
    ++calls_;
    if (running_.size() >= 2) Reap();
    const pid_t child = fork();
    if (child == 0) {
      if ((allow_ & kWrites) && geteuid() == 0 && !velut_test::BecomeNobody()) _exit(kNoNobody);
      alarm(5);
#if defined(__SANITIZE_ADDRESS__)
      const std::size_t before = __sanitizer_get_current_allocated_bytes();
#endif
      int outcome = Run(call);
#if defined(__SANITIZE_ADDRESS__)
      // A call that leaves no more memory allocated than it found leaked
      // nothing; the others get the (slow) full leak check.
      if (outcome == kReturned && __sanitizer_get_current_allocated_bytes() > before &&
          __lsan_do_recoverable_leak_check() != 0)
        outcome = kLeak;
#endif
      _exit(outcome);
    }
    running_[child] = args;
  }

  // Waits for the calls still running; returns the number of calls.
  int Finish() {
    while (!running_.empty()) Reap();
    return calls_;
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
      return WTERMSIG(status) == SIGALRM ? "hangs"
                                         : std::string("dies: ") + strsignal(WTERMSIG(status));
    switch (WEXITSTATUS(status)) {
      case kReturned:
        return "";
      case kBadAlloc:
      case kLengthError:
        return allow_ & kAlloc ? "" : "undocumented std::bad_alloc or std::length_error";
      case kMemoryException:
        return allow_ & kMemoryExc ? "" : "undocumented CMemoryException*";
      case kOleException:
        return allow_ & kOle ? "" : "undocumented COleException*";
      case kOtherStd:
      case kUnknown:
        return "undocumented exception";
      case kLeak:
        return "leaks";
      case kNoNobody:
        return "cannot give up root";
      default:
        return "exit status " + std::to_string(WEXITSTATUS(status)) + " (a sanitizer report)";
    }
  }

  const char* function_;
  unsigned allow_;
  int calls_ = 0;
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

// ---------------------------------------------------------------- more classes

// A caller's output buffer: null or `size` units (exactly, so that a write
// past them is a sanitizer report).
struct Out {
  bool null;
  int size;
};
const Gen<Out>& Outs() {
  static const Gen<Out> outs = {{"null, 0", {true, 0}},  {"null, 10", {true, 10}},
                                {"0 units", {false, 0}}, {"1 unit", {false, 1}},
                                {"5 units", {false, 5}}, {"1024 units", {false, 1024}}};
  return outs;
}
// The same with negative sizes, for the functions whose size is an int.
const Gen<Out>& SignedOuts() {
  static const Gen<Out> outs = [] {
    Gen<Out> o = Outs();
    o.push_back({"-1 units", {false, -1}});
    o.push_back({"INT_MIN units", {false, INT_MIN}});
    return o;
  }();
  return outs;
}
template <typename C>
std::unique_ptr<C[]> Alloc(const Out& o) {
  return o.null ? nullptr : std::unique_ptr<C[]>(new C[o.size > 0 ? o.size : 0]());
}

// `t` in a buffer of at least `units` units (null for a null text), for
// the functions that edit a path in place.
std::unique_ptr<wchar_t[]> Buffer(const Text& t, std::size_t units) {
  if (t.null) return nullptr;
  std::unique_ptr<wchar_t[]> b(new wchar_t[std::max(units, t.s.size() + 1)]());
  std::copy(t.s.begin(), t.s.end(), b.get());
  return b;
}

// Resource libraries: none, a loaded one, a freed one, a value the layer
// never handed out.
const Gen<HMODULE>& Modules() {
  static const Gen<HMODULE> modules = [] {
    HMODULE freed = LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/languages.dll");
    FreeLibrary(freed);
    return Gen<HMODULE>{{"null", nullptr},
                        {"loaded", LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/strings64.dll")},
                        {"freed", freed},
                        {"foreign", reinterpret_cast<HMODULE>(0x10000)}};
  }();
  return modules;
}

// Process handles: none, foreign, and a real one (made in the child, since
// the layer's waiter threads do not survive a fork).
const Gen<int>& HandleKinds() {
  static const Gen<int> kinds = {{"null", 0}, {"foreign", 1}, {"running", 2}, {"closed", 3}};
  return kinds;
}
HANDLE MakeHandle(int kind) {
  if (kind < 2) return kind == 0 ? nullptr : reinterpret_cast<HANDLE>(0x1234);
  wchar_t line[] = L"msiexec";
  STARTUPINFOW si{};
  PROCESS_INFORMATION pi{};
  CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(pi.hThread);
  if (kind == 3) CloseHandle(pi.hProcess);
  return pi.hProcess;
}

// Documents and objects of the XML tree, made once in the parent.
const velut_test::XmlTable& Table() {
  static const velut_test::XmlTable table(
      "<?xml version='1.0'?><!DOCTYPE t><t a='1' b='&#x10000;'><s resource='7' src='" +
      std::string(2000, 'x') + "'/><s>text<![CDATA[c]]></s><!--c--></t>");
  return table;
}
const Gen<CFTreeRef>& Trees() {
  static const Gen<CFTreeRef> trees = [] {
    CFTreeRef root = Table().Root();
    CFTreeRef doc = CFTreeGetParent(root);
    return Gen<CFTreeRef>{{"null", nullptr},
                          {"document", doc},
                          {"root element", root},
                          {"reference entry", Table().Entry(0)},
                          {"literal entry", Table().Entry(1)},
                          {"text node", CFTreeGetFirstChild(Table().Entry(1))},
                          {"doctype", CFTreeGetChildAtIndex(doc, 1)}};
  }();
  return trees;
}
// Objects of every type, so that each query also meets the wrong type.
const Gen<CFTypeRef>& Objects() {
  // Never destroyed, so that the objects stay reachable to the end.
  static const Gen<CFTypeRef>& objects = *new Gen<CFTypeRef>([] {
    const auto* info =
        static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(Table().Root())));
    const UniChar lone[] = {0xD800, 'a'};
    return Gen<CFTypeRef>{
        {"null", nullptr},
        {"string", CFStringCreateWithCString(nullptr, "abc\xC3\xA9", kCFStringEncodingUTF8)},
        {"empty string", CFStringCreateWithCharacters(nullptr, nullptr, 0)},
        {"lone surrogate string", CFStringCreateWithCharacters(nullptr, lone, 2)},
        {"constant string", CFSTR("src")},
        {"data", CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("<a/>"), 4)},
        {"tree", Table().Root()},
        {"node", CFXMLTreeGetNode(Table().Root())},
        {"dictionary", info->attributes},
        {"array", info->attributeOrder}};
  }());
  return objects;
}
template <typename T>
T As(CFTypeRef o) {
  return static_cast<T>(const_cast<void*>(o));
}
const Gen<CFStringEncoding>& Encodings() {
  static const Gen<CFStringEncoding> encodings = {
      {"UTF-8", kCFStringEncodingUTF8},        {"ASCII", kCFStringEncodingASCII},
      {"Latin-1", kCFStringEncodingISOLatin1}, {"windows-1252", kCFStringEncodingWindowsLatin1},
      {"UTF-16", kCFStringEncodingUTF16},      {"UTF-16LE", kCFStringEncodingUTF16LE},
      {"invalid", kCFStringEncodingInvalidId}};
  return encodings;
}
// XML documents that are bad in every way the parser meets.
const Gen<std::string>& Documents() {
  static const Gen<std::string> documents = {
      {"empty", ""},
      {"deep", std::string(200000, '<') + "a/>"},
      {"200000 levels",
       [] {
         std::string d;
         for (int i = 0; i < 200000; ++i) d += "<a>";
         for (int i = 0; i < 200000; ++i) d += "</a>";
         return d;
       }()},
      {"long attribute", "<a b='" + std::string(70000, 'x') + "'/>"},
      {"many attributes",
       [] {
         std::string d = "<a";
         for (int i = 0; i < 5000; ++i) d += " a" + std::to_string(i) + "='1'";
         return d + "/>";
       }()},
      {"character references", "<a>&#x110000;&#0;&#xD800;&#99999999999;&#x;</a>"},
      {"entities", "<!DOCTYPE a [<!ENTITY e '&e;'>]><a>&e;&e;&lt</a>"},
      {"not UTF-8", "<a>n\xE9</a>"},
      {"odd UTF-16", std::string("\xFF\xFE<\0a\0/\0>", 8)},
      {"truncated", "<?xml version='1.0' encoding='UTF-16'?><a"},
      {"unclosed", "<!--<![CDATA[<?pi"},
      {"latin1", "<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9\xFF</a>"},
  };
  return documents;
}
CFDataRef Data(const std::string& d) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(d.data()),
                      static_cast<CFIndex>(d.size()));
}

const Gen<CTime>& Times() {
  static const Gen<CTime> times = {{"INT64_MIN", CTime(INT64_MIN)},
                                   {"-1", CTime(-1)},
                                   {"0", CTime(0)},
                                   {"year 30828", CTime(INT64_C(870000000000))},
                                   {"INT64_MAX", CTime(INT64_MAX)}};
  return times;
}
const Gen<const SYSTEMTIME*>& SystemTimes() {
  static const SYSTEMTIME zero{},
      max{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
      may{2024, 5, 5, 17, 8, 30, 0, 0}, feb{2023, 2, 0, 31, 23, 59, 59, 999};
  static const Gen<const SYSTEMTIME*> times = {{"null", nullptr},
                                               {"zero", &zero},
                                               {"all 0xFFFF", &max},
                                               {"17 May 2024", &may},
                                               {"31 February", &feb}};
  return times;
}
const Gen<_GUID>& Guids() {
  static const Gen<_GUID> guids = {
      {"zero", _GUID{}},
      {"all ones", _GUID{0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}}};
  return guids;
}
const Gen<DWORD>& Codes() {
  static const Gen<DWORD> codes = {{"0", 0},
                                   {"5", 5},
                                   {"0x800300FD", 0x800300FD},
                                   {"0x80070005", 0x80070005},
                                   {"0x12345678", 0x12345678},
                                   {"0xFFFFFFFF", 0xFFFFFFFF}};
  return codes;
}
const Gen<DWORD>& Lcids() {
  static const Gen<DWORD> lcids = {
      {"0", 0},           {"user", LOCALE_USER_DEFAULT}, {"invariant", 0x7F}, {"0x0407", 0x0407},
      {"0x3C0A", 0x3C0A}, {"0xFFFFFFFF", 0xFFFFFFFF}};
  return lcids;
}
const Gen<DWORD>& DateFlags() {
  static const Gen<DWORD> flags = {{"0", 0},       {"1", 1},       {"2", 2},
                                   {"8", 8},       {"0x80", 0x80}, {"0x30", 0x30},
                                   {"0x40", 0x40}, {"0xF", 0xF},   {"0xFFFFFFFF", 0xFFFFFFFF}};
  return flags;
}

// printf and scanf through their va_list forms.
void CallFormatV(Str& s, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  s.FormatV(format, args);
  va_end(args);
}
int CallVswprintf(wchar_t* b, std::size_t n, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int r = ms_vswprintf(b, n, format, args);
  va_end(args);
  return r;
}
int CallVswscanf(const wchar_t* text, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int r = vswscanf_s(text, format, args);
  va_end(args);
  return r;
}
// Scans of `t` with each kind of conversion and destination.
void Scans(const Text& t) {
  const wchar_t* text = t.p();
  wchar_t w[8];
  char c[8];
  int i[6];
  double d;
  long long ll;
  void* p;
  swscanf_s(text, L"%s", static_cast<wchar_t*>(nullptr), 16u);
  CallVswscanf(text, L"%s", static_cast<wchar_t*>(nullptr), 16u);
  swscanf_s(text, L"%s", w, 0u);
  swscanf_s(text, L"%s%c%[^,]", w, 8u, w, 1u, w, 8u);
  swscanf_s(text, L"%hs%S%5c", c, 8u, c, 8u, c, 8u);
  swscanf_s(text, L"%d-%d-%dT%d:%d:%d", &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]);
  swscanf_s(text, L"%99999999999d%i%x%o%n", &i[0], &i[1], &i[2], &i[3], &i[4]);
  swscanf_s(text, L"%lf%I64d%p%*s%%", &d, &ll, &p);
  swscanf_s(text, L"%[%s", w, 8u);
  swscanf_s(text, text, w, 8u);
}

// A long target for replacements.
std::wstring Long() { return std::wstring(70000, L'a'); }

// The sources and forms of FormatMessage.
const Gen<DWORD>& MessageFlags() {
  static const Gen<DWORD> flags = {
      {"string", FORMAT_MESSAGE_FROM_STRING},
      {"system", FORMAT_MESSAGE_FROM_SYSTEM},
      {"string, no inserts", FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS},
      {"string, array, width 1", FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | 1},
      {"module", FORMAT_MESSAGE_FROM_HMODULE},
      {"system, width mask", FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK},
      {"all", 0xFFFFFFFF}};
  return flags;
}

// Sets (or, for null, removes) an environment variable of the child.
void SetEnv(const char* name, const Narrow& value) {
  if (value.null)
    unsetenv(name);
  else
    setenv(name, value.p(), 1);
}

// Positions over maps: the walk, copies, comparisons and assignments
// across two maps, an empty one among them.
void Positions() {
  CStdStrPtrMap a, empty;
  a.SetAt(L"b", nullptr);
  a.SetAt(L"a", &a);
  POSITION pa = a.GetStartPosition(), pe = empty.GetStartPosition();
  POSITION copy = pa;
  static_cast<void>(*pa.get() == *pe.get());
  *copy.get() = *pe.get();
  *copy.get() = *copy.get();
  Str key;
  void* value;
  while (pa) a.GetNextAssoc(pa, key, value);
  empty.GetNextAssoc(copy, key, value);
  a.GetNextAssoc(pe, key, value);
  std::unique_ptr<POSITION_IMP>(pe.get()->clone());
}

// ---------------------------------------------------------------- the table

// Each row names the functions it calls as the symbol tables name them,
// template arguments as "<>", "(n)" for n overloads.
struct Row {
  const char* functions;
  unsigned allow;
  void (*calls)(Sweep&);
};

// Texts, pictures, counts and pointers are crossed per function; the
// layout of the table is its own.
// clang-format off
const Row kRows[] = {
    // ---- libVelUt: CStdStr, ssicoll, ssadd
    {"CStdStr<>::CStdStr (5)", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         Str a(t.p()), b(t.s), c(std::wstring(t.s)), d(t.p(), t.null ? 0 : t.s.size()); }, Texts());
       Cross(s, [](wchar_t c) { Str a(c); }, Chars());
       Cross(s, [](std::uintptr_t id) { Str a(IdText(id)); }, Ids()); }},
    {"CStdStr<>::operator= (3)", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& u, wchar_t c) {
         Str a(t.s);
         a = u.p(), a = u.s, a = a.c_str() + a.size() / 2, a = a.c_str() + a.size(), a = c;
       }, Texts(), Few(), Escapes()); }},
    {"CStdStr<>::Load", kNone, [](Sweep& s) {
       Cross(s, [](unsigned id, HMODULE m) { Str().Load(id, m); }, UInts(), Modules()); }},
    {"CStdStr<>::Fmt, CStdStr<>::FormatV", kNone, [](Sweep& s) {
       Cross(s, [](const Text& f, const Text& t) {
         Str a(t.s);
         const wchar_t* x = a.c_str();
         a.Fmt(f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         x = a.c_str();
         CallFormatV(a, f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         x = a.c_str();
         a.Fmt(x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         a.Format(L"%s!", a);
       }, Texts(), Few()); }},
    {"CStdStr<>::GetBuf, CStdStr<>::RelBuf", kAlloc, [](Sweep& s) {
       Cross(s, [](const Text& t, int n) {
         Str a(t.s);
         a.GetBuf(n), a.RelBuf(-1), a.GetBuf(1), a.RelBuf(n);
       }, Texts(), Ints()); }},
    {"CStdStr<>::TrimLeft, CStdStr<>::TrimRight, CStdStr<>::MakeLower, CStdStr<>::ToLower, "
     "CStdStr<>::Remove", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, wchar_t c) {
         Str a(t.s);
         a.TrimLeft().TrimRight().MakeLower().ToLower(std::locale::classic()).Remove(c);
       }, Texts(), Chars()); }},
    {"CStdStr<>::Find, CStdStr<>::FindOneOf, CStdStr<>::CompareNoCase, CStdStr<>::CollateNoCase",
     kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& u) {
         const Str a(t.s);
         a.Find(u.p()), a.FindOneOf(u.p()), a.CompareNoCase(u.p()), a.CollateNoCase(u.p());
       }, Texts(), Few()); }},
    {"CStdStr<>::Mid, CStdStr<>::Left, CStdStr<>::Right, CStdStr<>::Insert, CStdStr<>::Delete",
     kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, int i, int n) {
         Str a(t.s);
         a.Mid(i, n), a.Left(n), a.Right(n), a.Insert(i, L'x'), a.Delete(i, n);
       }, Few(), Ints(), Ints()); }},
    {"CStdStr<>::Replace", kAlloc, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& o) {
         Str a(t.s);
         a.Replace(o.p(), o.p()), a.Replace(a.c_str(), a.c_str());
       }, Texts(), Few());
       Cross(s, [](const Text& o, const Text& n) { Str(Long()).Replace(o.p(), n.p()); },
             Few(), Few()); }},
    {"ssicoll, ssadd", kNone, [](Sweep& s) {
       Cross(s, [](const Text& a, int n) {
         ssicoll(a.p(), n, a.p(), n), ssicoll(a.p(), n, nullptr, n), ssicoll(nullptr, n, a.p(), 2);
       }, Texts(), Ints());
       Cross(s, [](const Text& t, const Text& u) {
         std::wstring d(t.s);
         ssadd(d, u.p()), ssadd(d, d.c_str() + d.size() / 2), ssadd(d, d.c_str() + d.size());
       }, Texts(), Few()); }},

    // ---- libVelUt: containers and positions
    {"CStdContainer<>::RemoveAt, CArray<>::SetSize, CStdMap<>::Lookup", kInline | kAlloc,
     [](Sweep& s) {
       Cross(s, [](int n, const Text& t) {
         StrList l = ToList(Lists()[1].value);
         l.RemoveAt(static_cast<unsigned>(n));
         UIntArray().SetSize(n);
         CStdStrPtrMap m;
         void* v = nullptr;
         m.SetAt(t.p(), &m), m[t.p()] = nullptr, m.Lookup(t.p(), v), m.RemoveKey(t.p());
       }, Ints(), Texts()); }},
    {"POSITION_IMP::~POSITION_IMP, CStdContainerPos<>::CStdContainerPos, "
     "CStdContainerPos<>::clone, CStdContainerPos<>::operator bool, "
     "CStdContainerPos<>::operator= (2), CStdContainerPos<>::operator==, "
     "CStdContainerPos<>::~CStdContainerPos", kNone, [](Sweep& s) { s.Call("", Positions); }},
    {"CDravoMemoryException::Delete, CDravoMemoryException::what, "
     "CDravoMemoryException::~CDravoMemoryException", kNone, [](Sweep& s) {
       s.Call("", [] { auto* e = new CDravoMemoryException; e->what(), e->Delete(); }); }},

    // ---- libVelUt: text utilities
    {"VelUt::ParseDelimitedString, VelUt::SplitString", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& d, int f) {
         StrList l;
         Str left, right;
         wchar_t c;
         VelUt::ParseDelimitedString(t.str(), d.str(), l, f);
         VelUt::SplitString(t.str(), d.str(), left, right, c, static_cast<signed char>(f));
       }, Texts(), Few(), Gen<int>{{"0", 0}, {"15", 15}, {"-1", -1}}); }},
    {"VelUt::MakeDelimitedString", kNone, [](Sweep& s) {
       Cross(s, [](const std::vector<std::wstring>& l, signed char e, const Text& sep) {
         VelString r;
         VelUt::MakeDelimitedString(ToList(l), r, e, sep.str());
       }, Lists(), Bools(), Few()); }},
    {"VelUt::FindMatchingChar, VelUt::MatchBraces", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, int p, signed char q, wchar_t e) {
         VelUt::FindMatchingChar(t.str(), p, q, e);
       }, Texts(), Ints(), Bools(), Escapes());
       Cross(s, [](const Text& t, wchar_t b, signed char q, wchar_t e) {
         VelUt::MatchBraces(t.str(), b, q, e);
       }, Texts(), Chars(), Bools(), Escapes()); }},
    {"VelUt::RemoveQuotes, VelUt::TrimLeftChar, VelUt::TrimRightChar", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, wchar_t c) {
         Str a(t.s), b(t.s), d(t.s);
         VelUt::RemoveQuotes(a, c), VelUt::TrimLeftChar(b, c), VelUt::TrimRightChar(d, c);
       }, Texts(), Chars()); }},
    {"VelUt::EscapeChar, VelUt::RemoveEscapeChar", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& c, wchar_t e) {
         Str a(t.s);
         VelUt::EscapeChar(a, c.str(), e), VelUt::RemoveEscapeChar(a, c.str(), e);
       }, Texts(), Few(), Escapes()); }},
    {"VelUt::FindNoCase, VelUt::ReplaceNoCase", kAlloc, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& p, int i) {
         Str a(t.s);
         VelUt::FindNoCase(t.p(), p.p(), i), VelUt::ReplaceNoCase(a, p.p(), p.p());
         VelUt::ReplaceNoCase(a, a.c_str(), a.c_str());
       }, Texts(), Few(), Ints());
       Cross(s, [](const Text& p, const Text& r) { Str a(Long()); VelUt::ReplaceNoCase(a, p.p(), r.p()); },
             Few(), Few());
       Cross(s, [](std::uintptr_t id) {
         Str a;
         VelUt::FindNoCase(IdText(id), IdText(id), 0), VelUt::ReplaceNoCase(a, IdText(id), IdText(id));
       }, Ids()); }},
    {"VelUt::SortArray, VelUt::FindInArray (3), VelUt::RemoveDuplicates", kNone, [](Sweep& s) {
       Cross(s, [](int n) {
         UIntArray a;
         for (int i = 0; i < n; ++i) a.Add(static_cast<unsigned>(i) * 2654435761u);
         VelUt::SortArray(a);
         PtrList p;
         p.Add(nullptr);
         VelUt::FindInArray(0u, a), VelUt::FindInArray(nullptr, p);
       }, Gen<int>{{"0", 0}, {"1", 1}, {"70000", 70000}});
       Cross(s, [](const Text& t, const std::vector<std::wstring>& l, signed char c) {
         StrList list = ToList(l);
         VelUt::FindInArray(t.p(), list, c), VelUt::RemoveDuplicates(list);
       }, Texts(), Lists(), Bools()); }},

    // ---- libVelUt: conversions
    {"VelUt::IsZeroGuid, VelUt::GuidToString", kNone, [](Sweep& s) {
       Cross(s, [](const _GUID& g, signed char b) { VelUt::IsZeroGuid(g), VelUt::GuidToString(g, b); },
             Guids(), Bools()); }},
    {"VelUt::StringToGuid, VelUt::StringToTime, VelUt::StringToVersion", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         _GUID g;
         CTime c;
         unsigned v;
         VelUt::StringToGuid(t.p(), g), VelUt::StringToTime(t.str(), c);
         VelUt::StringToVersion(t.str(), v);
       }, Texts());
       Cross(s, [](std::uintptr_t id) { _GUID g; VelUt::StringToGuid(IdText(id), g); }, Ids()); }},
    {"VelUt::FormatDateTimeForUserLocale", kNone, [](Sweep& s) {
       Cross(s, [](const CTime& t, const Narrow& lang) {
         SetEnv("LC_ALL", lang);
         VelUt::FormatDateTimeForUserLocale(t);
       }, Times(), Narrows()); }},

    // ---- libVelUt: URLs, paths and files
    {"PreProcessUrl, VelUt::IsUrl, VelUt::FixUrl, VelUt::UrlToPath, VelUt::GetPathFromUrl",
     kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         Str a(t.s);
         VelString f(t.p()), p;
         PreProcessUrl(a), VelUt::IsUrl(t.p()), VelUt::FixUrl(f), VelUt::UrlToPath(t.p(), p);
         VelUt::GetPathFromUrl(t.p());
       }, Texts()); }},
    {"VelUt::RelativeToAbsolutePath, VelUt::AbsoluteToRelativePath", kNone, [](Sweep& s) {
       Cross(s, [](const Text& a, const Text& b) {
         VelString r;
         VelUt::RelativeToAbsolutePath(a.p(), b.p(), r), VelUt::AbsoluteToRelativePath(a.p(), b.p(), r);
       }, Texts(), Texts()); }},
    {"VelUt::GetUniqueFileName, VelUt::GetFileStatus", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         Str a(t.s);
         CFileStatus st;
         VelUt::GetUniqueFileName(a), VelUt::GetFileStatus(t.p(), st);
       }, Texts()); }},
    {"VelUt::GetTempFile, VelUt::IsFolderReadOnly", kWrites, [](Sweep& s) {
       Cross(s, [](const Text& p, const Text& e) { VelUt::GetTempFile(p.p(), e.p()); }, Texts(), Few());
       Cross(s, [](const Text& t) { VelUt::IsFolderReadOnly(t.p()); }, Texts()); }},

    // ---- libVelUt: system services and string tables
    {"VelUt::GetSystemErrorMessage", kNone, [](Sweep& s) {
       Cross(s, [](DWORD c, DWORD last) { SetLastError(last); VelUt::GetSystemErrorMessage(c); },
             Codes(), Codes()); }},
    {"VelUt::StartMsiInstallation", kNone, [](Sweep& s) {
       Cross(s, [](const Text& f, const Text& a) {
         VelUt::StartMsiInstallation(f.str(), a.str(), 0);
         VelUt::StartMsiInstallation(f.str(), a.str(), -1);
       }, Texts(), Few()); }},
    {"VelUtResString::Load, VelUtResString::Set, VelUtResString::LoadFromResource", kNone,
     [](Sweep& s) {
       Cross(s, [](CFTreeRef t, signed char f) {
         VelUtResString r;
         r.Load(t), r.LoadFromResource(f), r.LoadFromResource(f);
       }, Trees(), Bools());
       Cross(s, [](unsigned id, const Text& src) {
         VelUtResString r;
         r.Set(id, src.p()), r.Set(id, r.mSrc.c_str()), r.LoadFromResource(0), r.LoadFromResource(1);
       }, UInts(), Texts()); }},
    {"VelUtResString::GetResourceHandle, VelUtResString::FreeLibraries", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         VelUtResString::GetResourceHandle(t.p()), VelUtResString::GetResourceHandle(t.p());
         VelUtResString::FreeLibraries(), VelUtResString::FreeLibraries();
       }, Texts()); }},

    // ---- libWinAPI: errors, exceptions, messages, local memory
    {"GetLastError, SetLastError", kNone, [](Sweep& s) {
       Cross(s, [](DWORD c) { SetLastError(c), GetLastError(); }, Codes()); }},
    {"AfxThrowMemoryException, AfxThrowOleException, CException::Delete, "
     "CException::~CException, CMemoryException::~CMemoryException, "
     "COleException::~COleException", kMemoryExc | kOle, [](Sweep& s) {
       s.Call("", [] { CMemoryException m(false); m.Delete(), (new COleException(5))->Delete(); });
       s.Call("", [] { AfxThrowMemoryException(); });
       Cross(s, [](DWORD c) { AfxThrowOleException(static_cast<SCODE>(c)); }, Codes()); }},
    {"AfxSetMessageBoxHandler, AfxMessageBox (2)", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, unsigned type) {
         std::freopen("/dev/null", "w", stderr);  // where the default box writes
         AfxSetMessageBoxHandler(nullptr);
         AfxMessageBox(t.p(), type, type), AfxMessageBox(type, type, type);
       }, Texts(), UInts()); }},
    {"SetSystemMessageText, ResetSystemMessageText, FormatMessageW", kNone, [](Sweep& s) {
       const auto call = [](DWORD f, const Text& t, const Out& o) {
         static const DWORD_PTR args[100] = {};
         auto* array = reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args));
         const DWORD into = f & ~FORMAT_MESSAGE_ALLOCATE_BUFFER, size = static_cast<DWORD>(o.size);
         wchar_t* allocated = nullptr;
         SetSystemMessageText(5, t.p());
         FormatMessageW(into, t.p(), 5, 0, Alloc<wchar_t>(o).get(), size, nullptr);
         FormatMessageW(into | FORMAT_MESSAGE_ARGUMENT_ARRAY, t.p(), 5, 0x0407,
                        Alloc<wchar_t>(o).get(), size, array);
         FormatMessageW(f | FORMAT_MESSAGE_ALLOCATE_BUFFER, t.p(), 5, 0,
                        reinterpret_cast<wchar_t*>(&allocated), size, nullptr);
         LocalFree(allocated);
         ResetSystemMessageText(5);
       };
       Cross(s, [&](DWORD f, const Text& t) { call(f, t, Out{false, 1024}); }, MessageFlags(), Texts());
       Cross(s, [&](DWORD f, const Out& o) { call(f, Texts().back().value, o); }, MessageFlags(), Outs()); }},
    {"LocalAlloc, LocalFree, CoTaskMemAlloc, CoTaskMemFree", kNone, [](Sweep& s) {
       Cross(s, [](std::size_t n, unsigned f) {
         LocalFree(LocalAlloc(f, n)), CoTaskMemFree(CoTaskMemAlloc(n)), LocalFree(nullptr);
         CoTaskMemFree(nullptr);
       }, Gen<std::size_t>{{"0", 0}, {"1", 1}, {"SIZE_MAX", SIZE_MAX}}, UInts()); }},

    // ---- libWinAPI: paths
    {"PathRemoveBackslash, PathRemoveFileSpec, PathRemoveExtension, PathFindExtensionW, "
     "PathFindFileNameW, PathIsRelative, PathFileExists, PathIsDirectory, PathToNative, "
     "NativeToPath", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         std::string native;
         PathRemoveBackslash(Buffer(t, 0).get()), PathRemoveFileSpec(Buffer(t, 0).get());
         PathRemoveExtension(Buffer(t, 0).get());
         PathFindExtensionW(t.p()), PathFindFileNameW(t.p()), PathIsRelative(t.p());
         PathFileExists(t.p()), PathIsDirectory(t.p()), PathToNative(t.p(), native);
       }, Texts());
       Cross(s, [](const Narrow& n) { NativeToPath(n.p()); }, Narrows()); }},
    {"PathCombine, PathAppend, PathRenameExtension", kNone, [](Sweep& s) {
       Cross(s, [](const Text& d, const Text& f) {
         auto in = Buffer(d, MAX_PATH);
         PathCombine(Buffer(Text{false, L""}, MAX_PATH).get(), d.p(), f.p());
         PathCombine(in.get(), in.get(), f.p()), PathCombine(nullptr, d.p(), f.p());
         PathAppend(Buffer(d, MAX_PATH).get(), f.p());
         PathRenameExtension(Buffer(d, MAX_PATH).get(), f.p());
       }, Texts(), Texts()); }},
    {"PathRelativePathTo", kNone, [](Sweep& s) {
       Cross(s, [](const Text& f, const Text& t) {
         auto b = Buffer(Text{false, L""}, MAX_PATH);
         const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
         PathRelativePathTo(b.get(), f.p(), folder, t.p(), folder);
         PathRelativePathTo(b.get(), f.p(), 0, t.p(), 0);
         PathRelativePathTo(nullptr, f.p(), 0, t.p(), ~0u);
       }, Texts(), Texts()); }},

    // ---- libWinAPI: files, folders, processes
    {"GetTempPath, GetCurrentDirectory", kNone, [](Sweep& s) {
       Cross(s, [](const Narrow& tmp, const Out& o) {
         SetEnv("TMPDIR", tmp);
         GetTempPath(static_cast<DWORD>(o.size), Alloc<wchar_t>(o).get());
         GetCurrentDirectory(static_cast<DWORD>(o.size), Alloc<wchar_t>(o).get());
       }, Narrows(), Outs()); }},
    {"GetTempFileName, DeleteFile", kWrites, [](Sweep& s) {
       Cross(s, [](const Text& p, const Text& pre, unsigned u) {
         auto b = Buffer(Text{false, L""}, MAX_PATH);
         if (GetTempFileName(p.p(), pre.p(), u, b.get()) != 0 && u == 0) DeleteFile(b.get());
         GetTempFileName(p.p(), pre.p(), u, nullptr), DeleteFile(p.p());
       }, Texts(), Few(), Gen<unsigned>{{"0", 0}, {"0x12345", 0x12345}}); }},
    {"CFile::GetStatus", kOle, [](Sweep& s) {
       Cross(s, [](const Text& t) { CFileStatus st; CFile::GetStatus(t.p(), st); }, Texts()); }},
    {"CommandLineToArgvW", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         int n = 0;
         LocalFree(CommandLineToArgvW(t.p(), &n)), CommandLineToArgvW(t.p(), nullptr);
       }, Texts()); }},
    {"CreateProcessW", kNone, [](Sweep& s) {
       Cross(s, [](const Text& line, const Text& other) {
         auto l = Buffer(line, 0);
         STARTUPINFOW si{};
         PROCESS_INFORMATION pi{};
         if (CreateProcessW(other.p(), l.get(), nullptr, nullptr, 1, 0, nullptr, other.p(), &si, &pi))
           CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
         CreateProcessW(other.p(), l.get(), nullptr, nullptr, 0, CREATE_SUSPENDED, nullptr, nullptr,
                        nullptr, nullptr);
       }, Texts(), Few());
       Cross(s, [](const Text& env, DWORD flags) {
         std::wstring wide = env.s + std::wstring(2, L'\0');
         std::string narrow(wide.begin(), wide.end());
         wchar_t line[] = L"msiexec";
         STARTUPINFOW si{};
         PROCESS_INFORMATION pi{};
         void* e = env.null ? nullptr
                   : flags & CREATE_UNICODE_ENVIRONMENT ? static_cast<void*>(wide.data()) : narrow.data();
         if (CreateProcessW(nullptr, line, nullptr, nullptr, 0, flags, e, nullptr, &si, &pi))
           WaitForSingleObject(pi.hProcess, INFINITE), CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
       }, Texts(), Gen<DWORD>{{"narrow", 0}, {"wide", CREATE_UNICODE_ENVIRONMENT}, {"all", ~4u}}); }},
    {"WaitForSingleObject, GetExitCodeProcess, CloseHandle", kNone, [](Sweep& s) {
       Cross(s, [](int kind, DWORD ms) {
         HANDLE h = MakeHandle(kind);
         DWORD code;
         WaitForSingleObject(h, ms), GetExitCodeProcess(h, &code), GetExitCodeProcess(h, nullptr);
         CloseHandle(h), CloseHandle(h);
       }, HandleKinds(), Gen<DWORD>{{"0", 0}, {"10", 10}, {"INFINITE", INFINITE}}); }},

    // ---- libWinAPI: resource libraries and languages
    {"LoadLibraryW, LoadLibrary, FreeLibrary, SetDllDirectoryW", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& dir) {
         SetDllDirectoryW(dir.p()), FreeLibrary(LoadLibraryW(t.p())), FreeLibrary(LoadLibrary(t.p()));
       }, Texts(), Few());
       Cross(s, [](std::uintptr_t id, HMODULE m) {
         LoadLibraryW(IdText(id)), FreeLibrary(m), FreeLibrary(m);
       }, Ids(), Modules()); }},
    {"AfxGetResourceHandle, AfxSetResourceHandle, loadStringFromWin32ResourceDLL", kNone,
     [](Sweep& s) {
       Cross(s, [](HMODULE m, unsigned id) {
         AfxSetResourceHandle(m), loadStringFromWin32ResourceDLL(AfxGetResourceHandle(), id);
       }, Modules(), UInts()); }},
    {"EnumResourceStringsW", kNone, [](Sweep& s) {
       Cross(s, [](HMODULE m, int stop) {
         EnumResourceStringsW(m, [](HMODULE, UINT, LANGID, LPCWSTR, UINT, LONG_PTR stop) -> BOOL {
           return stop == 0;
         }, stop);
         EnumResourceStringsW(m, nullptr, 0);
       }, Modules(), Gen<int>{{"all", 0}, {"stop", 1}}); }},
    {"SetThreadUILanguage, GetThreadUILanguage, LocaleNameToLCID", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, unsigned lang) {
         SetThreadUILanguage(static_cast<LANGID>(lang)), GetThreadUILanguage();
         LocaleNameToLCID(t.p(), lang);
       }, Texts(), UInts());
       Cross(s, [](const Narrow& env, unsigned lang) {
         unsetenv("LC_ALL");
         SetEnv("LC_MESSAGES", env);
         SetThreadUILanguage(static_cast<LANGID>(lang));
         loadStringFromWin32ResourceDLL(Modules()[1].value, 1);
       }, Narrows(), UInts()); }},

    // ---- libWinAPI: GUIDs and time
    {"StringFromCLSID, CLSIDFromString", kNone, [](Sweep& s) {
       Cross(s, [](const _GUID& g) {
         wchar_t* t = nullptr;
         StringFromCLSID(g, &t), CoTaskMemFree(t), StringFromCLSID(g, nullptr);
       }, Guids());
       Cross(s, [](const Text& t) { _GUID g; CLSIDFromString(t.p(), &g), CLSIDFromString(t.p(), nullptr); },
             Texts()); }},
    {"CTime::CTime (2)", kNone, [](Sweep& s) {
       Cross(s, [](int field, int v) {
         int f[7] = {2024, 5, 17, 8, 30, 0, -1};
         f[field] = v;
         static_cast<void>(CTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]));
       }, Gen<int>{{"year", 0}, {"month", 1}, {"day", 2}, {"hour", 3}, {"minute", 4},
                   {"second", 5}, {"dst", 6}}, Ints());
       Cross(s, [](const SYSTEMTIME* t, int dst) { if (t) static_cast<void>(CTime(*t, dst)); },
             SystemTimes(), Ints()); }},
    {"CTime::GetCurrentTime, CTime::GetYear, CTime::GetMonth, CTime::GetDay, CTime::GetHour, "
     "CTime::GetMinute, CTime::GetSecond, CTime::GetDayOfWeek, CTime::GetLocalTm, "
     "CTime::GetAsSystemTime, GetLocalTime", kNone, [](Sweep& s) {
       Cross(s, [](const CTime& t) {
         SYSTEMTIME st;
         struct tm tm;
         t.GetYear(), t.GetMonth(), t.GetDay(), t.GetHour(), t.GetMinute(), t.GetSecond();
         t.GetDayOfWeek(), t.GetLocalTm(&tm), t.GetLocalTm(nullptr), t.GetAsSystemTime(st);
         CTime::GetCurrentTime(), GetLocalTime(&st), GetLocalTime(nullptr);
       }, Times()); }},
    {"GetDateFormatW, GetTimeFormatW", kNone, [](Sweep& s) {
       using Format = int (*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);
       const Gen<Format> both = {{"date", GetDateFormatW}, {"time", GetTimeFormatW}};
       Cross(s, [](Format f, const Text& p, const SYSTEMTIME* t) {
         wchar_t b[1024];
         f(LOCALE_USER_DEFAULT, 0, t, p.p(), b, 1024);
       }, both, Texts(), SystemTimes());
       Cross(s, [](Format f, const Narrow& lang, const SYSTEMTIME* t) {
         wchar_t b[1024];
         SetEnv("LC_ALL", lang), f(LOCALE_USER_DEFAULT, DATE_LONGDATE, t, nullptr, b, 1024);
       }, both, Narrows(), SystemTimes());
       Cross(s, [](Format f, DWORD lcid, DWORD flags) {
         wchar_t b[1024];
         f(lcid, flags, SystemTimes()[3].value, nullptr, b, 1024);
       }, both, Lcids(), DateFlags());
       Cross(s, [](Format f, const Out& o) {
         f(LOCALE_USER_DEFAULT, DATE_LONGDATE, SystemTimes()[3].value, nullptr, Alloc<wchar_t>(o).get(), o.size);
       }, both, SignedOuts()); }},

    // ---- libWinAPI: strings
    {"ms_swprintf, ms_vswprintf", kNone, [](Sweep& s) {
       Cross(s, [](const Text& f, const Out& o) {
         const auto b = Alloc<wchar_t>(o);
         const auto n = static_cast<std::size_t>(o.size);
         const wchar_t* x = L"x";
         ms_swprintf(b.get(), n, f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
         CallVswprintf(b.get(), n, f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
       }, Texts(), Outs()); }},
    {"swscanf_s, vswscanf_s", kNone, [](Sweep& s) { Cross(s, Scans, Texts()); }},
    {"ms_wtoi, CharNextW, _wcsdup", kAlloc, [](Sweep& s) {
       Cross(s, [](const Text& t) { ms_wtoi(t.p()), CharNextW(t.p()); delete[] _wcsdup(t.p()); },
             Texts()); }},
    {"wcscpy_s", kNone, [](Sweep& s) {
       Cross(s, [](const Out& o, const Text& t) {
         wcscpy_s(Alloc<wchar_t>(o).get(), static_cast<std::size_t>(o.size), t.p());
       }, Outs(), Texts()); }},
    {"MultiByteToWideChar, WideCharToMultiByte", kNone, [](Sweep& s) {
       Cross(s, [](const Narrow& n, const Out& o) {
         for (const int count : {-1, 0, n.null ? 1 : static_cast<int>(n.s.size()), INT_MIN})
           for (const UINT cp : {CP_UTF8, 0u})
             MultiByteToWideChar(cp, 0, n.p(), count, Alloc<wchar_t>(o).get(), o.size);
       }, Narrows(), SignedOuts());
       Cross(s, [](const Text& t, const Out& o) {
         BOOL used;
         for (const int count : {-1, 0, t.null ? 1 : static_cast<int>(t.s.size()), INT_MIN})
           for (const UINT cp : {CP_UTF8, 0u}) {
             WideCharToMultiByte(cp, 0, t.p(), count, Alloc<char>(o).get(), o.size, "?", &used);
             WideCharToMultiByte(cp, 0, t.p(), count, Alloc<char>(o).get(), o.size, nullptr, nullptr);
           }
       }, Texts(), SignedOuts()); }},
    {"Utf8ToWide, WideToUtf8", kAlloc, [](Sweep& s) {
       Cross(s, [](const Narrow& n) { WideToUtf8(Utf8ToWide(n.s)); }, Narrows());
       Cross(s, [](const Text& t) { Utf8ToWide(WideToUtf8(t.s)); }, Texts()); }},
    {"CreateCFStringFromUTF32, CFString2CString", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t) {
         CFStringRef c = CreateCFStringFromUTF32(t.p());
         std::wstring w;
         CFString2CString(c, w), CFRelease(c);
       }, Texts());
       Cross(s, [](CFTypeRef o) { std::wstring w; CFString2CString(As<CFStringRef>(o), w); },
             Objects()); }},

    // ---- libvelfirst
    {"VelString::VelString (4), VelString::operator= (2), VelString::~VelString, "
     "VelString::assign (2), VelString::append, VelString::setEmpty, VelString::isEmpty, "
     "VelString::length, VelString::c_str, VelString::compare, VelString::collateNoCase",
     kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, const Text& u) {
         VelString a(t.p()), b;
         VelString c(a), d(std::move(c));
         b = a, c = std::move(d), a.assign(u.p()), a.assign(b), a.append(u.p());
         a.append(a.c_str()), a.append(a.c_str() + a.length()), a.compare(u.p());
         a.collateNoCase(u.p()), a.isEmpty(), a.setEmpty();
       }, Texts(), Few()); }},
    {"VelString::substr, VelString::replace", kNone, [](Sweep& s) {
       Cross(s, [](const Text& t, int i, int n) { VelString(t.p()).substr(i, n); }, Few(), Ints(), Ints());
       Cross(s, [](const Text& t, wchar_t c) {
         VelString a(t.p());
         a.replace(c, L'x'), a.replace(L'a', c);
       }, Texts(), Chars()); }},

    // ---- libvelcf
    {"CFRetain, CFRelease, CFGetRetainCount, CFGetTypeID, CFEqual", kNone, [](Sweep& s) {
       Cross(s, [](CFTypeRef a, CFTypeRef b) {
         CFRelease(CFRetain(a)), CFGetRetainCount(a), CFGetTypeID(a), CFEqual(a, b);
       }, Objects(), Objects()); }},
    {"CFArrayGetTypeID, CFArrayGetCount, CFArrayGetValueAtIndex, CFDataGetTypeID, "
     "CFDataGetLength, CFDataGetBytePtr, CFTreeGetTypeID, CFTreeGetChildCount, "
     "CFTreeGetChildAtIndex, CFTreeGetFirstChild, CFTreeGetNextSibling, CFTreeGetParent, "
     "CFXMLNodeGetTypeID, CFXMLNodeGetTypeCode, CFXMLNodeGetString, CFXMLNodeGetInfoPtr, "
     "CFXMLNodeGetVersion, CFXMLTreeGetNode, CFStringGetTypeID, CFStringGetLength, "
     "CFStringGetCharacterAtIndex, CFStringGetCharactersPtr, CFDictionaryGetTypeID, "
     "CFDictionaryGetCount", kNone, [](Sweep& s) {
       Cross(s, [](CFTypeRef o, CFIndex i) {
         CFArrayGetTypeID(), CFDataGetTypeID(), CFTreeGetTypeID(), CFXMLNodeGetTypeID();
         CFStringGetTypeID(), CFDictionaryGetTypeID();
         CFArrayGetCount(As<CFArrayRef>(o)), CFArrayGetValueAtIndex(As<CFArrayRef>(o), i);
         CFDataGetLength(As<CFDataRef>(o)), CFDataGetBytePtr(As<CFDataRef>(o));
         const auto tree = As<CFTreeRef>(o);
         CFTreeGetChildCount(tree), CFTreeGetChildAtIndex(tree, i), CFTreeGetFirstChild(tree);
         CFTreeGetNextSibling(tree), CFTreeGetParent(tree), CFXMLTreeGetNode(tree);
         const auto node = As<CFXMLNodeRef>(o);
         CFXMLNodeGetTypeCode(node), CFXMLNodeGetString(node), CFXMLNodeGetInfoPtr(node);
         CFXMLNodeGetVersion(node), CFDictionaryGetCount(As<CFDictionaryRef>(o));
         CFStringGetLength(As<CFStringRef>(o)), CFStringGetCharacterAtIndex(As<CFStringRef>(o), i);
         CFStringGetCharactersPtr(As<CFStringRef>(o));
       }, Objects(), Indexes()); }},
    {"CFDictionaryContainsKey, CFDictionaryGetValue, CFDictionaryGetValueIfPresent, "
     "CFDictionaryGetKeysAndValues", kNone, [](Sweep& s) {
       Cross(s, [](CFTypeRef d, CFTypeRef k) {
         const auto dict = As<CFDictionaryRef>(d);
         const void* v;
         std::vector<const void*> keys(static_cast<std::size_t>(CFDictionaryGetCount(dict)));
         CFDictionaryContainsKey(dict, k), CFDictionaryGetValue(dict, k);
         CFDictionaryGetValueIfPresent(dict, k, &v), CFDictionaryGetValueIfPresent(dict, k, nullptr);
         CFDictionaryGetKeysAndValues(dict, keys.data(), nullptr);
         CFDictionaryGetKeysAndValues(dict, nullptr, keys.data());
       }, Objects(), Objects()); }},
    {"CFStringGetCharacters, CFStringCompare", kNone, [](Sweep& s) {
       Cross(s, [](CFTypeRef o, CFIndex at, CFIndex n) {
         UniChar b[16];
         CFStringGetCharacters(As<CFStringRef>(o), CFRangeMake(at, n), n >= 0 && n <= 16 ? b : nullptr);
       }, Objects(), Indexes(), Indexes());
       Cross(s, [](CFTypeRef a, CFTypeRef b) {
         for (const CFOptionFlags f : {0ul, 1ul, ~0ul})
           CFStringCompare(As<CFStringRef>(a), As<CFStringRef>(b), f);
       }, Objects(), Objects()); }},
    {"CFStringCreateWithCString, CFStringCreateWithBytes, CFStringCreateWithCharacters, "
     "__CFStringMakeConstantString, CFStringGetCString, CFStringGetMaximumSizeForEncoding",
     kNone, [](Sweep& s) {
       Cross(s, [](const Narrow& n, CFStringEncoding e) {
         const auto* bytes = reinterpret_cast<const UInt8*>(n.p());
         CFStringRef c = CFStringCreateWithCString(nullptr, n.p(), e);
         for (const auto& o : SignedOuts())
           CFStringGetCString(c, Alloc<char>(o.value).get(), o.value.size, e);
         CFRelease(c);
         CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 0 : static_cast<CFIndex>(n.s.size()), e, 1));
         CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 8 : -1, e, 0));
         __CFStringMakeConstantString(n.p());
       }, Narrows(), Encodings());
       Cross(s, [](CFIndex n, CFStringEncoding e) {
         const UniChar u[2] = {0xDC00, 0xD800};
         CFStringGetMaximumSizeForEncoding(n, e);
         CFRelease(CFStringCreateWithCharacters(nullptr, nullptr, n));
         CFRelease(CFStringCreateWithCharacters(nullptr, u, n >= 0 && n <= 2 ? n : 0));
       }, Indexes(), Encodings()); }},
    {"CFStringGetSurrogatePairForLongCharacter", kInline, [](Sweep& s) {
       Cross(s, [](wchar_t c) {
         UniChar pair[2];
         const auto u = static_cast<UTF32Char>(c);
         CFStringGetSurrogatePairForLongCharacter(u, pair), CFStringGetSurrogatePairForLongCharacter(u, nullptr);
       }, Chars()); }},
    {"CFDataCreate, CFXMLTreeCreateFromData", kNone, [](Sweep& s) {
       Cross(s, [](const std::string& d, CFOptionFlags f) {
         CFDataRef data = Data(d);
         CFRelease(CFXMLTreeCreateFromData(nullptr, data, nullptr, f, LONG_MIN)), CFRelease(data);
       }, Documents(), Gen<CFOptionFlags>{{"no options", 0}, {"all options", ~0ul}});
       Cross(s, [](CFIndex n) {
         CFRelease(CFDataCreate(nullptr, nullptr, n));
         CFRelease(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, 0, n));
         CFRelease(CFXMLTreeCreateFromData(nullptr, As<CFDataRef>(Objects()[1].value), nullptr, 0, n));
       }, Indexes()); }},
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

// The functions the libraries export, with their number of overloads: the
// text and weak symbols of `nm -DC`, less the standard library's.
std::map<std::string, int> Exported() {
  std::map<std::string, std::set<std::string>> signatures;
  std::string libraries = VELUT_LIBRARIES;
  for (std::size_t at = 0, colon; at < libraries.size(); at = colon + 1) {
    colon = std::min(libraries.find(':', at), libraries.size());
    const std::string command = "nm -DC --defined-only " + libraries.substr(at, colon - at);
    std::unique_ptr<FILE, int (*)(FILE*)> nm(popen(command.c_str(), "r"), pclose);
    char line[4096];
    while (nm && std::fgets(line, sizeof line, nm.get())) {
      std::string symbol(line);
      if (symbol.size() < 20 || (symbol[17] != 'T' && symbol[17] != 'W')) continue;
      symbol = symbol.substr(19, symbol.find_first_of("@\n") - 19);
      for (std::size_t abi; (abi = symbol.find("[abi:cxx11]")) != std::string::npos;)
        symbol.erase(abi, 11);
      const std::string name = NameOf(symbol);
      if (name.find("std::") != std::string::npos || name.find("__gnu_cxx") != std::string::npos ||
          (name.find(' ') != std::string::npos && name.find("operator bool") == std::string::npos))
        continue;
      signatures[name].insert(symbol);
    }
  }
  std::map<std::string, int> exported;
  for (const auto& [name, set] : signatures) exported[name] = static_cast<int>(set.size());
  return exported;
}

// Every exported function has a row, each of its overloads counted, and
// every row but those of functions defined in their headers names exported
// functions only: a function added later without a row is noticed here.
TEST(HostileInput, TableCoversEveryExport) {
  std::map<std::string, int> covered;
  for (const Row& row : kRows)
    if (!(row.allow & kInline))
      for (const auto& [name, overloads] : Names(row)) covered[name] += overloads;
  const std::map<std::string, int> exported = Exported();
  ASSERT_GT(exported.size(), 200u);
  for (const auto& [name, overloads] : exported) {
    const auto it = covered.find(name);
    EXPECT_EQ(it == covered.end() ? 0 : it->second, overloads) << "overloads with a row: " << name;
  }
  for (const auto& entry : covered) EXPECT_EQ(exported.count(entry.first), 1u) << entry.first;
}

TEST(HostileInput, NoCallCrashesHangsOrThrowsUndocumented) {
  velut_test::TempFolder tmp;
  chmod(tmp.path().c_str(), 0777);
  velut_test::WriteScript(tmp, "msiexec", "exit 0\n");
  velut_test::ScopedEnv path("PATH", tmp.path().c_str());
  velut_test::ScopedEnv tmpdir("TMPDIR", tmp.path().c_str());
  velut_test::ScopedCurrentFolder here(tmp.path());
  // The children find a fake installer first on PATH, create files only in
  // the temporary folder, show no message box, and meet std::bad_alloc
  // (where their headers allow it) instead of taking gigabytes.
  AfxSetMessageBoxHandler([](const wchar_t*, UINT, UINT) { return IDOK; });
  test_support::LimitAllocations(256ul << 20);
  int functions = 0, calls = 0;
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.functions);
    Sweep sweep(row.functions, row.allow);
    row.calls(sweep);
    calls += sweep.Finish();
    for (const auto& name : Names(row)) functions += name.second;
  }
  test_support::LimitAllocations(0);
  std::printf("%d functions, %d calls\n", functions, calls);
}

}  // namespace
