// What a programming job looks at before it touches any device: the file the operator chose, its
// records, the dongle, and the serial ports its boot loader is searched on. Each finding is the
// message the job ends with instead, its reason in notes, so that nothing is left waiting in a
// boot loader for a reason that could be seen beforehand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Notice.h"
#include "ProgrammingFile.h"
#include "platform/TransportSettings.h"

namespace rukmox::workflow {

// Nothing when a regular file stands at `path`; otherwise the message for a missing file, with
// what stands there instead (nothing named, nothing at all, a folder, something else).
std::optional<Notice> CheckFileChoice(const std::string& path);

// The message for a file that CheckFile refused, with what is wrong with it.
Notice FileFaultNotice(const programming::FileCheck& check);

// Nothing when no other program holds the dongle; otherwise `locateFailed` (the job's message for
// a target it cannot reach) naming the holder. Asked only while the module link is closed: the
// job would otherwise reach the dongle's serial side behind that program's back.
std::optional<Notice> CheckDongleFree(const platform::TransportSettings& settings,
                                      text::Id locateFailed);

// Nothing when the search over the first `portCount` entries of `ports` (the programming object's
// list, made from `settings`) can find the target; otherwise `locateFailed` naming the port that
// is wrong. A list the user gave must name only serial ports that can be opened, and not the
// dongle itself; in the system's own list ports that cannot be opened are passed over, unless
// another program holds one (it may be the target's) or none is left. An empty list is refused.
std::optional<Notice> CheckSearchPorts(const platform::TransportSettings& settings,
                                       const std::vector<std::string>& ports,
                                       std::int32_t portCount, bool dongleJob,
                                       text::Id locateFailed);

// Why the port at `path` cannot be opened as a serial port, as a note; nothing when no reason can
// be seen from outside, or when it is the dongle this program holds.
std::optional<NoticeNote> PortTroubleNote(const std::string& path,
                                          const platform::TransportSettings& settings);

}  // namespace rukmox::workflow
