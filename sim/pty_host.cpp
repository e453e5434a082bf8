#include "sim/pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "sim/pty_rate.h"

namespace sim {

namespace {
uint32_t NowMs() {
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}
}  // namespace

PtyHost::PtyHost(EncoderConfig config, uint32_t listenBaud)
    : engine_(std::move(config)), listenBaud_(listenBaud) {}

PtyHost::~PtyHost() {
  Stop();
}

bool PtyHost::Start(std::string* error) {
  char name[256] = {};
  if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
    if (error) *error = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  // Raw at once: a cooked line would echo the tool's requests and mangle binary replies.
  struct termios tio {};
  ::tcgetattr(slave_, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(slave_, TCSANOW, &tio);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  slavePath_ = name;
  stop_ = false;
  if (!started_) startMs_ = NowMs();
  started_ = true;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void PtyHost::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  // The slave stays open until here, so the master never sees a hang-up while the tool is away.
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
  slave_ = master_ = -1;
}

void PtyHost::Configure(const std::function<void(EncoderConfig&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  change(engine_.Config());
}

uint32_t PtyHost::Elapsed() const {
  return NowMs() - startMs_;
}

void PtyHost::Inject(const ByteString& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  injected_ += bytes;
}

std::chrono::steady_clock::time_point PtyHost::LastReplyWritten() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastReplyWritten_;
}

std::vector<ReceivedFrame> PtyHost::Frames() {
  std::lock_guard<std::mutex> lock(mutex_);
  return engine_.Frames();
}

std::vector<uint32_t> PtyHost::RatesSeen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ratesSeen_;
}

void PtyHost::Log(uint32_t baud, const char* direction, const ByteString& bytes,
                  const std::string& note) {
  if (!log_ || bytes.empty()) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string line =
      std::to_string(NowMs() - startMs_) + " " + std::to_string(baud) + " " + direction;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    line += ' ';
    line += kHex[b >> 4];
    line += kHex[b & 0x0F];
  }
  log_(line + note);
}

void PtyHost::Send(const ByteString& bytes, uint32_t baud, bool isReply) {
  // At the line's pace: 10 bits a byte.
  const auto perByteUs = baud > 0 ? 10'000'000u / baud : 0u;
  size_t sent = 0;
  while (sent < bytes.size() && !stop_) {
    const size_t chunk = wireTime_ ? 1 : bytes.size() - sent;
    if (wireTime_ && perByteUs > 0) ::usleep(perByteUs);
    const ssize_t n = ::write(master_, bytes.data() + sent, chunk);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (errno == EAGAIN) {
      pollfd out{master_, POLLOUT, 0};
      ::poll(&out, 1, 20);
    } else {
      break;
    }
  }
  if (isReply && sent == bytes.size() && sent > 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastReplyWritten_ = std::chrono::steady_clock::now();
  }
}

void PtyHost::Run() {
  uint32_t floodState = 0x9E3779B9u;
  while (!stop_) {
    if (flood_) {
      // Bytes without pause: as many as the line takes, whatever it is asked.
      unsigned char discard[256];
      while (::read(master_, discard, sizeof discard) > 0) {
      }
      char burst[256];
      for (char& c : burst) {
        floodState = floodState * 1664525u + 1013904223u;
        c = static_cast<char>(floodState >> 24);
      }
      if (::write(master_, burst, sizeof burst) <= 0) {
        pollfd out{master_, POLLOUT, 0};
        ::poll(&out, 1, 20);
      }
      continue;
    }
    ByteString noise;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      noise.swap(injected_);
    }
    if (!noise.empty()) Send(noise, 0, false);
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, 20) <= 0 || !(pfd.revents & POLLIN)) continue;
    unsigned char buffer[256];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    if (got <= 0) continue;
    PtyLine line;
    const bool known = ReadPtyLine(master_, line);
    ByteString reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (known && (ratesSeen_.empty() || ratesSeen_.back() != line.baud))
        ratesSeen_.push_back(line.baud);
      if (!known || line.baud != listenBaud_ || !line.eightNone1) {
        Log(line.baud, "rx", ByteString(reinterpret_cast<char*>(buffer), static_cast<size_t>(got)));
        if (noiseAtOtherRates_) reply.assign(static_cast<size_t>(got), '\xFF');
      } else {
        for (ssize_t i = 0; i < got; ++i) {
          const size_t frames = engine_.Frames().size();
          const ByteString answer = engine_.Receive(buffer[i], NowMs() - startMs_);
          if (engine_.Frames().size() > frames) {
            const ReceivedFrame& f = engine_.Frames().back();
            Log(line.baud, "rx", f.bytes,
                f.bytes.size() > 1 ? " (over " + std::to_string(f.at - f.firstAt) + " ms)" : "");
          }
          Log(line.baud, "tx", answer);
          reply += answer;
        }
      }
    }
    Send(reply, line.baud, true);
  }
}

}  // namespace sim
