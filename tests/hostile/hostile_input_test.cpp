// Every exported function of the library and every entry point of the layers, called with every
// class of bad argument of each of its parameters. One list gives each function with the kinds of
// its parameters; each kind has a generator of argument classes, and the sweep crosses them. Each
// call runs in a forked child with 5 seconds of processor time, and a 60-second alarm for a call
// that waits, so that a busy machine makes no hang; a call fails on a signal, a hang, a sanitizer
// report, a leak or an exception its header does not document. Values are judged elsewhere.
#include <signal.h>
#include <sys/mman.h>
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
#include <tuple>
#include <utility>
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

// What a function's header lets escape: kAlloc std::bad_alloc or std::length_error (memory runs
// out), kOle COleException*, kMemoryExc CMemoryException*. kWrites: it creates files, so it runs
// as nobody and only the temporary folder can take them. kAgain: its functions have entries of
// their own, so the export check does not count them again.
enum Allow : unsigned {
  kNone = 0,
  kAlloc = 1,
  kOle = 2,
  kMemoryExc = 4,
  kWrites = 16,
  kAgain = 32
};

// How a call ended, besides a signal: each exception with the policy that allows it.
enum Outcome { kReturned, kBadAlloc = 70, kMemory, kOleThrown, kOther, kLeak, kNoNobody };
const std::map<int, std::pair<unsigned, const char*>> kFaults = {
    {kReturned, {kNone, ""}},
    {kBadAlloc, {kAlloc, "undocumented std::bad_alloc or std::length_error"}},
    {kMemory, {kMemoryExc, "undocumented CMemoryException*"}},
    {kOleThrown, {kOle, "undocumented COleException*"}},
    {kOther, {kNone, "undocumented exception"}},
    {kLeak, {kNone, "leaks"}},
    {kNoNobody, {kNone, "cannot give up root"}}};

// One argument class: the name a failure gives it and its value. A kind is the list of the
// classes of one parameter, its first class a valid value.
template <typename T>
struct Arg {
  std::string name;
  T value;
};
template <typename T>
using Gen = std::vector<Arg<T>>;

// A wide text or null, or a string-resource id where a text is expected: a string of the library
// for the parameters that take one, its pointer for the others.
struct Text : Str {
  Text(std::wstring s, bool null = false, std::uintptr_t id = 0) : Str(s), null(null), id(id) {}
  const wchar_t* p() const {
    return id != 0 ? reinterpret_cast<const wchar_t*>(id) : null ? nullptr : c_str();
  }
  operator const wchar_t*() const { return p(); }  // NOLINT: converts as an argument
  bool null;
  std::uintptr_t id;
};
struct TextOrId : Text {
  using Text::Text;
};
// A narrow text or null; an environment variable and a value for it.
struct Narrow : std::string {
  Narrow(std::string s, bool null = false) : std::string(s), null(null) {}
  operator const char*() const { return null ? nullptr : c_str(); }  // NOLINT: as an argument
  bool null;
};
struct EnvValue : Narrow {
  using Narrow::Narrow;
};
struct Variable {
  const char* name;
};
template <typename T>
Gen<T> Named(std::initializer_list<std::pair<const char*, T>> values) {
  Gen<T> named;
  for (const auto& [name, value] : values) named.push_back({name, value});
  return named;
}
template <typename S>
S Repeat(const S& piece, std::size_t units) {
  S s;
  while (s.size() < units) s += piece;
  return s.substr(0, units);
}

// Texts: lengths around the 1024-unit buffers and far beyond, runs of separators, dots, units
// that are no Unicode scalar values, an embedded zero, folders and missing paths where files are
// expected, a name whose native bytes are not UTF-8, quotes, and conversions for the formatters.
const Text kConversions(L"%s%d%c%p%n%hs%S%I64d%*.*s%99999999d%.2147483647s%");
const Gen<Text> kText = [] {
  Gen<Text> texts =
      Named<Text>({{"\"a\"", {L"a"}},
                   {"null", {L"", true}},
                   {"\"\"", {L""}},
                   {"\"...\"", {L"..."}},
                   {"\"/\"", {L"/"}},
                   {"\"/proc\"", {L"/proc"}},
                   {"\".\"", {L"."}},
                   {"quotes", {L",'\""}},
                   {"1030 '/'", {std::wstring(1030, L'/')}},
                   {"1030 '\\'", {std::wstring(1030, L'\\')}},
                   {"lone surrogate", {L"a\xD800z"}},
                   {"above U+10FFFF", {L"a" + std::wstring(1, wchar_t(0x110000)) + L"z"}},
                   {"embedded zero", {std::wstring(L"a\0b", 3)}},
                   {"name not UTF-8", {L"n\xDCE9.txt"}},
                   {"missing path", {L"/velut-missing/sub/x.txt"}},
                   {"conversions", kConversions},
                   {"long file URL", {L"file:///" + std::wstring(2000, L'a')}},
                   {"70000 brackets and quotes", {Repeat<std::wstring>(L"([{\"'\\)]}", 70000)}}});
  for (const std::size_t n : velut_test::kBufferLengths)
    texts.push_back({std::to_string(n) + " units", {std::wstring(n, 'a')}});
  for (const std::size_t n : {4096, 70000})
    texts.push_back({std::to_string(n) + " units", {std::wstring(n, 'a')}});
  return texts;
}();
const Gen<TextOrId> kTextOrId = [] {
  Gen<TextOrId> texts;
  for (const auto& [name, t] : kText) texts.push_back({name, {t, t.null}});
  for (const std::uintptr_t id : {1, 7, 0xFFFF})
    texts.push_back({"id " + std::to_string(id), {L"", false, id}});
  return texts;
}();
// Narrow texts: UTF-8 that is not, and long runs; as values of the environment, bad locales too.
const Gen<Narrow> kNarrow = Named<Narrow>({{"\"a\"", {"a"}},
                                           {"null", {"", true}},
                                           {"\"\"", {""}},
                                           {"not UTF-8", {"n\xE9.txt"}},
                                           {"overlong", {"\xC0\xAF"}},
                                           {"truncated", {"a\xE2\x82"}},
                                           {"surrogate", {"\xED\xA0\x80"}},
                                           {"above U+10FFFF", {"\xF4\x90\x80\x80"}},
                                           {"1030 '/'", {std::string(1030, '/')}},
                                           {"70000 bytes", {std::string(70000, 'a')}}});
const Gen<EnvValue> kEnvValue = [] {
  Gen<EnvValue> values;
  for (const auto& [name, n] : kNarrow) values.push_back({name, {n, n.null}});
  for (const char* locale : {"C", "POSIX", "xx_YY.UTF-8@bogus"})
    values.push_back({locale, {locale}});
  values.push_back({"100 '/'", {std::string(100, '/')}});
  return values;
}();
const Gen<Variable> kVariable = [] {
  Gen<Variable> variables;
  for (const char* name :
       {"LANG", "LC_ALL", "LC_TIME", "LC_MESSAGES", "TZ", "TMPDIR", "HOME", "PATH"})
    variables.push_back({name, {name}});
  return variables;
}();

// Numbers named by their value, in hexadecimal for codes and flag sets.
template <typename T, typename V = T>
Gen<T> Numbers(std::initializer_list<V> values, const char* format = "%lld") {
  Gen<T> numbers;
  for (const V v : values) {
    char name[24];
    std::snprintf(name, sizeof name, format, static_cast<long long>(v));
    numbers.push_back({name, T(v)});
  }
  return numbers;
}
// 32-bit values of one meaning each, for the parameters whose type does not say it.
template <int kMeaning>
struct Dword {
  explicit Dword(DWORD value) : v(value) {}
  DWORD v;
  operator DWORD() const { return v; }  // NOLINT: converts as an argument
};
using Lcid = Dword<0>;
using DateFlags = Dword<1>;
using MessageFlags = Dword<2>;
using CreationFlags = Dword<3>;
using Encoding = Dword<4>;
using Field = Dword<5>;
const Gen<int> kInt = Numbers<int>({2, INT_MIN, -1, 0, INT_MAX});
const Gen<unsigned> kUInt = Numbers<unsigned>(
    {1u, 0u, 5u, 65535u, 65536u, 0x800300FDu, 0x80070005u, 0x12345678u, UINT_MAX}, "%#llx");
const Gen<unsigned short> kUShort = Numbers<unsigned short>({0x409, 0, 0x407, 0xFFFF}, "%#llx");
const Gen<long> kIndex = Numbers<long, long>({1, LONG_MIN, -1, 0, LONG_MAX});
const Gen<unsigned long> kULong = Numbers<unsigned long>({1ul, 0ul, ~0ul}, "%#llx");
const Gen<signed char> kFlag = Numbers<signed char>({0, -1});
const Gen<wchar_t> kChar =
    Numbers<wchar_t, long long>({L'(', 0, L'\'', L'\\', 0xD800, 0x110000, -1}, "U+%04llX");
const Gen<Lcid> kLcid = Numbers<Lcid, DWORD>({0x400, 0, 0x7F, 0x0407, 0x3C0A, ~0u}, "%#llx");
const Gen<DateFlags> kDateFlags =
    Numbers<DateFlags, DWORD>({0, 1, 2, 8, 0x80, 0x30, 0x40, 0xF, ~0u}, "%#llx");
const Gen<MessageFlags> kMessageFlags = Numbers<MessageFlags, DWORD>(
    {FORMAT_MESSAGE_FROM_STRING, FORMAT_MESSAGE_FROM_SYSTEM,
     FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS,
     FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY | 1, FORMAT_MESSAGE_FROM_HMODULE,
     FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_MAX_WIDTH_MASK, ~0u},
    "%#llx");
const Gen<CreationFlags> kCreationFlags =
    Numbers<CreationFlags, DWORD>({0, CREATE_UNICODE_ENVIRONMENT, ~4u}, "%#llx");
const Gen<Encoding> kEncoding = Numbers<Encoding, DWORD>(
    {kCFStringEncodingUTF8, kCFStringEncodingASCII, kCFStringEncodingISOLatin1,
     kCFStringEncodingWindowsLatin1, kCFStringEncodingUTF16, kCFStringEncodingUTF16LE,
     kCFStringEncodingInvalidId},
    "%#llx");
const Gen<Field> kField = Numbers<Field, DWORD>({0, 1, 2, 3, 4, 5, 6}, "field %lld");

// Lists of strings: two texts, none, every text class, many duplicates; arrays of numbers.
const Gen<StrList> kList = [] {
  StrList two, all, duplicates;
  two.Add(Str(L"a"));
  two.Add(Str(L"b"));
  for (const auto& t : kText) all.Add(t.value);
  for (int i = 0; i < 300; ++i) duplicates.Add(Str(L"C:\\dir\\"));
  return Named<StrList>(
      {{"two", two}, {"empty", {}}, {"all texts", all}, {"300 same", duplicates}});
}();
const Gen<UIntArray> kArray = [] {
  UIntArray one, many;
  one.Add(7);
  for (unsigned i = 0; i < 70000; ++i) many.Add(i * 2654435761u);
  return Named<UIntArray>({{"1 value", one}, {"empty", {}}, {"70000 values", many}});
}();

// A caller's output buffer: null or `size` units (exactly, so that a write past them is a
// sanitizer report), passed both as its pointer, wide or narrow, and as its size.
struct Out {
  Out(bool null, int size)
      : size(size),
        wide(null ? nullptr : new wchar_t[std::max(size, 0)]()),
        narrow(null ? nullptr : new char[std::max(size, 0)]()) {}
  operator wchar_t*() const { return wide.get(); }  // NOLINT: converts as an argument
  operator char*() const { return narrow.get(); }   // NOLINT: converts as an argument
  operator int() const { return size; }             // NOLINT: converts as an argument
  int size;
  std::shared_ptr<wchar_t[]> wide;
  std::shared_ptr<char[]> narrow;
};
// The signed sizes also, for the functions whose size is an int.
struct IntOut : Out {
  using Out::Out;
};
const Gen<Out> kOut = Named<Out>({{"1024 units", {false, 1024}},
                                  {"null, 0", {true, 0}},
                                  {"null, 10", {true, 10}},
                                  {"0 units", {false, 0}},
                                  {"1 unit", {false, 1}},
                                  {"5 units", {false, 5}}});
const Gen<IntOut> kIntOut = [] {
  Gen<IntOut> outs;
  for (const auto& [name, o] : kOut) outs.push_back({name, {o.wide == nullptr, o.size}});
  outs.push_back({"-1 units", {false, -1}});
  outs.push_back({"INT_MIN units", {false, INT_MIN}});
  return outs;
}();
// `t` in a buffer of at least `units` units (null for a null text), for the in-place editors.
std::unique_ptr<wchar_t[]> Buffer(const Text& t, std::size_t units = 0) {
  std::unique_ptr<wchar_t[]> b(t.null ? nullptr : new wchar_t[std::max(units, t.size() + 1)]());
  if (b) std::copy(t.begin(), t.end(), b.get());
  return b;
}
// A text in a buffer of its exact size, each copy its own, for the parameters edited in place.
struct InPlace {
  InPlace(const Text& t) : text(t), buffer(Buffer(t)) {}  // NOLINT: made from each text
  InPlace(const InPlace& other) : InPlace(other.text) {}
  operator wchar_t*() const { return buffer.get(); }  // NOLINT: converts as an argument
  Text text;
  std::unique_ptr<wchar_t[]> buffer;
};
const Gen<InPlace> kInPlace = [] {
  Gen<InPlace> buffers;
  for (const auto& [name, t] : kText) buffers.push_back({name, {t}});
  return buffers;
}();
// An object a function writes its result to, or null.
template <typename T>
struct Ptr {
  bool null;
  mutable T object{};
  operator T*() const { return null ? nullptr : &object; }  // NOLINT: converts as an argument
};
// Calls `f` with a va_list of the arguments that follow it.
int WithArgs(const std::function<int(va_list)>* f, ...) {
  va_list args;
  va_start(args, f);
  const int r = (*f)(args);
  va_end(args);
  return r;
}

// Resource libraries: a loaded one, none, a freed one, a value the layer never handed out.
const Gen<HMODULE> kModule = [] {
  HMODULE freed = LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/languages.dll");
  FreeLibrary(freed);
  return Named<HMODULE>({{"loaded", LoadLibraryW(L"" VELUT_TEST_DLL_DIR "/strings64.dll")},
                         {"null", nullptr},
                         {"freed", freed},
                         {"foreign", reinterpret_cast<HMODULE>(0x10000)}});
}();
// A process handle, made in the child since the layer's waiter threads do not survive a fork.
struct Process {
  int kind;
  operator HANDLE() const {  // NOLINT: converts as an argument
    if (kind < 2) return kind == 0 ? nullptr : reinterpret_cast<HANDLE>(0x1234);
    wchar_t line[] = L"msiexec";
    STARTUPINFOW si{};
    PROCESS_INFORMATION pi{};
    CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(pi.hThread);
    if (kind == 3) CloseHandle(pi.hProcess);
    return pi.hProcess;
  }
};
const Gen<Process> kProcess =
    Named<Process>({{"running", {2}}, {"null", {0}}, {"foreign", {1}}, {"closed", {3}}});
// Objects of every type and nodes of every kind, so that each query also meets the wrong type;
// never destroyed: reachable to the end.
struct Object {
  CFTypeRef ref;
  template <typename T>
  operator T*() const {  // NOLINT: converts as an argument
    return static_cast<T*>(const_cast<void*>(ref));
  }
};
const velut_test::XmlTable kTable(
    "<?xml version='1.0'?><!DOCTYPE t><t a='1' b='&#x10000;'>"
    "<s resource='7' src='" +
    std::string(2000, 'x') + "'/><s>text<![CDATA[c]]></s><!--c--></t>");
const Gen<Object>& kObject = *new Gen<Object>([] {
  CFTreeRef root = kTable.Root(), document = CFTreeGetParent(root);
  const auto* info =
      static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(root)));
  const UniChar lone[] = {0xD800, 'a'};
  return Named<Object>(
      {{"string", {CFStringCreateWithCString(nullptr, "abc\xC3\xA9", kCFStringEncodingUTF8)}},
       {"null", {nullptr}},
       {"empty string", {CFStringCreateWithCharacters(nullptr, nullptr, 0)}},
       {"lone surrogate string", {CFStringCreateWithCharacters(nullptr, lone, 2)}},
       {"constant string", {CFSTR("src")}},
       {"data", {CFDataCreate(nullptr, reinterpret_cast<const UInt8*>("<a/>"), 4)}},
       {"root element", {root}},
       {"document", {document}},
       {"reference entry", {kTable.Entry(0)}},
       {"literal entry", {kTable.Entry(1)}},
       {"text node", {CFTreeGetFirstChild(kTable.Entry(1))}},
       {"doctype", {CFTreeGetChildAtIndex(document, 1)}},
       {"node", {CFXMLTreeGetNode(root)}},
       {"dictionary", {info->attributes}},
       {"array", {info->attributeOrder}}});
}());
// XML documents that are bad in every way the parser meets.
struct Document {
  std::string xml;
};
const Gen<Document> kDocument = Named<Document>(
    {{"<a/>", {"<a/>"}},
     {"empty", {""}},
     {"deep", {std::string(200000, '<') + "a/>"}},
     {"200000 levels", {Repeat<std::string>("<a>", 600000) + Repeat<std::string>("</a>", 800000)}},
     {"long attribute", {"<a b='" + std::string(70000, 'x') + "'/>"}},
     {"many attributes", {[] {
        std::string d = "<a";
        for (int i = 0; i < 5000; ++i) d += " a" + std::to_string(i) + "='1'";
        return d + "/>";
      }()}},
     {"character references", {"<a>&#x110000;&#0;&#xD800;&#99999999999;&#x;</a>"}},
     {"entities", {"<!DOCTYPE a [<!ENTITY e '&e;'>]><a>&e;&e;&lt</a>"}},
     {"not UTF-8", {"<a>n\xE9</a>"}},
     {"odd UTF-16", {std::string("\xFF\xFE<\0a\0/\0>", 8)}},
     {"truncated", {"<?xml version='1.0' encoding='UTF-16'?><a"}},
     {"unclosed", {"<!--<![CDATA[<?pi"}},
     {"latin1", {"<?xml version='1.0' encoding='ISO-8859-1'?><a>\xE9\xFF</a>"}}});
// Times, dates and GUIDs; the out-only kinds hold a default value.
const Gen<CTime> kTime = Named<CTime>({{"0", CTime(0)},
                                       {"INT64_MIN", CTime(INT64_MIN)},
                                       {"-1", CTime(-1)},
                                       {"year 30828", CTime(INT64_C(870000000000))},
                                       {"INT64_MAX", CTime(INT64_MAX)}});
const SYSTEMTIME kZero{}, kMax{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},
    kMay{2024, 5, 5, 17, 8, 30, 0, 0}, kFeb{2023, 2, 0, 31, 23, 59, 59, 999};
const Gen<const SYSTEMTIME*> kSystemTime = Named<const SYSTEMTIME*>({{"17 May 2024", &kMay},
                                                                     {"null", nullptr},
                                                                     {"zero", &kZero},
                                                                     {"all 0xFFFF", &kMax},
                                                                     {"31 February", &kFeb}});
const Gen<_GUID> kGuid = Named<_GUID>(
    {{"zero", {}}, {"all ones", {~0u, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}}});
const Gen<SYSTEMTIME> kSystemTimeOut = {{"out", {}}};
const Gen<CFileStatus> kStatusOut = {{"out", {}}};

// The kind of each parameter type: its own, or that of the value it is made from.
template <typename D>
struct Of {
  using V = D;
};
template <typename S>
struct Of<const S*> {  // the objects of the XML tree
  using V = Object;
};
template <typename T>
struct Of<T*> {  // a result written through a pointer
  using V = Ptr<T>;
};
// One alias a line, aligned by hand so that the table reads as one.
// clang-format off
template <> struct Of<const wchar_t*>     { using V = Text; };
template <> struct Of<Str>                { using V = Text; };
template <> struct Of<std::wstring>       { using V = Text; };
template <> struct Of<VelString>          { using V = Text; };
template <> struct Of<const char*>        { using V = Narrow; };
template <> struct Of<std::string>        { using V = Narrow; };
template <> struct Of<std::string_view>   { using V = Narrow; };
template <> struct Of<std::wstring_view>  { using V = Text; };
template <> struct Of<CFTreeRef>          { using V = Object; };
template <> struct Of<wchar_t*>           { using V = InPlace; };
template <> struct Of<HMODULE>            { using V = HMODULE; };
template <> struct Of<const SYSTEMTIME*>  { using V = const SYSTEMTIME*; };
// clang-format on
const auto kKinds =
    std::tie(kText, kTextOrId, kNarrow, kEnvValue, kVariable, kInt, kUInt, kUShort, kIndex, kULong,
             kFlag, kChar, kLcid, kDateFlags, kMessageFlags, kCreationFlags, kEncoding, kField,
             kList, kArray, kOut, kIntOut, kInPlace, kModule, kProcess, kObject, kDocument, kTime,
             kSystemTime, kGuid, kSystemTimeOut, kStatusOut);
template <typename V>
const Gen<V>& Kind(V*) {
  return std::get<const Gen<V>&>(kKinds);
}
template <typename T>
const Gen<Ptr<T>>& Kind(Ptr<T>*) {
  static const Gen<Ptr<T>> kPointers = {{"out", {false}}, {"null", {true}}};
  return kPointers;
}
template <typename P>
const auto& KindOf() {
  return Kind(static_cast<typename Of<std::decay_t<P>>::V*>(nullptr));
}

// The parameters of a function, a member function (the object first) or a lambda.
template <typename R, typename... P>
std::tuple<P...> ParamsOf(R (*)(P...));
template <typename R, typename C, typename... P>
std::tuple<C&, P...> ParamsOf(R (C::*)(P...));
template <typename R, typename C, typename... P>
std::tuple<const C&, P...> ParamsOf(R (C::*)(P...) const);
template <typename R, typename C, typename... P>
std::tuple<P...> LambdaParamsOf(R (C::*)(P...) const);
template <typename F>
decltype(LambdaParamsOf(&F::operator())) ParamsOf(F);

// One entry of the sweep: the functions it calls as nm names them ("<>" for template arguments,
// "(n)" for n overloads), the call, whose parameter types give their kinds, and its policy.
struct Fn {
  template <typename F, typename P = decltype(ParamsOf(std::declval<F>()))>
  Fn(const char* names, F f, unsigned policy = kNone) : functions(names), allow(policy) {
    Bind(f, static_cast<P*>(nullptr), std::make_index_sequence<std::tuple_size_v<P>>());
  }
  // Calls `f` with the classes `at` of its parameters' kinds, each made into the parameter's
  // type, and names those classes.
  template <typename F, typename... P, std::size_t... I>
  void Bind(F f, std::tuple<P...>*, std::index_sequence<I...>) {
    kinds = {static_cast<const void*>(&KindOf<P>())...};
    counts = {KindOf<P>().size()...};
    call = [f]([[maybe_unused]] const std::vector<std::size_t>& at) {
      // The values are copied first, so that each call edits a buffer of its own.
      std::tuple values{KindOf<P>()[at[I]].value...};
      std::tuple<std::decay_t<P>...> args{std::get<I>(values)...};
      std::apply(f, args);
    };
    classes = [](const std::vector<std::size_t>& at) {
      std::string names;
      ((names += (I == 0 ? "" : ", ") + KindOf<P>()[at[I]].name), ...);
      return names;
    };
  }
  const char* functions;
  unsigned allow;
  std::vector<const void*> kinds;
  std::vector<std::size_t> counts;
  std::function<void(const std::vector<std::size_t>&)> call;
  std::function<std::string(const std::vector<std::size_t>&)> classes;
};

// Runs `call` and tells how it ended.
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

// The fault an outcome is for a function of policy `allow`, or "".
std::string FaultOf(int outcome, unsigned allow) {
  const auto it = kFaults.find(outcome);
  if (it == kFaults.end())
    return "exit status " + std::to_string(outcome) + " (a sanitizer report)";
  return allow & it->second.first ? "" : it->second.second;
}
// The fault a child's end shows, or "".
std::string Fault(int status, unsigned allow) {
  if (!WIFSIGNALED(status)) return FaultOf(WEXITSTATUS(status), allow);
  return WTERMSIG(status) == SIGALRM || WTERMSIG(status) == SIGXCPU
             ? "hangs"
             : std::string("dies: ") + strsignal(WTERMSIG(status));
}

// The classes a sweep calls a function with: every combination while there are at most kCross,
// else each parameter over its classes while the others hold their first, valid, class.
constexpr std::size_t kCross = 256;
std::vector<std::vector<std::size_t>> Combinations(const std::vector<std::size_t>& counts) {
  std::size_t all = 1;
  for (const std::size_t n : counts) all *= n;
  std::vector<std::vector<std::size_t>> combinations;
  if (all <= kCross) {
    for (std::size_t i = 0; i < all; ++i) {
      std::vector<std::size_t> at;
      for (std::size_t p = 0, rest = i; p < counts.size(); rest /= counts[p++])
        at.push_back(rest % counts[p]);
      combinations.push_back(at);
    }
    return combinations;
  }
  combinations.emplace_back(counts.size());
  for (std::size_t p = 0; p < counts.size(); ++p)
    for (std::size_t c = 1; c < counts[p]; ++c) {
      combinations.emplace_back(counts.size());
      combinations.back()[p] = c;
    }
  return combinations;
}

// Which function of its group each running child is in, written by the child before each call.
volatile int* const kCurrent = static_cast<int*>(
    mmap(nullptr, 2 * sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));

// Sweeps a group of entries of the same kinds: a forked child per combination of classes, two at
// a time, each calling every function of the group in turn with its own limits, and ending at the
// first outcome that function's policy does not allow.
class Sweep {
 public:
  explicit Sweep(std::vector<const Fn*> group) : group_(std::move(group)) {}

  // Returns the number of faults found.
  int Run(const std::vector<std::vector<std::size_t>>& combinations) {
    for (const std::vector<std::size_t>& at : combinations) {
      if (running_.size() == 2) Reap();
      const int slot = running_.empty() || running_.begin()->second.second == 1 ? 0 : 1;
      const pid_t child = fork();
      if (child == 0) Child(at, slot);
      running_[child] = {at, slot};
    }
    while (!running_.empty()) Reap();
    // A group's child leaked: each function alone, to name the one that leaks.
    for (const std::vector<std::size_t>& at : leaked_) {
      int found = 0;
      for (const Fn* fn : group_) found += Sweep({fn}).Run({at});
      if (found == 0) Report(*group_.front(), at, "leaks, as a group");
    }
    return faults_;
  }

 private:
  [[noreturn]] void Child(const std::vector<std::size_t>& at, int slot) {
    kCurrent[slot] = 0;
    if ((group_.front()->allow & kWrites) && geteuid() == 0 && !velut_test::BecomeNobody())
      _exit(kNoNobody);
#if !defined(VELUT_SANITIZED)
    // A result of many gigabytes fails at once, whatever memory the machine has free (not under
    // a sanitizer, which reserves more address space than that).
    const rlimit memory{rlim_t{4} << 30, rlim_t{4} << 30};
    setrlimit(RLIMIT_AS, &memory);
#endif
#if defined(VELUT_ASAN)
    const std::size_t before = __sanitizer_get_current_allocated_bytes();
#endif
    for (std::size_t i = 0; i < group_.size(); ++i) {
      kCurrent[slot] = static_cast<int>(i);
      rusage used{};
      rlimit cpu{};
      getrusage(RUSAGE_SELF, &used);
      getrlimit(RLIMIT_CPU, &cpu);
      cpu.rlim_cur = static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 5);
      setrlimit(RLIMIT_CPU, &cpu);
      alarm(60);
      const int outcome = ::Run([&] { group_[i]->call(at); });
      if (!FaultOf(outcome, group_[i]->allow).empty()) velut_test::ExitChild(outcome);
    }
#if defined(VELUT_ASAN)
    // Holding no more memory than before, it leaked nothing; else the (slow) full leak check.
    if (__sanitizer_get_current_allocated_bytes() > before && __lsan_do_recoverable_leak_check())
      velut_test::ExitChild(kLeak);
#endif
    velut_test::ExitChild(kReturned);
  }

  void Reap() {
    int status = 0;
    const auto it = running_.find(waitpid(-1, &status, 0));
    if (it == running_.end()) return;
    const auto& [at, slot] = it->second;
    const Fn& fn = *group_[std::min<std::size_t>(kCurrent[slot], group_.size() - 1)];
    const std::string fault = Fault(status, fn.allow);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kLeak && group_.size() > 1)
      leaked_.push_back(at);
    else if (!fault.empty())
      Report(fn, at, fault);
    running_.erase(it);
  }

  void Report(const Fn& fn, const std::vector<std::size_t>& at, const std::string& fault) {
    ++faults_;
    if (++reported_[&fn] <= 5)
      ADD_FAILURE() << fn.functions << "(" << fn.classes(at) << "): " << fault;
  }

  std::vector<const Fn*> group_;
  std::map<pid_t, std::pair<std::vector<std::size_t>, int>> running_;
  std::vector<std::vector<std::size_t>> leaked_;
  static inline std::map<const Fn*, int> reported_;  // across the sweeps, at most 5 a function
  int faults_ = 0;
};

// An entry of one function, named as it is written: its name and its address.
#define FN(f) #f, &f

// Every exported function, with the kinds of its parameters given by their types. Consecutive
// entries of the same kinds share their children.
const Fn kFunctions[] = {
    // ---- libVelUt: CStdStr, ssicoll, ssadd
    {"CStdStr<>::CStdStr (5)",
     [](const TextOrId& t, wchar_t c) {
       Str a(t.p()), b(static_cast<const std::wstring&>(t)), d(static_cast<std::wstring>(t)), e(c);
       Str f(t.null ? nullptr : t.data(), t.size());
     }},
    {"CStdStr<>::operator= (3)",
     [](Str& a, const Text& u, wchar_t c) {
       a = u.p();
       a = static_cast<const std::wstring&>(u);
       a = a.c_str() + a.size() / 2;
       a = c;
     }},
    {FN(Str::Load)},
    {"CStdStr<>::Fmt",
     [](Str& a, const Text& f) {
       const wchar_t* x = a.c_str();
       a.Fmt(f.p(), x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
       x = a.c_str();
       a.Fmt(x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
     }},
    {"CStdStr<>::FormatV",
     [](Str& a, const Text& f) {
       const std::function<int(va_list)> format = [&](va_list args) {
         a.FormatV(f, args);
         return 0;
       };
       const wchar_t* x = a.c_str();
       WithArgs(&format, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
       a.Format(L"%s!", a);
     }},
    {"CStdStr<>::GetBuf, CStdStr<>::RelBuf",
     [](Str& a, int n) {
       a.GetBuf(n);
       a.RelBuf(-1);
       a.GetBuf(1);
       a.RelBuf(n);
     },
     kAlloc},
    {"CStdStr<>::Replace",
     [](Str& a, const Text& o, const Text& n) {
       Str(std::wstring(70000, L'a')).Replace(o, n);
       a.Replace(o, n);
       a.Replace(a.c_str(), a.c_str());
     },
     kAlloc},
    {FN(Str::TrimLeft)},
    {FN(Str::TrimRight)},
    {FN(Str::MakeLower)},
    {"CStdStr<>::ToLower", [](Str& a) { a.ToLower(std::locale::classic()); }},
    {FN(Str::Find)},
    {FN(Str::FindOneOf)},
    {FN(Str::CompareNoCase)},
    {FN(Str::CollateNoCase)},
    {FN(Str::Mid)},
    {FN(Str::Left)},
    {FN(Str::Right)},
    {FN(Str::Delete)},
    {FN(Str::Insert)},
    {FN(Str::Remove)},
    {FN(ssicoll)},
    {FN(ssadd)},
    {"ssadd", [](std::wstring& d) { ssadd(d, d.c_str() + d.size() / 2); }, kAgain},
    // ---- libVelUt: containers and positions
    // The walk, copies, comparisons and assignments of positions across two maps, one empty.
    {"POSITION_IMP::~POSITION_IMP, CStdContainerPos<>::CStdContainerPos, "
     "CStdContainerPos<>::clone, CStdContainerPos<>::operator bool, "
     "CStdContainerPos<>::operator=, CStdContainerPos<>::operator==",
     [] {
       CStdStrPtrMap a, empty;
       a.SetAt(L"b", nullptr);
       a.SetAt(L"a", &a);
       POSITION pa = a.GetStartPosition(), pe = empty.GetStartPosition(), copy = pa;
       Str key;
       void* value;
       static_cast<void>(*pa.get() == *pe.get());
       *copy.get() = *pe.get();
       *copy.get() = *copy.get();
       while (pa) a.GetNextAssoc(pa, key, value);
       empty.GetNextAssoc(copy, key, value);
       a.GetNextAssoc(pe, key, value);
       std::unique_ptr<POSITION_IMP>(pe.get()->clone());
     }},
    {"CDravoMemoryException::Delete, CDravoMemoryException::what, "
     "CDravoMemoryException::~CDravoMemoryException",
     [] {
       auto* e = new CDravoMemoryException;
       e->what();
       e->Delete();
     }},
    // ---- libVelUt: text utilities, conversions
    {FN(VelUt::ParseDelimitedString)},
    {FN(VelUt::SplitString)},
    {FN(VelUt::MakeDelimitedString)},
    {FN(VelUt::FindMatchingChar)},
    {FN(VelUt::MatchBraces)},
    {FN(VelUt::RemoveQuotes)},
    {FN(VelUt::TrimLeftChar)},
    {FN(VelUt::TrimRightChar)},
    {FN(VelUt::EscapeChar)},
    {FN(VelUt::RemoveEscapeChar)},
    {"VelUt::FindNoCase",
     [](const TextOrId& t, const TextOrId& p, int i) { VelUt::FindNoCase(t, p, i); }},
    {"VelUt::ReplaceNoCase",
     [](Str& a, const TextOrId& p, const TextOrId& r) {
       Str b(std::wstring(70000, L'a'));
       VelUt::ReplaceNoCase(a, p, r);
       VelUt::ReplaceNoCase(b, p, r);
       VelUt::ReplaceNoCase(a, a.c_str(), a.c_str());
     },
     kAlloc},
    {FN(VelUt::SortArray)},
    {"VelUt::FindInArray (3)",
     [](const Text& t, const StrList& l, signed char c, const UIntArray& a) {
       PtrList p;
       p.Add(nullptr);
       VelUt::FindInArray(t, l, c);
       VelUt::FindInArray(7u, a);
       VelUt::FindInArray(nullptr, p);
     }},
    {FN(VelUt::RemoveDuplicates)},
    {FN(VelUt::IsZeroGuid)},
    {FN(VelUt::GuidToString)},
    {"VelUt::StringToGuid", [](const TextOrId& t, _GUID& g) { VelUt::StringToGuid(t, g); }},
    {FN(VelUt::StringToTime)},
    {FN(VelUt::StringToVersion)},
    {FN(VelUt::FormatDateTimeForUserLocale)},
    // ---- the environment: each variable a call reads, with every class of value
    {"GetDateFormatW, GetTimeFormatW, VelUt::FormatDateTimeForUserLocale, "
     "loadStringFromWin32ResourceDLL, VelUt::StringToTime, GetLocalTime, GetTempPath, "
     "CreateProcessW",
     [](Variable variable, const EnvValue& value) {
       for (const char* v : {"LC_ALL", "LC_TIME", "LC_MESSAGES", "LANG"}) unsetenv(v);
       value.null ? unsetenv(variable.name) : setenv(variable.name, value, 1);
       wchar_t b[1024], line[] = L"velut-no-such-program";
       SYSTEMTIME st;
       CTime t;
       struct tm tm;
       GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &kMay, nullptr, b, 1024);
       GetDateFormatW(0x0407, 0, nullptr, nullptr, b, 1024);
       GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kMay, nullptr, b, 1024);
       VelUt::FormatDateTimeForUserLocale(CTime(0));
       SetThreadUILanguage(0);
       loadStringFromWin32ResourceDLL(kModule[0].value, 1);
       VelUt::StringToTime(L"2024-05-17T08:30:00", t);
       t.GetLocalTm(&tm);
       GetLocalTime(&st);
       GetTempPath(1024, b);
       STARTUPINFOW si{};
       PROCESS_INFORMATION pi{};
       if (CreateProcessW(nullptr, line, nullptr, nullptr, 0, 0, nullptr, nullptr, &si, &pi)) {
         CloseHandle(pi.hProcess);
         CloseHandle(pi.hThread);
       }
     },
     kAgain},
    // ---- libVelUt: URLs, paths, files, system services and string tables
    {FN(PreProcessUrl)},
    {FN(VelUt::IsUrl)},
    {FN(VelUt::FixUrl)},
    {FN(VelUt::GetPathFromUrl)},
    {FN(VelUt::GetUniqueFileName)},
    {FN(VelUt::UrlToPath)},
    {FN(VelUt::GetFileStatus)},
    {FN(VelUt::RelativeToAbsolutePath)},
    {FN(VelUt::AbsoluteToRelativePath)},
    {FN(VelUt::GetTempFile), kWrites},
    {FN(VelUt::IsFolderReadOnly), kWrites},
    {FN(VelUt::GetSystemErrorMessage)},
    {FN(SetLastError)},
    {FN(GetLastError)},
    {FN(VelUt::StartMsiInstallation)},
    {"VelUtResString::Load, VelUtResString::LoadFromResource",
     [](CFTreeRef t, signed char force) {
       VelUtResString r;
       r.Load(t);
       r.LoadFromResource(force);
       r.LoadFromResource(force);
     }},
    {"VelUtResString::Set",
     [](unsigned id, const Text& src) {
       VelUtResString r;
       r.Set(id, src);
       r.Set(id, r.mSrc.c_str());
       r.LoadFromResource(0);
       r.LoadFromResource(1);
     }},
    {"VelUtResString::GetResourceHandle, VelUtResString::FreeLibraries",
     [](const wchar_t* name) {
       VelUtResString::GetResourceHandle(name);
       VelUtResString::GetResourceHandle(name);
       VelUtResString::FreeLibraries();
       VelUtResString::FreeLibraries();
     }},
    // ---- libWinAPI: exceptions, messages, local memory
    {"CException::Delete, CException::~CException, CMemoryException::~CMemoryException, "
     "COleException::~COleException",
     [] {
       CMemoryException(false).Delete();
       (new COleException(5))->Delete();
     }},
    {FN(AfxThrowMemoryException), kMemoryExc},
    {"AfxThrowOleException", [](unsigned c) { AfxThrowOleException(SCODE(c)); }, kOle},
    {"AfxSetMessageBoxHandler, AfxMessageBox (2)",
     [](const Text& t, unsigned type) {
       std::freopen("/dev/null", "w", stderr);  // where the default box writes
       AfxSetMessageBoxHandler(nullptr);
       AfxMessageBox(t, type, type);
       AfxMessageBox(type, type, type);
     }},
    {"SetSystemMessageText, ResetSystemMessageText, FormatMessageW",
     [](MessageFlags f, const Text& t, const Out& o) {
       static const DWORD_PTR args[100] = {};
       auto* array = reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args));
       const DWORD into = f & ~FORMAT_MESSAGE_ALLOCATE_BUFFER;
       wchar_t* allocated = nullptr;
       SetSystemMessageText(5, t);
       FormatMessageW(into, t, 5, 0, o, o, nullptr);
       // Every conversion into each buffer as well: the sweep holds the text while it varies those.
       FormatMessageW(into, kConversions, 5, 0, o, o, nullptr);
       FormatMessageW(into | FORMAT_MESSAGE_ARGUMENT_ARRAY, t, 5, 0x0407, o, o, array);
       FormatMessageW(f | FORMAT_MESSAGE_ALLOCATE_BUFFER, t, 5, 0,
                      reinterpret_cast<wchar_t*>(&allocated), o, nullptr);
       LocalFree(allocated);
       ResetSystemMessageText(5);
     }},
    {"LocalAlloc, LocalFree", [](unsigned f, std::size_t n) { LocalFree(LocalAlloc(f, n)); }},
    {"CoTaskMemAlloc, CoTaskMemFree", [](std::size_t n) { CoTaskMemFree(CoTaskMemAlloc(n)); }},
    // ---- libWinAPI: paths
    {FN(PathRemoveBackslash)},
    {FN(PathRemoveFileSpec)},
    {FN(PathRemoveExtension)},
    {FN(PathFindExtensionW)},
    {FN(PathFindFileNameW)},
    {FN(PathIsRelative)},
    {FN(PathFileExists)},
    {FN(PathIsDirectory)},
    {"CommandLineToArgvW", [](const Text& t, int* n) { LocalFree(CommandLineToArgvW(t, n)); }},
    {FN(PathToNative)},
    {FN(NativeToPath)},
    {"PathCombine",
     [](const Text& d, const Text& f) {
       auto in = Buffer(d, MAX_PATH), out = Buffer(Text(L""), MAX_PATH);
       PathCombine(out.get(), d, f);
       PathCombine(in.get(), in.get(), f);
       PathCombine(nullptr, d, f);
     }},
    {"PathAppend", [](const Text& d, const Text& f) { PathAppend(Buffer(d, MAX_PATH).get(), f); }},
    {"PathRenameExtension",
     [](const Text& d, const Text& f) { PathRenameExtension(Buffer(d, MAX_PATH).get(), f); }},
    {"PathRelativePathTo",
     [](const Text& d, const Text& f) {
       auto out = Buffer(Text(L""), MAX_PATH);
       PathRelativePathTo(nullptr, d, 0, f, ~0u);
       PathRelativePathTo(out.get(), d, FILE_ATTRIBUTE_DIRECTORY, f, FILE_ATTRIBUTE_DIRECTORY);
       PathRelativePathTo(out.get(), d, 0, f, 0);
     }},
    // ---- libWinAPI: files, folders, processes
    {"GetTempPath", [](const Out& o) { GetTempPath(o, o); }},
    {"GetCurrentDirectory", [](const Out& o) { GetCurrentDirectory(o, o); }},
    {"GetTempFileName, DeleteFile",
     [](const Text& p, const Text& prefix, unsigned unique) {
       auto b = Buffer(Text(L""), MAX_PATH);
       if (GetTempFileName(p, prefix, unique, b.get()) != 0 && unique == 0) DeleteFile(b.get());
       GetTempFileName(p, prefix, unique, nullptr);
       DeleteFile(p);
     },
     kWrites},
    {FN(CFile::GetStatus), kOle},
    {"CreateProcessW",
     [](const Text& line, const Text& other) {
       auto l = Buffer(line);
       STARTUPINFOW si{};
       PROCESS_INFORMATION pi{};
       if (CreateProcessW(other, l.get(), nullptr, nullptr, 1, 0, nullptr, other, &si, &pi)) {
         CloseHandle(pi.hProcess);
         CloseHandle(pi.hThread);
       }
       CreateProcessW(other, l.get(), nullptr, nullptr, 0, CREATE_SUSPENDED, nullptr, nullptr,
                      nullptr, nullptr);
     }},
    // An environment block of each text, narrow or wide, for a program that runs.
    {"CreateProcessW",
     [](const Text& env, CreationFlags flags) {
       std::wstring wide = env + std::wstring(2, L'\0');
       std::string narrow(wide.begin(), wide.end());
       wchar_t line[] = L"msiexec";
       STARTUPINFOW si{};
       PROCESS_INFORMATION pi{};
       void* block = flags & CREATE_UNICODE_ENVIRONMENT ? static_cast<void*>(&wide[0]) : &narrow[0];
       if (CreateProcessW(nullptr, line, nullptr, nullptr, 0, flags, env.null ? nullptr : block,
                          nullptr, &si, &pi)) {
         WaitForSingleObject(pi.hProcess, INFINITE);
         CloseHandle(pi.hProcess);
         CloseHandle(pi.hThread);
       }
     },
     kAgain},
    {"WaitForSingleObject", [](Process p, DWORD ms) { WaitForSingleObject(p, ms); }},
    {"GetExitCodeProcess, CloseHandle",
     [](Process p, DWORD* code) {
       HANDLE h = p;
       GetExitCodeProcess(h, code);
       CloseHandle(h);
       CloseHandle(h);
     }},
    // ---- libWinAPI: resource libraries and languages
    {"LoadLibraryW", [](const TextOrId& t) { FreeLibrary(LoadLibraryW(t)); }},
    {"LoadLibrary", [](const Text& t) { FreeLibrary(LoadLibrary(t)); }},
    {"SetDllDirectoryW",
     [](const Text& t) {
       SetDllDirectoryW(t);
       FreeLibrary(LoadLibraryW(L"strings64.dll"));
     }},
    {FN(FreeLibrary)},
    {"AfxGetResourceHandle, AfxSetResourceHandle, loadStringFromWin32ResourceDLL (2)",
     [](HMODULE m, unsigned id) {
       AfxSetResourceHandle(m);
       std::wstring text = loadStringFromWin32ResourceDLL(AfxGetResourceHandle(), id);
       loadStringFromWin32ResourceDLL(AfxGetResourceHandle(), id, text);  // over a text
     }},
    {"LoadStringW, LoadString",
     [](HMODULE m, unsigned id, const IntOut& o) {
       const wchar_t* text = nullptr;
       if (o.size != 0) LoadStringW(m, id, o, o);  // size 0 needs room for a pointer
       LoadString(m, id, reinterpret_cast<LPWSTR>(&text), 0);
     }},
    {"EnumResourceStringsW",
     [](HMODULE m, unsigned stop) {
       EnumResourceStringsW(
           m, [](HMODULE, UINT, LANGID, LPCWSTR, UINT, LONG_PTR s) -> BOOL { return !s; }, stop);
       EnumResourceStringsW(m, nullptr, 0);
     }},
    {FN(SetThreadUILanguage)},
    {FN(GetThreadUILanguage)},
    {FN(LocaleNameToLCID)},
    {"LCIDToLocaleName", [](Lcid l, const IntOut& o) { LCIDToLocaleName(l, o, o, 0); }},
    // ---- libWinAPI: GUIDs and time
    {"StringFromCLSID",
     [](const _GUID& g, wchar_t** t) {
       StringFromCLSID(g, t);
       CoTaskMemFree(t ? *t : nullptr);
     }},
    {FN(CLSIDFromString)},
    {"CTime::CTime (2)",
     [](Field field, int v, const SYSTEMTIME* t) {
       int f[7] = {2024, 5, 17, 8, 30, 0, -1};
       f[field] = v;
       static_cast<void>(CTime(f[0], f[1], f[2], f[3], f[4], f[5], f[6]));
       if (t) static_cast<void>(CTime(*t, v));
     }},
    {FN(CTime::GetYear)},
    {FN(CTime::GetMonth)},
    {FN(CTime::GetDay)},
    {FN(CTime::GetHour)},
    {FN(CTime::GetMinute)},
    {FN(CTime::GetSecond)},
    {FN(CTime::GetDayOfWeek)},
    {FN(CTime::GetAsSystemTime)},
    {FN(CTime::GetLocalTm)},
    {FN(CTime::GetCurrentTime)},
    {FN(GetLocalTime)},
    {"GetDateFormatW",
     [](Lcid l, DateFlags f, const SYSTEMTIME* t, const Text& p, const IntOut& o) {
       GetDateFormatW(l, f, t, p, o, o);
     }},
    {"GetTimeFormatW",
     [](Lcid l, DateFlags f, const SYSTEMTIME* t, const Text& p, const IntOut& o) {
       GetTimeFormatW(l, f, t, p, o, o);
     }},
    // ---- libWinAPI: strings
    {"ms_swprintf",
     [](const Text& f, const Out& o) {
       const wchar_t* x = L"x";
       ms_swprintf(o, o, f, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
     }},
    {"ms_vswprintf",
     [](const Text& f, const Out& o) {
       const std::function<int(va_list)> print = [&](va_list a) {
         return ms_vswprintf(o, o, f, a);
       };
       const wchar_t* x = L"x";
       WithArgs(&print, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x, x);
     }},
    {"wcscpy_s", [](const Text& f, const Out& o) { wcscpy_s(o, o, f); }},
    // Scans of each text with each kind of conversion and destination, and with itself as format.
    {"swscanf_s, vswscanf_s",
     [](const wchar_t* text) {
       wchar_t w[8];
       char c[8];
       int i[6];
       double d;
       long long ll;
       void* p;
       const std::function<int(va_list)> scan = [text](va_list a) {
         return vswscanf_s(text, L"%s", a);
       };
       WithArgs(&scan, static_cast<wchar_t*>(nullptr), 16u);
       swscanf_s(text, L"%s", static_cast<wchar_t*>(nullptr), 16u);
       swscanf_s(text, L"%s", w, 0u);
       swscanf_s(text, L"%s%c%[^,]", w, 8u, w, 1u, w, 8u);
       swscanf_s(text, L"%hs%S%5c", c, 8u, c, 8u, c, 8u);
       swscanf_s(text, L"%d-%d-%dT%d:%d:%d", &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]);
       swscanf_s(text, L"%99999999999d%i%x%o%n", &i[0], &i[1], &i[2], &i[3], &i[4]);
       swscanf_s(text, L"%lf%I64d%p%*s%%", &d, &ll, &p);
       swscanf_s(text, L"%[%s", w, 8u);
       swscanf_s(text, text, w, 8u);
     }},
    {FN(ms_wtoi)},
    {FN(CharNextW)},
    {"_wcsdup", [](const wchar_t* t) { delete[] _wcsdup(t); }, kAlloc},
    {"MultiByteToWideChar",
     [](const Narrow& n, const IntOut& o) {
       for (const int count : {-1, 0, n.null ? 1 : int(n.size()), INT_MIN})
         for (const UINT cp : {CP_UTF8, 0u}) MultiByteToWideChar(cp, 0, n, count, o, o);
     }},
    {"WideCharToMultiByte",
     [](const Text& t, const IntOut& o) {
       BOOL used;
       for (const int count : {-1, 0, t.null ? 1 : int(t.size()), INT_MIN})
         for (const UINT cp : {CP_UTF8, 0u}) {
           WideCharToMultiByte(cp, 0, t, count, o, o, "?", &used);
           WideCharToMultiByte(cp, 0, t, count, o, o, nullptr, nullptr);
         }
     }},
    {FN(Utf8ToWide), kAlloc},
    {FN(WideToUtf8), kAlloc},
    {"CreateCFStringFromUTF32", [](const wchar_t* t) { CFRelease(CreateCFStringFromUTF32(t)); }},
    {FN(CFString2CString)},
    // ---- libvelfirst
    {"VelString::VelString (4), VelString::operator= (2), VelString::~VelString",
     [](const Text& t) {
       VelString a(t), b;
       VelString c(a), d(std::move(c));
       b = a;
       c = std::move(d);
     }},
    {"VelString::assign (2), VelString::append, VelString::c_str, VelString::length",
     [](VelString& a, const Text& t) {
       a.assign(t);
       a.assign(VelString(t));
       a.append(t);
       a.append(a.c_str());
     }},
    {FN(VelString::compare)},
    {FN(VelString::collateNoCase)},
    {FN(VelString::isEmpty)},
    {FN(VelString::setEmpty)},
    {FN(VelString::substr)},
    {FN(VelString::replace)},
    // ---- libvelcf
    {"CFRetain, CFRelease", [](CFTypeRef o) { CFRelease(CFRetain(o)); }},
    {FN(CFGetRetainCount)},
    {FN(CFGetTypeID)},
    {FN(CFArrayGetCount)},
    {FN(CFDataGetLength)},
    {FN(CFDataGetBytePtr)},
    {FN(CFDictionaryGetCount)},
    {FN(CFTreeGetChildCount)},
    {FN(CFTreeGetFirstChild)},
    {FN(CFTreeGetNextSibling)},
    {FN(CFTreeGetParent)},
    {FN(CFXMLTreeGetNode)},
    {FN(CFXMLNodeGetTypeCode)},
    {FN(CFXMLNodeGetString)},
    {FN(CFXMLNodeGetInfoPtr)},
    {FN(CFXMLNodeGetVersion)},
    {FN(CFStringGetLength)},
    {FN(CFStringGetCharactersPtr)},
    {"CFDictionaryGetKeysAndValues",
     [](CFDictionaryRef d) {
       std::vector<const void*> keys(static_cast<std::size_t>(CFDictionaryGetCount(d)));
       CFDictionaryGetKeysAndValues(d, keys.data(), nullptr);
       CFDictionaryGetKeysAndValues(d, nullptr, keys.data());
     }},
    {FN(CFArrayGetValueAtIndex)},
    {FN(CFTreeGetChildAtIndex)},
    {FN(CFStringGetCharacterAtIndex)},
    {FN(CFArrayGetTypeID)},
    {FN(CFDataGetTypeID)},
    {FN(CFTreeGetTypeID)},
    {FN(CFXMLNodeGetTypeID)},
    {FN(CFStringGetTypeID)},
    {FN(CFDictionaryGetTypeID)},
    {"CFStringGetCharacters",
     [](CFStringRef s, CFIndex at, CFIndex n) {
       UniChar b[16];
       CFStringGetCharacters(s, CFRangeMake(at, n), n >= 0 && n <= 16 ? b : nullptr);
     }},
    {FN(CFEqual)},
    {FN(CFDictionaryContainsKey)},
    {FN(CFDictionaryGetValue)},
    {FN(CFDictionaryGetValueIfPresent)},
    {FN(CFStringCompare)},
    {"CFStringCreateWithCString, CFStringGetCString",
     [](const Narrow& n, Encoding e, const IntOut& o) {
       CFStringRef c = CFStringCreateWithCString(nullptr, n, e);
       CFStringGetCString(c, o, o, e);
       CFRelease(c);
     }},
    {"CFStringCreateWithBytes",
     [](const Narrow& n, Encoding e) {
       const auto* bytes = reinterpret_cast<const UInt8*>(static_cast<const char*>(n));
       CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 0 : CFIndex(n.size()), e, 1));
       CFRelease(CFStringCreateWithBytes(nullptr, bytes, n.null ? 8 : -1, e, 0));
     }},
    {"__CFStringMakeConstantString", __CFStringMakeConstantString},
    {"CFStringGetMaximumSizeForEncoding",
     [](CFIndex n, Encoding e) { CFStringGetMaximumSizeForEncoding(n, e); }},
    {"CFStringCreateWithCharacters",
     [](CFIndex n) {
       const UniChar u[2] = {0xDC00, 0xD800};
       CFRelease(CFStringCreateWithCharacters(nullptr, nullptr, n));
       CFRelease(CFStringCreateWithCharacters(nullptr, u, n >= 0 && n <= 2 ? n : 0));
     }},
    {"CFDataCreate, CFXMLTreeCreateFromData",
     [](const Document& d, CFOptionFlags f, CFIndex version) {
       const auto* bytes = reinterpret_cast<const UInt8*>(d.xml.data());
       CFDataRef data = CFDataCreate(nullptr, bytes, CFIndex(d.xml.size()));
       CFRelease(CFXMLTreeCreateFromData(nullptr, data, nullptr, f, version));
       CFRelease(data);
       CFRelease(CFDataCreate(nullptr, nullptr, version));
       CFRelease(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, 0, version));
     }},
};
// The functions an entry names, each with its number of overloads.
std::map<std::string, int> Names(const Fn& fn) {
  std::map<std::string, int> names;
  const std::string list = std::string(fn.functions) + ", ";
  for (std::size_t at = 0, comma; (comma = list.find(", ", at)) != std::string::npos;
       at = comma + 2) {
    std::string name = list.substr(at, comma - at);
    if (name.rfind("Str::", 0) == 0) name = "CStdStr<>" + name.substr(3);  // the alias
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

// Every exported function has an entry, each of its overloads counted: a new function needs one.
TEST(HostileInput, SweepCoversEveryExport) {
  std::map<std::string, int> covered;
  for (const Fn& fn : kFunctions)
    if (!(fn.allow & kAgain))
      for (const auto& [name, overloads] : Names(fn)) covered[name] += overloads;
  const std::map<std::string, int> exported = Exported();
  ASSERT_GT(exported.size(), 200u);
  for (const auto& [name, overloads] : exported) {
    const auto it = covered.find(name);
    EXPECT_EQ(it == covered.end() ? 0 : it->second, overloads)
        << "overloads with an entry: " << name;
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
  for (std::size_t i = 0; i < std::size(kFunctions);) {
    std::vector<const Fn*> group = {&kFunctions[i++]};
    while (i < std::size(kFunctions) && kFunctions[i].kinds == group[0]->kinds &&
           (kFunctions[i].allow & kWrites) == (group[0]->allow & kWrites))
      group.push_back(&kFunctions[i++]);
    Sweep(group).Run(Combinations(group.front()->counts));
  }
  velut_test::LimitAllocations(0);
}

}  // namespace
