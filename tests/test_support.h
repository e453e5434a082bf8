// Small helpers the tests share.
#pragma once

#include <initializer_list>
#include <string>

#include "platform/comm.h"
#include "protocol/bytes.h"

// A byte string from byte values.
inline ByteString Bytes(std::initializer_list<int> values) {
  ByteString s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// Opens `path` at `baud`, 8 data bits, no parity, one stop bit, as detection leaves a port.
inline platform::THandle OpenAt(const std::string& path, uint32_t baud) {
  const platform::THandle h = platform::CreateFileW(path);
  if (h == platform::INVALID_HANDLE_VALUE) return h;
  platform::DCB dcb;
  platform::GetCommState(h, dcb);
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = platform::NOPARITY;
  dcb.StopBits = platform::ONESTOPBIT;
  platform::SetCommState(h, dcb);
  return h;
}

// The self-calibration report for counter 1, eccentricity 50 µm at 212 degrees, a radial shift
// of -12 µm on a 33.4 mm ring, with a decimal point (the simulator's default outcome).
inline const std::string kSelfCalReport =
    "Counter: 1\r\n"
    "Ring eccentricity: 50 \u00B5m\r\n"
    "Eccentricity angle: 212 deg\r\n"
    "Readhead radial shift: -12 \u00B5m\r\n"
    "Est. accuracy before calib.: \u00B10.187\u00B0\r\n"
    "Est. accuracy after calib.: \u00B10.031\u00B0";
