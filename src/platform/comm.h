// Serial ports by handle, in the shape of the classic communications calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using THandle = uint32_t;
// All bits set: no port.
inline constexpr THandle INVALID_HANDLE_VALUE = 0xFFFFFFFFu;

inline constexpr uint32_t PURGE_TXABORT = 1;
inline constexpr uint32_t PURGE_RXABORT = 2;
inline constexpr uint32_t PURGE_TXCLEAR = 4;
inline constexpr uint32_t PURGE_RXCLEAR = 8;

inline constexpr uint8_t NOPARITY = 0;
inline constexpr uint8_t ONESTOPBIT = 0;

// Line settings of a port.
struct DCB {
  uint32_t BaudRate = 9600;
  uint8_t ByteSize = 8;
  uint8_t Parity = NOPARITY;
  uint8_t StopBits = ONESTOPBIT;
};

// A serial port the system offers: the designation the program shows and takes back, a
// description of the device, and the path that opens it.
struct PortInfo {
  std::string designation;
  std::string description;
  std::string path;
};

// One kind of port: real serial ports, or an in-memory line to a simulated device.
class CommBackend {
 public:
  virtual ~CommBackend() = default;
  // The ports there are now, in search order.
  virtual std::vector<PortInfo> ListPorts() = 0;
  // Opens the device at `path` exclusively; INVALID_HANDLE_VALUE when it cannot.
  virtual THandle Open(const std::string& path) = 0;
  virtual bool GetState(THandle h, DCB& dcb) = 0;
  virtual bool SetState(THandle h, const DCB& dcb) = 0;
  virtual bool Purge(THandle h, uint32_t flags) = 0;
  // Sends one byte; false when the write failed.
  virtual bool WriteByte(THandle h, uint8_t byte) = 0;
  // Received bytes waiting to be read.
  virtual uint32_t Waiting(THandle h) = 0;
  // Reads up to `n` waiting bytes; returns how many were delivered.
  virtual uint32_t Read(THandle h, char* buffer, uint32_t n) = 0;
  // Blocks until received bytes are waiting or `ms` have passed; true when bytes wait.
  virtual bool WaitForData(THandle h, uint32_t ms) = 0;
  virtual bool Close(THandle h) = 0;
};

// The backend in use; the real serial ports unless a test or the simulator installs another.
CommBackend& ActiveComm();
// Installs `backend` (not owned; nullptr: the real serial ports again) and returns the one
// installed before.
CommBackend* SetCommBackend(CommBackend* backend);

// The ports of the active backend, in search order.
std::vector<PortInfo> ListSerialPorts();

// The calls the program makes. Results it does not need may be ignored.
THandle CreateFileW(const std::string& devicePath);
bool GetCommState(THandle h, DCB& dcb);
bool SetCommState(THandle h, const DCB& dcb);
bool PurgeComm(THandle h, uint32_t flags);
bool WriteFile(THandle h, const char* buffer, uint32_t count, uint32_t* written);
// Received bytes waiting in `cbInQue`; the port's error state is cleared.
struct COMSTAT {
  uint32_t cbInQue = 0;
};
bool ClearCommError(THandle h, uint32_t* errors, COMSTAT* stat);
bool ReadFile(THandle h, char* buffer, uint32_t count, uint32_t* read);
// Waits for received bytes at most `ms`; returns at once when some are waiting.
bool WaitCommData(THandle h, uint32_t ms);
bool CloseHandle(THandle h);

}  // namespace platform
