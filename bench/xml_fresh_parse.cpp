// Parses the benchmarks' string table in a process that has done nothing
// else, and prints what the parses cost, on one line: nanoseconds of CPU
// time (user and system, so the kernel's page faults count) and page faults
// (minor faults) per parse, and the 4 KiB pages by which the parses raised
// the process's peak resident memory, all from getrusage. xml_tree_bench starts it
// once per iteration for its cold and fresh-process rows.
//   xml_fresh_parse velut|pugixml PARSES
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pugixml.hpp>

#include <CoreFoundation/CoreFoundation.h>

#include "string_table.h"

namespace {

double Seconds(const struct timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double CpuSeconds(const struct rusage& usage) {
  return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

struct rusage Usage() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage;
}

}  // namespace

int main(int argc, char** argv) {
  const bool velut = argc == 3 && std::strcmp(argv[1], "velut") == 0;
  const bool pugixml = argc == 3 && std::strcmp(argv[1], "pugixml") == 0;
  const long parses = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 0;
  if ((!velut && !pugixml) || parses <= 0) {
    std::fputs("usage: xml_fresh_parse velut|pugixml PARSES\n", stderr);
    return 2;
  }
  const std::string bytes = velut_bench::Utf8Table();
  // Made before the count starts: the parses alone are measured.
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()),
                                static_cast<CFIndex>(bytes.size()));
  bool parsed = true;
  const struct rusage before = Usage();
  for (long i = 0; i < parses; ++i) {
    if (velut) {
      CFXMLTreeRef tree = CFXMLTreeCreateFromData(nullptr, data, nullptr, 0, 0);
      parsed = parsed && tree != nullptr;
      if (tree != nullptr) CFRelease(tree);
    } else {
      pugi::xml_document document;
      parsed = parsed && document.load_buffer(bytes.data(), bytes.size());
    }
  }
  const struct rusage after = Usage();
  const double took = (CpuSeconds(after) - CpuSeconds(before)) * 1e9;
  const long faulted = after.ru_minflt - before.ru_minflt;
  const long pages = (after.ru_maxrss - before.ru_maxrss) / 4;  // ru_maxrss is in KiB
  CFRelease(data);
  if (!parsed) {
    std::fputs("xml_fresh_parse: the table did not parse\n", stderr);
    return 1;
  }
  std::printf("%.0f %.1f %ld\n", took / static_cast<double>(parses),
              static_cast<double>(faulted) / static_cast<double>(parses), pages);
  return 0;
}
