// The mode-string parser that stands in for BuildCommDCB: "115200,n,8,1" into a line settings
// record.
#pragma once

#include "D2xx.h"

namespace rukmox::platform {

// Parses the classic mode form "rate[,parity[,data[,stop]]]": a decimal rate (the old two-digit
// abbreviations 11, 15, 30, 60, 12, 24, 48, 96 and 19 stand for 110 ... 19200), parity one of
// n e o m s (either case), 5 to 8 data bits, and 1, 1.5 or 2 stop bits. Omitted fields mean
// n, 8 and 1. Blanks around a field are allowed.
//
// On success it sets the rate, framing, binary mode, no flow control and DTR and RTS enabled,
// as BuildCommDCB does for this form, and leaves every other field of the record as it was.
// On any malformed text it returns false and leaves the record untouched.
bool BuildCommDcb(const char* mode, FTDCB* dcb);

}  // namespace rukmox::platform
