#include "sim/memory_port.h"

#include "platform/clock.h"

namespace sim {

using platform::THandle;

namespace {
uint32_t Now() {
  return platform::GetTickCount();
}
// Whether `at` has come, on the wrapping counter.
bool Arrived(uint32_t at, uint32_t now) {
  return static_cast<int32_t>(now - at) >= 0;
}
}  // namespace

MemoryBackend::MemoryBackend() {
  platform::SetCommBackend(this);
}

MemoryBackend::~MemoryBackend() {
  platform::SetCommBackend(nullptr);
}

MemoryDevice& MemoryBackend::AddDevice(const std::string& path, EncoderConfig config,
                                       LinkOptions link) {
  auto& slot = devices_[path];
  if (!slot) order_.push_back(path);
  slot = std::make_unique<MemoryDevice>(std::move(config), std::move(link));
  return *slot;
}

void MemoryBackend::AddBusyPort(const std::string& path, std::string description) {
  MemoryDevice& device = AddDevice(path);
  device.SetBusy(true);
  device.SetDescription(std::move(description));
}

std::vector<platform::PortInfo> MemoryBackend::ListPorts() {
  std::vector<platform::PortInfo> ports;
  for (const std::string& path : order_) {
    ports.push_back({path.substr(path.find_last_of('/') + 1), devices_[path]->description_, path});
  }
  return ports;
}

MemoryDevice* MemoryBackend::Device(const std::string& path) {
  auto it = devices_.find(path);
  return it == devices_.end() ? nullptr : it->second.get();
}

MemoryDevice* MemoryBackend::Live(THandle h) {
  auto it = handles_.find(h);
  if (it == handles_.end() || it->second->unplugged_) return nullptr;
  return it->second;
}

THandle MemoryBackend::Open(const std::string& path) {
  MemoryDevice* device = Device(path);
  if (!device || device->busy_ || device->unplugged_ || device->open_)
    return platform::INVALID_HANDLE_VALUE;
  device->open_ = true;
  device->activity_.opens++;
  device->rx_.clear();
  const THandle h = next_++;
  handles_[h] = device;
  return h;
}

bool MemoryBackend::GetState(THandle h, platform::DCB& dcb) {
  MemoryDevice* device = Live(h);
  if (!device) return false;
  dcb = device->dcb_;
  return true;
}

bool MemoryBackend::SetState(THandle h, const platform::DCB& dcb) {
  MemoryDevice* device = Live(h);
  if (!device) return false;
  device->dcb_ = dcb;
  device->activity_.rates.push_back(dcb.BaudRate);
  return true;
}

bool MemoryBackend::Purge(THandle h, uint32_t flags) {
  MemoryDevice* device = Live(h);
  if (!device) return false;
  if (flags & platform::PURGE_TXCLEAR) device->activity_.purgesTx++;
  if (flags & platform::PURGE_RXCLEAR) {
    device->activity_.purgesRx++;
    // What has arrived is discarded; what is still on the line comes later.
    const uint32_t now = Now();
    while (!device->rx_.empty() && Arrived(device->rx_.front().at, now)) device->rx_.pop_front();
  }
  return true;
}

bool MemoryBackend::WriteByte(THandle h, uint8_t byte) {
  MemoryDevice* device = Live(h);
  if (!device) return false;
  const uint64_t index = device->activity_.writes++;
  if (device->link_.writeFails && device->link_.writeFails(byte, index)) return false;
  device->activity_.written.push_back(static_cast<char>(byte));

  const uint32_t now = Now();
  const LinkOptions& link = device->link_;
  const platform::DCB& dcb = device->dcb_;
  const bool heard = dcb.BaudRate == link.listenBaud && dcb.ByteSize == 8 &&
                     dcb.Parity == platform::NOPARITY && dcb.StopBits == platform::ONESTOPBIT;
  if (!heard) {
    if (link.noiseAtOtherRates) device->rx_.push_back({now + link.replyDelayMs, '\xFF'});
    return true;
  }
  const ByteString reply = device->engine_.Receive(byte, now);
  const uint32_t pieces = std::max<uint32_t>(1, link.pieces);
  for (size_t i = 0; i < reply.size(); ++i) {
    const auto piece = static_cast<uint32_t>(i * pieces / reply.size());
    device->rx_.push_back({now + link.replyDelayMs + piece * link.pieceGapMs, reply[i]});
  }
  return true;
}

uint32_t MemoryBackend::Waiting(THandle h) {
  MemoryDevice* device = Live(h);
  if (!device) return 0;
  const uint32_t now = Now();
  uint32_t n = 0;
  for (const auto& arrival : device->rx_) {
    if (!Arrived(arrival.at, now)) break;
    ++n;
  }
  return n;
}

uint32_t MemoryBackend::Read(THandle h, char* buffer, uint32_t n) {
  MemoryDevice* device = Live(h);
  if (!device) return 0;
  const uint32_t now = Now();
  uint32_t got = 0;
  while (got < n && !device->rx_.empty() && Arrived(device->rx_.front().at, now)) {
    buffer[got++] = device->rx_.front().byte;
    device->rx_.pop_front();
  }
  return got;
}

bool MemoryBackend::WaitForData(THandle h, uint32_t ms) {
  platform::VirtualClock* clock = platform::ActiveVirtualClock();
  MemoryDevice* device = Live(h);
  if (device && !device->rx_.empty()) {
    const int64_t until = static_cast<int32_t>(device->rx_.front().at - Now());
    if (until <= static_cast<int64_t>(ms)) {
      if (until > 0 && clock) clock->Advance(static_cast<uint32_t>(until));
      return true;
    }
  }
  if (clock) clock->Advance(ms);
  return false;
}

bool MemoryBackend::Close(THandle h) {
  auto it = handles_.find(h);
  if (it == handles_.end()) return false;
  it->second->open_ = false;
  it->second->activity_.closes++;
  it->second->rx_.clear();
  handles_.erase(it);
  return true;
}

}  // namespace sim
