// The XML tree of a 10,000-entry string table against pugixml's own parse
// of the same bytes (the floor: our parser runs pugixml first): parsed and
// released in a loop in this process, after the other rows' work, and in a
// fresh process (xml_fresh_parse), cold and in a loop; the pages each
// touches and the heap each keeps for the document; and the loading of the
// entries from the tree against the parse.
#include <malloc.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <CoreFoundation/CoreFoundation.h>
#include <VelUt/VelUt.h>

#include "string_table.h"

namespace {

using velut_bench::kEntries;
using velut_bench::Utf8Table;

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

// Whether a parse finds its memory already mapped depends on what the
// process freed before: these loops run with malloc's own settings, after
// the work of the rows before them.
void Velut(benchmark::State& state, const std::string& bytes) {
  const Owned<CFDataRef> data = DataOf(bytes);
  for (auto _ : state) {
    CFXMLTreeRef tree = CFXMLTreeCreateFromData(nullptr, data.ref, nullptr, 0, 0);
    if (tree == nullptr) state.SkipWithError("not parsed");
    benchmark::DoNotOptimize(tree);
    CFRelease(tree);
  }
}

void Pugixml(benchmark::State& state, const std::string& bytes) {
  for (auto _ : state) {
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size())) state.SkipWithError("not parsed");
    benchmark::DoNotOptimize(document.first_child());
  }
}

// What a row of fresh processes measures besides the time of a parse.
enum class Measure { kTime, kPageFaults, kPagesTouched };

// Runs xml_fresh_parse once per iteration: `parses` parses of the table by
// `who` in a new process. The iteration's time is the CPU time of one parse;
// the row's measure is that, or the page faults of one parse, or the pages
// by which the parses raised the peak resident memory.
void FreshProcess(benchmark::State& state, const char* who, int parses, Measure measure) {
  const std::string command =
      std::string(VELUT_BENCH_RUNNER) + " " + who + " " + std::to_string(parses);
  double total = 0;
  for (auto _ : state) {
    const std::unique_ptr<FILE, int (*)(FILE*)> out(popen(command.c_str(), "r"), pclose);
    double ns = 0;
    double faults = 0;
    double pages = 0;
    if (out == nullptr || std::fscanf(out.get(), "%lf %lf %lf", &ns, &faults, &pages) != 3) {
      state.SkipWithError("xml_fresh_parse failed");
      break;
    }
    state.SetIterationTime(ns / 1e9);
    total += measure == Measure::kPageFaults ? faults : pages;
  }
  if (measure != Measure::kTime && state.iterations() > 0) {
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["measure"] = mean;
    char label[48];
    std::snprintf(label, sizeof label, "%.0f %s", mean,
                  measure == Measure::kPageFaults ? "page faults" : "pages touched");
    state.SetLabel(label);
  }
}

std::size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// The heap a parsed document keeps (malloc's count of the bytes handed
// out, touched or not), in the label: MB and the multiple of the
// document's size.
template <class Parse>
void Heap(benchmark::State& state, const std::string& bytes, Parse parse) {
  std::size_t kept = 0;
  for (auto _ : state) kept = parse();
  char label[64];
  std::snprintf(label, sizeof label, "heap %.2f MB = %.1fx the document", kept / 1e6,
                static_cast<double>(kept) / static_cast<double>(bytes.size()));
  state.SetLabel(label);
  state.counters["measure"] = static_cast<double>(kept);
}

void VelutHeap(benchmark::State& state, const std::string& bytes) {
  const Owned<CFDataRef> data = DataOf(bytes);
  Heap(state, bytes, [&data] {
    // This document takes the block the thread kept from the rows before:
    // the next one is measured, with memory of its own.
    const Owned<CFXMLTreeRef> first(CFXMLTreeCreateFromData(nullptr, data.ref, nullptr, 0, 0));
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
BENCHMARK_CAPTURE(FreshProcess, cold, "velut", 1, Measure::kTime)
    ->Name("XMLTree/cold/velut")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, cold, "pugixml", 1, Measure::kTime)
    ->Name("XMLTree/cold/limit_pugixml_load_buffer")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, cold, "velut", 1, Measure::kPageFaults)
    ->Name("XMLTree/cold-page-faults/velut")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, cold, "pugixml", 1, Measure::kPageFaults)
    ->Name("XMLTree/cold-page-faults/limit_pugixml_load_buffer")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, cold, "velut", 1, Measure::kPagesTouched)
    ->Name("XMLTree/cold-pages-touched/velut")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, cold, "pugixml", 1, Measure::kPagesTouched)
    ->Name("XMLTree/cold-pages-touched/limit_pugixml_load_buffer")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, loop, "velut", 50, Measure::kTime)
    ->Name("XMLTree/fresh-process-loop/velut")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FreshProcess, loop, "pugixml", 50, Measure::kTime)
    ->Name("XMLTree/fresh-process-loop/limit_pugixml_load_buffer")
    ->UseManualTime()
    ->Iterations(3)
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
