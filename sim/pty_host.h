// The simulated encoder on a pseudo-terminal, in real time, on a thread of its own.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/engine.h"

namespace sim {

class PtyHost {
 public:
  PtyHost(EncoderConfig config, uint32_t listenBaud);
  ~PtyHost();
  PtyHost(const PtyHost&) = delete;
  PtyHost& operator=(const PtyHost&) = delete;

  // Opens the pseudo-terminal and starts answering; false with `error` set when it cannot.
  bool Start(std::string* error = nullptr);
  void Stop();
  // The device the tool opens.
  const std::string& SlavePath() const { return slavePath_; }

  // Changes the encoder's configuration while it runs (thread-safe).
  void Configure(const std::function<void(EncoderConfig&)>& change);

  // Thread-safe copies of what the encoder received, and the rates it heard bytes at.
  std::vector<ReceivedFrame> Frames();
  std::vector<uint32_t> RatesSeen();

 private:
  void Run();
  Engine engine_;
  uint32_t listenBaud_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<uint32_t> ratesSeen_;
};

}  // namespace sim
