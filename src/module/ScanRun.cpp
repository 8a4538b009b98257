#include "ScanRun.h"

#include <memory>

#include "ModuleFrame.h"
#include "Rukmox.h"

namespace rukmox::module {

ScanRun::ScanRun(TRukMox& mox, std::uint8_t command, std::int32_t repeat, bool clearFirst)
    : mox_(&mox), command_(command), repeat_(repeat), clearFirst_(clearFirst) {}

ScanRun ScanRun::Network(TRukMox& mox, std::int32_t first, std::int32_t last) {
  if (first < 0 || first > last) {
    ScanRun run(mox, TRukMox::CmdScan, mox.ScanRepeat, true);
    return run;
  }
  ScanRun run = Channels(mox, TRukMox::CmdScan, mox.ScanRepeat, first, last);
  run.clearFirst_ = true;
  return run;
}

ScanRun ScanRun::Channels(TRukMox& mox, std::uint8_t command, std::int32_t repeat,
                          std::int32_t first, std::int32_t last) {
  ScanRun run(mox, command, repeat, false);
  run.channels_ = true;
  run.first_ = first;
  run.last_ = last;
  return run;
}

ScanRun ScanRun::CurrentChannel(TRukMox& mox, std::uint8_t command, std::int32_t repeat) {
  return ScanRun(mox, command, repeat, false);
}

void ScanRun::Step() {
  if (done_) return;
  if (!started_) {
    started_ = true;
    if (clearFirst_) mox_->ClearDevices();
    if (channels_) {
      saved_ = mox_->GetLocalChannel();
      channel_ = first_;
      // An empty range still ends with the channel restored.
      if (channel_ > last_) {
        Finish();
        return;
      }
    }
  }
  if (!channelStarted_) StartChannel();
  if (request_ >= repeat_) {  // a channel without requests
    EndChannel(false);
    return;
  }

  const std::int32_t request = request_++;
  if (TRukMox::Exchanged(mox_->Exchange(command_, TRukMox::Target::Remote, {},
                                        TRukMox::ExchangeFlags::SkipLinkCheck))) {
    auto record = std::make_unique<TRemoteDeviceRecord>();
    FillScanAnswer(*record, ReplyView(mox_->RxBuffer, mox_->RxLength), mox_->Local.Channel);
    if (!mox_->ContainsDevice(*record)) {
      mox_->AddDevice(std::move(record));
      ++foundOnChannel_;
    }
  }
  const bool enough = mox_->OnScanStep && mox_->OnScanStep(repeat_, request);
  if (enough || request_ >= repeat_) EndChannel(false);
}

void ScanRun::Stop() {
  if (done_) return;
  if (!started_) {
    // Nothing was sent yet; a scan still leaves the list it was asked to empty empty.
    if (clearFirst_) mox_->ClearDevices();
    done_ = true;
    return;
  }
  if (!channelStarted_) {
    // Between two channels: only the channel to set back.
    Finish();
    return;
  }
  EndChannel(true);
}

void ScanRun::StartChannel() {
  channelStarted_ = true;
  request_ = 0;
  foundOnChannel_ = 0;
  if (channels_) mox_->SetLocalChannel(channel_);  // its result is not looked at
}

void ScanRun::EndChannel(bool stopping) {
  channelStarted_ = false;
  const std::int32_t found = foundOnChannel_;
  total_ += found;
  foundOnChannel_ = 0;
  if (!channels_) {
    done_ = true;
    return;
  }
  const bool stop = mox_->OnChannelStep && mox_->OnChannelStep(repeat_, channel_ - first_, found);
  if (stopping || stop || channel_ >= last_) {
    Finish();
    return;
  }
  ++channel_;
}

void ScanRun::Finish() {
  if (channels_) mox_->SetLocalChannel(saved_);
  done_ = true;
}

}  // namespace rukmox::module
