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
