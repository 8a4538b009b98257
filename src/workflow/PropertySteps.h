// The property panels' changes as one step each: the change itself and the store that follows
// its success. Both faces run these, then re-read the ends the step names and show the panel's
// message when it fails.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ExtraTexts.h"
#include "Rukmox.h"
#include "TextIds.h"

namespace rukmox {

// Whether there is a remote record and it is linked: what the remote panel and every remote
// command need.
bool HasLinkedRemote(const TRukMox& device);

// Which ends a face reads again after a step, whatever its outcome.
enum class ReRead { Local, Remote, Both };

struct StepResult {
  bool ok = false;
  text::Id failure = text::LocalNameFailed;  // the panel's message when not ok
  ReRead reRead = ReRead::Local;
  // Why, when the step refused the change itself before sending anything; shown after the
  // panel's message.
  std::optional<extra::Id> reason = std::nullopt;
};

StepResult ChangeName(TRukMox& device, const std::string& name, bool remote);
StepResult ChangePower(TRukMox& device, std::int32_t level, bool remote);
// The module stores the local address and re-reads itself; a linked remote must then be reached
// again under the new address, and both ends store once it is. An address the linked remote
// already has is refused: the pair would no longer tell its ends apart.
StepResult ChangeLocalAddress(TRukMox& device, std::uint32_t address);
// Re-links, stores both ends and puts the old address back in memory when the remote cannot store.
// The dongle's own address is refused, as above.
StepResult ChangeRemoteAddress(TRukMox& device, std::uint32_t address);
// Moves the linked pair, remote first, and stores both ends.
StepResult ChangePairChannel(TRukMox& device, std::int32_t channel);

}  // namespace rukmox
