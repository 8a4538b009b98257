// rukmoxctl program against the simulator: programming files in a folder of the test's own, and
// what the simulated devices went through.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "CtlFixture.h"
#include "FirmwareImage.h"
#include "Rukmox.h"

namespace rukmox::test {

class CtlProgramFixture : public CtlTest {
 protected:
  void SetUp() override {
    CtlTest::SetUp();
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("rukmoxctl-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    CtlTest::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string WriteFile(const std::string& text, const std::string& name = "firmware.s19") {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  // A valid file of `records` data records and the end record.
  std::string WriteImage(std::size_t records = 8) {
    return WriteFile(FirmwareFile(ImageRecords(32 * records)));
  }

  // No command of a programming job reached the dongle, neither boot loader saw a frame and both
  // devices still run their application: nothing of the job reached a device.
  bool NothingTouched() {
    return sim_->With([](sim::World& w) {
      bool untouched = w.dongle.firmware == sim::Firmware::Application && w.dongle.boot.frames == 0;
      for (const sim::CommandFrame& frame : w.dongle.received)
        untouched = untouched && frame.code != TRukMox::CmdBootLoader &&
                    frame.code != TRukMox::CmdCheckupRegister &&
                    frame.code != TRukMox::CmdStartReprogramming;
      for (const sim::PortDevice& port : w.ports)
        untouched = untouched && port.firmware == sim::Firmware::Application &&
                    port.boot.frames == 0 && port.rawReceived.empty();
      return untouched;
    });
  }

  std::filesystem::path dir_;
};

}  // namespace rukmox::test
