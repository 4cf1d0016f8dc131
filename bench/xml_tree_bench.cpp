// The XML tree of a 10,000-entry string table against pugixml's own parse
// of the same bytes (the floor: our parser runs pugixml first), the heap
// each keeps for the document, and the loading of the entries from the
// tree against the parse.
#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <CoreFoundation/CoreFoundation.h>
#include <VelUt/VelUt.h>

namespace {

constexpr int kEntries = 10000;

// malloc gives freed memory back to the system, or not, depending on what
// the process freed before; fixed thresholds keep both sides on memory
// already in use, so that the figures measure the parse, not page faults.
void FixMallocThresholds() {
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

// Two thirds literal entries with an English and a German text, one third
// references, one entry a line.
std::string Utf8Table() {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<table>\n";
  for (int i = 0; i < kEntries; ++i) {
    const std::string n = std::to_string(i);
    if (i % 3 == 2)
      xml += "  <string id=\"r" + n + "\" resource=\"100\" src=\"demo\"/>\n";
    else
      xml += "  <string id=\"s" + n + "\"><en>Entry number " + n +
             " &amp; more</en><de>Eintrag Nr. " + n + "</de></string>\n";
  }
  return xml + "</table>\n";
}

// The same table in UTF-16LE with a byte-order mark (the text is ASCII).
std::string Utf16Table() {
  std::string xml = Utf8Table();
  xml.replace(xml.find("UTF-8"), 5, "UTF-16");
  std::string out = "\xFF\xFE";
  for (char c : xml) out += {c, '\0'};
  return out;
}

// Owns a CF object for the length of a scope.
template <class T>
struct Owned {
  T ref;
  explicit Owned(T r) : ref(r) {}
  ~Owned() {
    if (ref != nullptr) CFRelease(ref);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
};

Owned<CFDataRef> DataOf(const std::string& bytes) {
  return Owned<CFDataRef>(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                       static_cast<CFIndex>(bytes.size())));
}

void Velut(benchmark::State& state, const std::string& bytes) {
  FixMallocThresholds();
  const Owned<CFDataRef> data = DataOf(bytes);
  for (auto _ : state) {
    CFXMLTreeRef tree = CFXMLTreeCreateFromData(nullptr, data.ref, nullptr, 0, 0);
    if (tree == nullptr) state.SkipWithError("not parsed");
    benchmark::DoNotOptimize(tree);
    CFRelease(tree);
  }
}

void Pugixml(benchmark::State& state, const std::string& bytes) {
  FixMallocThresholds();
  for (auto _ : state) {
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size())) state.SkipWithError("not parsed");
    benchmark::DoNotOptimize(document.first_child());
  }
}

std::size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// The heap a parsed document keeps, in the label: MB and the multiple of
// the document's size.
template <class Parse>
void Heap(benchmark::State& state, const std::string& bytes, Parse parse) {
  std::size_t kept = 0;
  for (auto _ : state) kept = parse();
  char label[64];
  std::snprintf(label, sizeof label, "heap %.2f MB = %.1fx the document", kept / 1e6,
                static_cast<double>(kept) / static_cast<double>(bytes.size()));
  state.SetLabel(label);
}

void VelutHeap(benchmark::State& state, const std::string& bytes) {
  const Owned<CFDataRef> data = DataOf(bytes);
  Heap(state, bytes, [&data] {
    const std::size_t before = HeapInUse();
    const Owned<CFXMLTreeRef> tree(CFXMLTreeCreateFromData(nullptr, data.ref, nullptr, 0, 0));
    return HeapInUse() - before;
  });
}

void PugixmlHeap(benchmark::State& state, const std::string& bytes) {
  Heap(state, bytes, [&bytes] {
    const std::size_t before = HeapInUse();
    pugi::xml_document document;
    document.load_buffer(bytes.data(), bytes.size());
    return HeapInUse() - before;
  });
}

// VelUtResString::Load on every entry of the parsed table.
void LoadEntries(benchmark::State& state) {
  const std::string bytes = Utf8Table();
  const Owned<CFDataRef> data = DataOf(bytes);
  const Owned<CFXMLTreeRef> tree(CFXMLTreeCreateFromData(nullptr, data.ref, nullptr, 0, 0));
  CFTreeRef table = CFTreeGetChildAtIndex(tree.ref, CFTreeGetChildCount(tree.ref) - 2);
  std::vector<CFTreeRef> entries;
  for (CFIndex i = 0; i < CFTreeGetChildCount(table); ++i) {
    CFTreeRef child = CFTreeGetChildAtIndex(table, i);
    if (CFXMLNodeGetTypeCode(CFXMLTreeGetNode(child)) == kCFXMLNodeTypeElement)
      entries.push_back(child);
  }
  if (entries.size() != kEntries) state.SkipWithError("wrong entry count");
  std::vector<VelUtResString> strings(entries.size());
  for (auto _ : state)
    for (std::size_t i = 0; i < entries.size(); ++i)
      benchmark::DoNotOptimize(strings[i].Load(entries[i]));
}

const std::string kUtf8 = Utf8Table();
const std::string kUtf16 = Utf16Table();

BENCHMARK_CAPTURE(Velut, utf8, kUtf8)->Name("XMLTree/utf8/velut")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pugixml, utf8, kUtf8)
    ->Name("XMLTree/utf8/limit_pugixml_load_buffer")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Velut, utf16, kUtf16)->Name("XMLTree/utf16/velut")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Pugixml, utf16, kUtf16)
    ->Name("XMLTree/utf16/limit_pugixml_load_buffer")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VelutHeap, utf8, kUtf8)->Name("XMLTree/heap/velut")->Iterations(1);
BENCHMARK_CAPTURE(PugixmlHeap, utf8, kUtf8)
    ->Name("XMLTree/heap/limit_pugixml_load_buffer")
    ->Iterations(1);
BENCHMARK(LoadEntries)->Name("XMLTree/load-10000-entries/velut")->Unit(benchmark::kMillisecond);
// Loading the entries may take as long again as parsing the table.
BENCHMARK_CAPTURE(Velut, utf8, kUtf8)
    ->Name("XMLTree/load-10000-entries/limit_the_parse_of_the_table")
    ->Unit(benchmark::kMillisecond);

}  // namespace
