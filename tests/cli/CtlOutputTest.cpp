// Output that cannot be written is a failure: a full disk or a closed standard output ends the
// command with status 1 and one message on standard error, and a command that would stream forever
// stops.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "CtlFixture.h"
#include "NamedRows.h"

namespace rukmox::test {
namespace {

using rukmox::test::PrintTo;  // found by argument lookup for the rows declared here
using ::testing::HasSubstr;

struct OutputCase {
  const char* name;
  std::vector<std::string> args;
  bool closed;  // standard output closed; else /dev/full
  std::string why;
};

class CtlOutputTest : public CtlTest, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(CtlOutputTest, EndsWithStatus1AndSaysWhy) {
  const OutputCase& c = GetParam();
  ChildOptions options;
  options.deadline = std::chrono::seconds(30);  // the endless ones must end on their own
  if (c.closed)
    options.stdoutClosed = true;
  else
    options.stdoutFile = "/dev/full";
  const ChildResult r = Ctl(c.args, options);
  EXPECT_EQ(r.status, 1) << r.err;
  const std::string message = "Cannot write to standard output: " + c.why + ".\n";
  EXPECT_THAT(r.err, HasSubstr(message));
  EXPECT_EQ(r.err.find(message), r.err.rfind(message)) << "said more than once:\n" << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Ctl, CtlOutputTest,
    ::testing::Values(
        OutputCase{"Info", {"info"}, false, "no space left on the disk"},
        OutputCase{"InfoAsJson", {"--json", "info"}, false, "no space left on the disk"},
        OutputCase{"Help", {"--help"}, false, "no space left on the disk"},
        OutputCase{
            "CountedCsv", {"monitor", "--csv", "--count", "3"}, false, "no space left on the disk"},
        OutputCase{"EndlessCsv", {"monitor", "--csv"}, false, "no space left on the disk"},
        OutputCase{"EndlessSpectrum", {"spectrum"}, false, "no space left on the disk"},
        OutputCase{
            "ClosedDuringMonitor", {"monitor", "--count", "3"}, true, "standard output is closed"}),
    RowName());

// With standard output closed, no device may take its number and get what is printed.
TEST_F(CtlTest, AClosedStandardOutputIsNotHandedToTheDongle) {
  ChildOptions options;
  options.stdoutClosed = true;
  EXPECT_EQ(Ctl({"info"}, options).status, 1);
  const std::string wire = sim_->With([](sim::World& w) {
    return std::string(w.dongle.rawReceived.begin(), w.dongle.rawReceived.end());
  });
  EXPECT_EQ(wire.find("Device Name"), std::string::npos);
}

}  // namespace
}  // namespace rukmox::test
