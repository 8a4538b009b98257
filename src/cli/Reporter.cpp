#include "Reporter.h"

#include <cerrno>
#include <cstdio>
#include <ostream>

#include "Interrupt.h"
#include "StringTable.h"
#include "platform/Files.h"

namespace rukmox::cli {

Reporter::Reporter(bool json, int language, std::ostream& out, std::ostream& err)
    : json_(json), language_(language), out_(out), err_(err) {}

template <typename Write>
void Reporter::Out(Write write) {
  if (OutputBroken()) return;
  errno = 0;
  write();
  // The stream says that it failed, errno why; a closed descriptor reports EBADF.
  if (!out_) outputError_ = errno != 0 ? errno : EIO;
}

void Reporter::TellOutputBroken() {
  if (!OutputBroken() || outputTold_) return;
  outputTold_ = true;
  const std::string why =
      outputError_ == EBADF
          ? Text(extra::OutputClosed)
          : platform::FileProblemText(platform::ProblemOfError(outputError_), language_);
  err_ << FillIn(Text(extra::OutputUnwritable), {why}) << '\n' << std::flush;
}

int Reporter::EndOutput(int status) {
  Out([&] { out_.flush(); });
  if (!OutputBroken()) return status;
  TellOutputBroken();
  return status == ExitOk ? ExitFailed : status;
}

std::string Reporter::Text(text::Id id) const {
  return LoadText(id, language_);
}

std::string Reporter::Text(extra::Id id) const {
  return std::string(ExtraText(id, language_));
}

std::string Reporter::Text(const workflow::Notice& notice) const {
  return workflow::NoticeText(notice, language_);
}

void Reporter::Line(const std::string& text) {
  if (!json_) Out([&] { out_ << text << '\n' << std::flush; });
}

void Reporter::Inform(const std::string& message) {
  if (json_) {
    result_["messages"].push_back(message);
  } else {
    Out([&] { out_ << message << '\n' << std::flush; });
  }
}

void Reporter::Fail(const std::string& message, text::Id id, std::int32_t errorWord,
                    bool wordInMessage) {
  Tell(message, id, errorWord, wordInMessage);
}

void Reporter::Fail(const std::string& message, std::int32_t errorWord) {
  Tell(message, std::nullopt, errorWord, false);
}

void Reporter::Tell(const std::string& message, std::optional<text::Id> id, std::int32_t errorWord,
                    bool wordInMessage) {
  failed_ = true;
  if (json_) {
    nlohmann::json error = {{"message", message}, {"error_word", errorWord}};
    if (id) error["message_id"] = static_cast<int>(*id);
    result_["errors"].push_back(error);
    return;
  }
  err_ << message;
  if (!wordInMessage)
    err_ << ' ' << FillIn(Text(extra::ErrorWordNote), {std::to_string(errorWord)});
  err_ << '\n' << std::flush;
}

int Reporter::Finish(int failedStatus) {
  // A command cut short by a signal says so last, after what it did get done.
  const int signal = Interruption();
  if (signal != 0) {
    result_["interrupted"] = true;
    result_["signal"] = platform::StopSignals::Name(signal);
    Tell(FillIn(Text(extra::Interrupted), {platform::StopSignals::Name(signal)}), std::nullopt, 0,
         true);
  }
  if (json_) {
    result_["ok"] = !failed_;
    if (!result_.contains("errors")) result_["errors"] = nlohmann::json::array();
    Out([&] { out_ << DumpJson(result_) << '\n' << std::flush; });
  }
  TellOutputBroken();
  if (signal != 0) return platform::StopSignals::ExitStatus(signal);
  if (failed_) return failedStatus;
  return OutputBroken() ? ExitFailed : ExitOk;
}

int Reporter::FinishStream() {
  if (failed_ || !json_ || Interruption() != 0) return Finish();
  TellOutputBroken();
  return OutputBroken() ? ExitFailed : ExitOk;
}

void Reporter::EmitObject(const nlohmann::json& object) {
  if (json_) Out([&] { out_ << DumpJson(object) << '\n' << std::flush; });
}

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::size_t ShownWidth(const std::string& text) {
  std::size_t width = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++width;  // continuation bytes add nothing
  return width;
}

std::string DumpJson(const nlohmann::json& object) {
  return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace rukmox::cli
