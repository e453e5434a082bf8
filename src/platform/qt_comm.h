// Real and virtual serial ports through Qt Serial Port.
#pragma once

#include <map>
#include <memory>

#include "platform/comm.h"

class QSerialPort;

namespace platform {

class QtCommBackend : public CommBackend {
 public:
  QtCommBackend();
  ~QtCommBackend() override;

  // The system's serial ports (unless switched off), then the user's virtual ports.
  std::vector<PortInfo> ListPorts() override;
  // Tests switch the system's ports off so that only their own are ever touched.
  void SetListSystemPorts(bool on) { listSystemPorts_ = on; }

  THandle Open(const std::string& path) override;
  bool GetState(THandle h, DCB& dcb) override;
  bool SetState(THandle h, const DCB& dcb) override;
  bool Purge(THandle h, uint32_t flags) override;
  bool WriteByte(THandle h, uint8_t byte) override;
  uint32_t Waiting(THandle h) override;
  uint32_t Read(THandle h, char* buffer, uint32_t n) override;
  bool WaitForData(THandle h, uint32_t ms) override;
  bool Close(THandle h) override;

 private:
  struct Port {
    std::unique_ptr<QSerialPort> serial;
    // Set once the device is gone (unplugged, far side closed): it never recovers.
    bool lost = false;
  };
  Port* Find(THandle h);
  void NoteError(Port& port);

  std::map<THandle, Port> ports_;
  bool listSystemPorts_ = true;
  THandle next_ = 1;
};

// The real serial ports' backend, in use unless another is installed.
QtCommBackend& SystemComm();

}  // namespace platform
