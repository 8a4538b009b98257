// Everything rukmoxctl tells its user goes through here: the device panels and information messages
// to standard output, error messages to standard error, or one JSON object per result when asked.
// Operator messages come from the string table in the chosen language, the tool's own words from
// its table of extra texts in the same language.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "ExtraTexts.h"
#include "Notice.h"
#include "TextIds.h"

namespace rukmox::cli {

// Exit statuses of rukmoxctl.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitNoDongle = 3;

class Reporter {
 public:
  Reporter(bool json, int language, std::ostream& out, std::ostream& err);

  bool Json() const { return json_; }
  int Language() const { return language_; }

  // String-table text `id` in the chosen language.
  std::string Text(text::Id id) const;
  // One of the tool's own texts in the chosen language.
  std::string Text(extra::Id id) const;
  // A message with its number and closing text, in the chosen language.
  std::string Text(const workflow::Notice& notice) const;

  // The result being built for the JSON object; fields the text form does not need are harmless.
  nlohmann::json& Result() { return result_; }

  // A line of the text form (ignored in JSON mode).
  void Line(const std::string& text);

  // An operator message that tells of a success.
  void Inform(const std::string& message);

  // An operator message that tells of a failure. `id` is the string-table id of the message,
  // `errorWord` the device's error word right after the failure; the text form names it unless
  // the message already carries it.
  void Fail(const std::string& message, text::Id id, std::int32_t errorWord,
            bool wordInMessage = false);
  // A failure the string table has no message for, told in a text of our own.
  void Fail(const std::string& message, std::int32_t errorWord);
  bool Failed() const { return failed_; }

  // Writes the result (JSON mode) and returns the exit status for it.
  int Finish(int failedStatus = ExitFailed);
  // The end of a command that streamed its results: in JSON mode the closing object is written
  // only when there is a failure to tell.
  int FinishStream();

  // One JSON object for a stream of results (a monitor tick, a sweep); written at once.
  void EmitObject(const nlohmann::json& object);

  // A progress indicator may share the error stream; it clears its line before we write.
  std::ostream& ErrorStream() { return err_; }

  // True once standard output refused something (a full disk, a closed descriptor): a command that
  // streams its results stops, since nobody gets them. Finish then ends with status 1 and says why.
  bool OutputBroken() const { return outputError_ != 0; }
  // Flushes standard output at the end of the run; returns `status`, or 1 when something written
  // did not get out (said once on the error stream).
  int EndOutput(int status);

 private:
  bool json_;
  int language_;
  std::ostream& out_;
  std::ostream& err_;
  nlohmann::json result_ = nlohmann::json::object();
  bool failed_ = false;
  int outputError_ = 0;  // errno of the first write that failed
  bool outputTold_ = false;

  // Writes to standard output and notes the first failure.
  template <typename Write>
  void Out(Write write);
  // Says once why standard output failed.
  void TellOutputBroken();

  void Tell(const std::string& message, std::optional<text::Id> id, std::int32_t errorWord,
            bool wordInMessage);
};

// A figure with one decimal ("12.5"), as measured times and rates are printed.
std::string OneDecimal(double value);

// How many characters a UTF-8 text takes on a terminal, for lining up columns: accented letters
// of a caption are one character each, not two bytes.
std::size_t ShownWidth(const std::string& text);

// Serialises without ever throwing: bytes that are not UTF-8 become U+FFFD.
std::string DumpJson(const nlohmann::json& object);

}  // namespace rukmox::cli
