#include "ProgramRun.h"

#include <algorithm>

#include "Rukmoxprog.h"

namespace rukmox::programming {

ProgramRun::ProgramRun(TRukMoxProg& programmer, std::span<const std::uint8_t> sizedBuffer)
    : programmer_(programmer), sizedBuffer_(sizedBuffer) {}

void ProgramRun::Step() {
  if (Done()) return;
  if (!records_)
    Begin();
  else
    SendNextRecord();
}

void ProgramRun::Begin() {
  programmer_.RecordsAccepted = 0;
  if (!programmer_.IsOpen()) programmer_.Open();
  if (!programmer_.IsOpen()) {
    result_ = ProgramNoBootLoader;
    return;
  }
  const auto data = SizedBufferData(sizedBuffer_);
  if (!data) {
    result_ = ProgramBadBuffer;
    return;
  }
  if (data->empty()) {
    result_ = ProgramEmpty;
    return;
  }
  if (!HeaderMatches(*data)) {
    result_ = ProgramWrongHeader;
    return;
  }
  // Every record line is looked at before the boot loader is touched: a file that cannot be sent
  // whole is not started.
  const RecordCheck check = CheckRecordLines(*data);
  if (check.records == 0) {
    result_ = ProgramEmpty;
    return;
  }
  if (check.firstUnframeable != 0) {
    result_ = ProgramRecordBase + check.firstUnframeable;
    return;
  }

  if (!programmer_.IsInBootLoader()) {
    result_ = ProgramNoBootLoader;
    return;
  }
  if (StopAsked()) return;  // before the erase
  if (!programmer_.PrepareProgramming()) {
    result_ = ProgramPrepareFailed;
    return;
  }
  if (!programmer_.StartProgramming()) {
    result_ = ProgramStartFailed;
    return;
  }
  data_ = *data;
  records_.emplace(data_);
  if (programmer_.OnProgress) programmer_.OnProgress(0, 0);
}

bool ProgramRun::StopAsked() {
  if (!programmer_.StopRequested || !programmer_.StopRequested()) return false;
  result_ = ProgramStopped;
  return true;
}

void ProgramRun::SendNextRecord() {
  const std::optional<RecordLine> record = records_->Next();
  if (!record) {
    result_ = ProgramOk;
    return;
  }
  if (StopAsked()) return;
  if (!programmer_.SendRecord(record->text)) {
    result_ = ProgramRecordBase + record->number;
    return;
  }
  ++programmer_.RecordsAccepted;
  if (programmer_.OnProgress) {
    const std::uint64_t size = data_.size();
    const std::uint64_t consumed = std::min<std::uint64_t>(record->consumed, size);
    programmer_.OnProgress(static_cast<std::int32_t>(100 * consumed / size), 0);
  }
}

}  // namespace rukmox::programming
