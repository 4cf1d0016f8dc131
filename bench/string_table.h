// The string table the XML benchmarks parse: 10,000 entries, two thirds
// literal entries with an English and a German text, one third references,
// one entry a line (780,812 bytes of UTF-8).
#pragma once

#include <string>

namespace velut_bench {

constexpr int kEntries = 10000;

inline std::string Utf8Table() {
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

}  // namespace velut_bench
