// Rows of a case table carry a `name`; GoogleTest prints that name for a row instead of a dump
// of its bytes when an assertion about it fails.
#pragma once

#include <ostream>

namespace rukmox::test {

template <typename Case>
requires requires(const Case& c) {
  c.name;
}
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

}  // namespace rukmox::test
