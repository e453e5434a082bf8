#include "platform/comm.h"

#include "platform/clock.h"
#include "platform/qt_comm.h"

namespace platform {

namespace {
CommBackend* g_installed = nullptr;

}  // namespace

QtCommBackend& SystemComm() {
  static QtCommBackend backend;
  return backend;
}

CommBackend& ActiveComm() {
  return g_installed ? *g_installed : SystemComm();
}

CommBackend* SetCommBackend(CommBackend* backend) {
  CommBackend* before = g_installed;
  g_installed = backend;
  return before;
}

std::vector<PortInfo> ListSerialPorts() {
  return ActiveComm().ListPorts();
}

THandle CreateFileW(const std::string& devicePath) {
  return ActiveComm().Open(devicePath);
}

bool GetCommState(THandle h, DCB& dcb) {
  return ActiveComm().GetState(h, dcb);
}

bool SetCommState(THandle h, const DCB& dcb) {
  return ActiveComm().SetState(h, dcb);
}

bool PurgeComm(THandle h, uint32_t flags) {
  return ActiveComm().Purge(h, flags);
}

bool WriteFile(THandle h, const char* buffer, uint32_t count, uint32_t* written) {
  uint32_t done = 0;
  bool ok = true;
  while (done < count) {
    if (!ActiveComm().WriteByte(h, static_cast<uint8_t>(buffer[done]))) {
      ok = false;
      break;
    }
    ++done;
  }
  if (written) *written = done;
  return ok;
}

bool ClearCommError(THandle h, uint32_t* errors, COMSTAT* stat) {
  if (errors) *errors = 0;
  const uint32_t waiting = ActiveComm().Waiting(h);
  if (stat) stat->cbInQue = waiting;
  return true;
}

bool ReadFile(THandle h, char* buffer, uint32_t count, uint32_t* read) {
  const uint32_t got = count ? ActiveComm().Read(h, buffer, count) : 0;
  if (read) *read = got;
  return true;
}

bool WaitCommData(THandle h, uint32_t ms) {
  if (SpinningWaits()) return ActiveComm().Waiting(h) > 0;
  return ActiveComm().WaitForData(h, ms);
}

bool CloseHandle(THandle h) {
  return ActiveComm().Close(h);
}

}  // namespace platform
