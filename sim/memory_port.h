// Ports in memory, each wired to a simulated encoder, on the virtual clock: a reply "arrives"
// when the clock says so. For fast, deterministic tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/comm.h"
#include "sim/engine.h"

namespace sim {

// How the line between the port and the encoder behaves.
struct LinkOptions {
  uint32_t listenBaud = 115200;    // the encoder hears only this rate (8N1)
  uint32_t replyDelayMs = 1;       // from the request's last byte to the reply
  uint32_t pieces = 1;             // the reply arrives in this many pieces
  uint32_t pieceGapMs = 20;        // between pieces
  bool noiseAtOtherRates = false;  // at another rate every byte sent brings back a garbage byte
  // Whether the write of `byte`, the `index`-th written to this device (from 0), fails.
  std::function<bool(uint8_t byte, uint64_t index)> writeFails;
};

// What the tool did to a device, for tests to check.
struct PortActivity {
  int opens = 0;
  int closes = 0;
  int purgesTx = 0;
  int purgesRx = 0;
  uint64_t writes = 0;
  ByteString written;           // bytes the port accepted
  std::vector<uint32_t> rates;  // every rate set, in order
};

class MemoryDevice {
 public:
  MemoryDevice(EncoderConfig config, LinkOptions link)
      : engine_(std::move(config)), link_(std::move(link)) {}
  Engine& engine() { return engine_; }
  LinkOptions& link() { return link_; }
  const PortActivity& activity() const { return activity_; }
  // Another program holds the port: opening fails.
  void SetBusy(bool busy) { busy_ = busy; }
  // The cable is pulled: every call on an open handle fails, and opening fails.
  void Unplug() { unplugged_ = true; }
  bool IsOpen() const { return open_; }
  // What the port list shows of the device.
  void SetDescription(std::string description) { description_ = std::move(description); }

 private:
  friend class MemoryBackend;
  Engine engine_;
  LinkOptions link_;
  PortActivity activity_;
  bool busy_ = false;
  bool unplugged_ = false;
  bool open_ = false;
  std::string description_;
  platform::DCB dcb_;
  struct Arrival {
    uint32_t at;
    char byte;
  };
  std::deque<Arrival> rx_;  // in order of arrival
};

class MemoryBackend : public platform::CommBackend {
 public:
  // Installs itself as the active backend for its lifetime, then puts back the one before.
  // Needs a virtual clock.
  MemoryBackend();
  ~MemoryBackend() override;

  MemoryDevice& AddDevice(const std::string& path, EncoderConfig config = {},
                          LinkOptions link = {});
  MemoryDevice* Device(const std::string& path);
  // A port that is listed but cannot be opened (nothing behind it, or in use elsewhere).
  void AddBusyPort(const std::string& path, std::string description = {});

  // The devices in the order they were added; the designation is the path's last part.
  std::vector<platform::PortInfo> ListPorts() override;
  platform::THandle Open(const std::string& path) override;
  bool GetState(platform::THandle h, platform::DCB& dcb) override;
  bool SetState(platform::THandle h, const platform::DCB& dcb) override;
  bool Purge(platform::THandle h, uint32_t flags) override;
  bool WriteByte(platform::THandle h, uint8_t byte) override;
  uint32_t Waiting(platform::THandle h) override;
  uint32_t Read(platform::THandle h, char* buffer, uint32_t n) override;
  bool WaitForData(platform::THandle h, uint32_t ms) override;
  bool Close(platform::THandle h) override;

 private:
  MemoryDevice* Live(platform::THandle h);
  std::map<std::string, std::unique_ptr<MemoryDevice>> devices_;
  std::vector<std::string> order_;
  std::map<platform::THandle, MemoryDevice*> handles_;
  platform::THandle next_ = 0x100;
  platform::CommBackend* before_;
};

}  // namespace sim
