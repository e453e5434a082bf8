// The simulated encoder on a pseudo-terminal, in real time, on a thread of its own.
#pragma once

#include <atomic>
#include <chrono>
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
  // After a Stop, a new pseudo-terminal (as a cable plugged in again); the encoder and its
  // clock go on.
  bool Start(std::string* error = nullptr);
  void Stop();
  // The device the tool opens.
  const std::string& SlavePath() const { return slavePath_; }

  // Set before Start. Replies leave no faster than the line carries them (10 bits a byte).
  void SetWireTime(bool on) { wireTime_ = on; }
  // At a rate other than the encoder's, every byte heard brings back a garbage byte.
  void SetNoiseAtOtherRates(bool on) { noiseAtOtherRates_ = on; }
  // Called on the host's thread with one line per request or frame received and per reply:
  // milliseconds since Start, the rate in force, "rx" or "tx", the bytes in hex, and for a
  // frame of several bytes the time from its first byte to its last.
  void SetLog(std::function<void(const std::string& line)> log) { log_ = std::move(log); }

  // A device gone mad: while on, bytes pour out without pause and nothing is answered
  // (thread-safe).
  void SetFlood(bool on) { flood_ = on; }
  // Sends `bytes` unasked, as noise on the line would (thread-safe).
  void Inject(const ByteString& bytes);
  // When the last byte of the latest reply was written (steady clock; thread-safe).
  std::chrono::steady_clock::time_point LastReplyWritten();

  // Changes the encoder's configuration while it runs (thread-safe).
  void Configure(const std::function<void(EncoderConfig&)>& change);

  // Milliseconds since the first Start: the clock of Frames().
  uint32_t Elapsed() const;

  // Thread-safe copies of what the encoder received (times in ms since Start), and the rates
  // it heard bytes at.
  std::vector<ReceivedFrame> Frames();
  std::vector<uint32_t> RatesSeen();

 private:
  void Run();
  void Log(uint32_t baud, const char* direction, const ByteString& bytes,
           const std::string& note = {});
  Engine engine_;
  uint32_t listenBaud_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<uint32_t> ratesSeen_;
  bool wireTime_ = false;
  bool noiseAtOtherRates_ = false;
  std::function<void(const std::string&)> log_;
  uint32_t startMs_ = 0;
  bool started_ = false;
  std::atomic<bool> flood_{false};
  ByteString injected_;                                       // guarded by mutex_
  std::chrono::steady_clock::time_point lastReplyWritten_{};  // guarded by mutex_
  void Send(const ByteString& bytes, uint32_t baud, bool isReply);
};

}  // namespace sim
