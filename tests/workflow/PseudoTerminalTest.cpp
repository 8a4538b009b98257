#include "PseudoTerminal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace rukmox {
namespace {

// Where the system gives new terminals to the tty group (mode 620), a process of that group could
// write into the radio link through the bridge's terminal; it is the operator's alone.
TEST(PseudoTerminalTest, TheTerminalIsTheOperatorsAlone) {
  PseudoTerminal terminal;
  std::string why;
  ASSERT_TRUE(terminal.Open(&why)) << why;
  struct stat node {};
  ASSERT_EQ(stat(terminal.SlavePath().c_str(), &node), 0);
  EXPECT_EQ(node.st_mode & 0777, 0600u);
  EXPECT_EQ(node.st_uid, geteuid());
}

}  // namespace
}  // namespace rukmox
