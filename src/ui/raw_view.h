// The raw reply view: every decoded poll reply as a line of hexadecimal bytes.
#pragma once

#include <string>

#include "protocol/bytes.h"

// The request character, a blank, each byte as two upper-case hex digits and a blank, CR LF.
std::string RawReplyLine(char request, const ByteString& reply);
