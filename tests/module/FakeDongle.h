// A stand-in for the D2XX entry table with a scripted module behind it: every command frame the
// code writes is decoded and recorded, and the answer the test set up for that command and target
// is queued for reading at once. Nothing waits, so a missing answer is a time-out at no cost.
// CTS and breaks are there for the wake-up path, which a pseudo-terminal cannot show.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/D2xxLibrary.h"

namespace rukmox::test {

using Bytes = std::vector<std::uint8_t>;

struct Frame {
  std::uint8_t code = 0;
  int target = -1;  // -1: a data frame, which has none
  Bytes payload;    // unescaped
  Bytes raw;        // as written
};

struct FakeDongleState {
  // Device list.
  std::string description = "FT232R Wireless Port";
  bool listed = true;
  bool openedElsewhere = false;

  // Line.
  std::uint32_t baud = 0;        // from the last line settings written
  std::uint32_t answerBaud = 0;  // the module answers only at this rate; 0: any rate
  bool cts = false;
  int ctsOffAfterBreaks = -1;  // CTS drops after this many breaks; -1: never
  std::vector<std::chrono::steady_clock::time_point> breakOn, breakOff;
  int purges = 0;
  bool open = false;

  // Module: (code, target) -> reply data; a pending one-shot answer wins over a standing one.
  std::map<std::pair<int, int>, Bytes> answers;
  std::map<std::pair<int, int>, std::deque<Bytes>> onceAnswers;
  std::function<void(const Frame&)> onFrame;  // runs before the answer is looked up
  std::function<bool()> remoteHears;          // when set and false, remote frames get no answer
  std::vector<Frame> frames;
  std::deque<std::uint8_t> input;  // bytes waiting to be read

  void Answer(int code, int target, Bytes data) { answers[{code, target}] = std::move(data); }
  void AnswerOnce(int code, int target, Bytes data) {
    onceAnswers[{code, target}].push_back(std::move(data));
  }
  void Silence(int code, int target) { answers.erase({code, target}); }
  // Raw bytes to read, frame or not.
  void Queue(const Bytes& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

  std::vector<Frame> FramesOf(int code) const;
  std::size_t Count(int code, int target) const;
};

class FakeDongle : public rukmox::platform::D2xxLibrary {
 public:
  explicit FakeDongle(std::shared_ptr<FakeDongleState> state);
  ~FakeDongle() override;

 private:
  std::shared_ptr<FakeDongleState> state_;
};

// Reply frame bytes for the given data: 64, length, data.
Bytes Reply(const Bytes& data);

}  // namespace rukmox::test
