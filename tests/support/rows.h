// Test support: the loops over test tables, each row named in the trace.
#pragma once

#include <functional>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include <VelUt/StdStr.h>

namespace velut_test {

// A string before, what is done to it, the string after, and the result.
struct EditRow {
  std::wstring before;
  std::function<int(CStdStr<wchar_t>&)> edit;
  std::wstring after;
  int result;
};

template <std::size_t N>
void RunEditRows(const EditRow (&rows)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i << ", \"" << rows[i].before << "\"");
    CStdStr<wchar_t> s(rows[i].before);
    EXPECT_EQ(rows[i].result, rows[i].edit(s)) << "result";
    EXPECT_EQ(rows[i].after, static_cast<const std::wstring&>(s)) << "string after";
  }
}

// Calls check(fields...) with the fields of each pair or tuple row; rows print
// in the trace, so a text pointer in them must be null or point to text.
template <typename Row, std::size_t N, typename Check>
auto ForEachRow(const Row (&rows)[N], Check check)
    -> decltype(std::tuple_size<Row>::value, void()) {
  for (std::size_t i = 0; i < N; ++i) {
    SCOPED_TRACE(testing::Message() << "row " << i << ": " << testing::PrintToString(rows[i]));
    std::apply(check, rows[i]);
  }
}

// Calls check(row) for each row of a struct whose first field is its name, the
// name in the trace. Tables of five columns or more are such structs.
template <typename Row, std::size_t N, typename Check>
auto ForEachRow(const Row (&rows)[N], Check check) -> decltype(void(rows[0].name)) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    check(row);
  }
}

// A loop stays plain where its rows cannot print (a pointer that is no text, a value gtest has no
// printer for) or are no table (an inline list, the values a call gave back).

}  // namespace velut_test
