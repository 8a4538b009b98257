#include "platform/PortDiagnosis.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "NamedRows.h"
#include "PtyPair.h"

namespace rukmox::platform {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here

struct NodeCase {
  const char* name;
  std::string path;
  OpenError error;
};

class PortDiagnosisTest : public ::testing::TestWithParam<NodeCase> {};

// Nodes that are no serial line are told apart from outside, without opening them.
TEST_P(PortDiagnosisTest, TellsWhatKindOfNodeItIs) {
  EXPECT_EQ(DiagnosePort(GetParam().path).Error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Nodes, PortDiagnosisTest,
    ::testing::Values(NodeCase{"NullDevice", "/dev/null", OpenError::NotATty},
                      NodeCase{"EndlessDevice", "/dev/zero", OpenError::NotATty},
                      NodeCase{"TerminalMultiplexer", "/dev/ptmx", OpenError::NotASerialPort},
                      NodeCase{"ControllingTerminal", "/dev/tty", OpenError::NotASerialPort},
                      NodeCase{"Missing", "/nonexistent/ttyRUK", OpenError::NotFound}),
    test::RowName());

TEST(PortDiagnosis, APseudoTerminalPassesForASerialLine) {
  test::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  EXPECT_EQ(DiagnosePort(pty.path()).Error, OpenError::None);
}

// A node only its owner may use: joining its group would not help, so the owner is named.
TEST(PortDiagnosis, ANodeOfItsOwnerAloneNamesTheOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to look at the node as another user";
  test::PtyPair pty;
  ASSERT_TRUE(pty.ok());
  ASSERT_EQ(chown(pty.path().c_str(), 0, 0), 0);
  ASSERT_EQ(chmod(pty.path().c_str(), 0600), 0);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const PortTrouble trouble = DiagnosePort(pty.path());
    _exit(trouble.Error == OpenError::Permission && trouble.Owner == "root" && trouble.Group.empty()
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace rukmox::platform
