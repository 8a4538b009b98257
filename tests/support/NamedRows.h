// Rows of a case table carry a `name`. RowName gives each instantiated row that name:
//
//   INSTANTIATE_TEST_SUITE_P(Suite, SomeTest, ::testing::Values(Case{"Name", ...}), RowName());
//
// and PrintTo makes GoogleTest print that name for a row instead of a dump of its bytes when an
// assertion about it fails. GoogleTest finds PrintTo by argument lookup, which searches only the
// namespace that declares the row type, so each test file says `using rukmox::test::PrintTo;`
// next to its rows.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace rukmox::test {

template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

struct RowName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return std::string(info.param.name);
  }
};

}  // namespace rukmox::test
