#include "sim/options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace sim {

namespace {

// A whole number within [low, high], or an error naming the option and its range.
bool Whole(const std::string& option, const std::string& text, long long low, long long high,
           long long& value, std::string& error) {
  char* end = nullptr;
  errno = 0;
  const int base = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? 16 : 10;
  value = std::strtoll(text.c_str(), &end, base);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
    error = option + ": \"" + text + "\" is not a whole number from " + std::to_string(low) +
            " to " + std::to_string(high);
    return false;
  }
  return true;
}

bool Real(const std::string& option, const std::string& text, double low, double high,
          double& value, std::string& error) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value < low || value > high) {
    char range[64];
    std::snprintf(range, sizeof range, "%g to %g", low, high);
    error = option + ": \"" + text + "\" is not a number from " + range;
    return false;
  }
  return true;
}

// Status bytes of the calibration outcomes (counter 1).
const std::map<std::string, uint8_t> kOutcomes = {
    {"success", 0x01},       {"timeout", 0x05},        {"out-of-range", 0x09}, {"arc-length", 0x11},
    {"no-correction", 0x21}, {"user-error-map", 0x41}, {"never", 0x00},
};

}  // namespace

std::variant<SimOptions, std::string> ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions o;
  double rpm = 6.0;
  int direction = 1;
  std::string error;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--help" || option == "-h") {
      o.help = true;
      continue;
    }
    // Flags.
    if (option == "--noise") {
      o.encoder.noise = true;
      continue;
    }
    if (option == "--noise-at-other-rates") {
      o.noiseAtOtherRates = true;
      continue;
    }
    if (option == "--position-error") {
      o.encoder.positionError = true;
      continue;
    }
    if (option.rfind("--", 0) != 0) return "unexpected argument \"" + option + "\"";
    if (i + 1 >= args.size()) return option + ": a value is missing";
    const std::string& v = args[++i];
    long long n = 0;
    double x = 0;
    if (option == "--part-number") {
      if (v.size() != 16) return option + ": \"" + v + "\" is not 16 characters";
      o.encoder.partNumber = v;
    } else if (option == "--serial") {
      if (v.empty() || v.size() > 6) return option + ": \"" + v + "\" is not 1 to 6 characters";
      o.encoder.serial = v;
    } else if (option == "--firmware") {
      unsigned major = 0, minor = 0, protocol = 0;
      unsigned long revision = 0;
      char tail = 0;
      if (std::sscanf(v.c_str(), "%u.%u.%u.%lu%c", &major, &minor, &protocol, &revision, &tail) !=
              4 ||
          major > 255 || minor > 255 || protocol > 255 || revision > 0xFFFFFFFFul)
        return option + ": \"" + v + "\" is not MAJOR.MINOR.PROTOCOL.REVISION (0-255 each, " +
               "revision 0-4294967295)";
      o.encoder.fwMajor = static_cast<uint8_t>(major);
      o.encoder.fwMinor = static_cast<uint8_t>(minor);
      o.encoder.fwProtocol = static_cast<uint8_t>(protocol);
      o.encoder.fwRevision = static_cast<uint32_t>(revision);
    } else if (option == "--baud") {
      if (!Whole(option, v, 50, 4000000, n, error)) return error;
      o.baud = static_cast<uint32_t>(n);
    } else if (option == "--rpm") {
      if (!Real(option, v, 0, 6000, rpm, error)) return error;
    } else if (option == "--direction") {
      if (v != "cw" && v != "ccw") return option + ": \"" + v + "\" is not cw or ccw";
      direction = v == "cw" ? 1 : -1;
    } else if (option == "--start-degrees") {
      if (!Real(option, v, 0, 360, x, error)) return error;
      o.encoder.startDegrees = x;
    } else if (option == "--turns") {
      if (!Whole(option, v, -32768, 32767, n, error)) return error;
      o.encoder.startTurns = static_cast<int16_t>(n);
    } else if (option == "--status") {
      if (!Whole(option, v, 0, 0xFFFF, n, error)) return error;
      o.encoder.status = static_cast<uint16_t>(n);
    } else if (option == "--temperature") {
      if (!Whole(option, v, -128, 127, n, error)) return error;
      o.encoder.temperature = static_cast<int8_t>(n);
    } else if (option == "--signal-level") {
      if (!Whole(option, v, 0, 0xFFFF, n, error)) return error;
      o.encoder.signalLevel = static_cast<uint16_t>(n);
    } else if (option == "--calibration") {
      const auto it = kOutcomes.find(v);
      if (it == kOutcomes.end())
        return option + ": \"" + v +
               "\" is not success, timeout, out-of-range, arc-length, no-correction, " +
               "user-error-map or never";
      o.encoder.calibrationStatus = it->second;
    } else if (option == "--calibration-seconds") {
      if (!Real(option, v, 0, 3600, x, error)) return error;
      o.encoder.calibrationMs = static_cast<uint32_t>(std::lround(x * 1000));
    } else if (option == "--silent-after") {
      if (!Whole(option, v, 0, 1000000000, n, error)) return error;
      o.encoder.silentAfter = static_cast<int>(n);
    } else if (option == "--short") {
      if (!Whole(option, v, 0, 42, n, error)) return error;
      o.encoder.shortBy = static_cast<int>(n);
    } else if (option == "--long") {
      if (!Whole(option, v, 0, 256, n, error)) return error;
      o.encoder.extraBytes = static_cast<int>(n);
    } else if (option == "--unplug-after") {
      if (!Whole(option, v, 0, 86400, n, error)) return error;
      o.unplugAfterSeconds = static_cast<int>(n);
    } else if (option == "--log") {
      o.log = v;
    } else if (option == "--name") {
      if (v.empty() || v.find_first_of(" /") != std::string::npos)
        return option + ": \"" + v + "\" is not a name without blanks and slashes";
      o.name = v;
    } else {
      return "unknown option " + option + " (see --help)";
    }
  }
  o.encoder.degreesPerSecond = direction * rpm * 6.0;
  return o;
}

std::string SimUsage() {
  return R"(Usage: tovra2-sim [OPTION]...
A simulated Tovra-2 encoder on a pseudo-terminal, registered as a virtual serial port where
tovra2 finds it. Runs until stopped (Ctrl+C).

Device:
  --part-number TEXT     16 characters (QRA03-1B18M-CC14: multiturn, 18 bits, 40 s calibration)
  --serial TEXT          1 to 6 characters (A12345)
  --firmware M.m.P.R     core version, protocol version, core revision (1.4.2.317)
  --baud N               the only rate it hears, 8N1 (115200)
Readings:
  --rpm X                turns per minute, 0 to 6000 (6)
  --direction cw|ccw     counting up or down (cw)
  --start-degrees X      angle at start, 0 to 360 (0)
  --turns N              multiturn counter at start, -32768 to 32767 (0)
  --status N             status word, 0 to 65535, decimal or 0x hex (0)
  --temperature N        degrees Celsius, -128 to 127 (31)
  --signal-level N       0 to 65535 (1000)
Self-calibration:
  --calibration OUTCOME  success, timeout, out-of-range, arc-length, no-correction,
                         user-error-map or never (success)
  --calibration-seconds X  how long it runs, 0 to 3600 (3)
Faults:
  --silent-after N       answer N requests, then nothing
  --noise                replies of the right length with random bytes
  --noise-at-other-rates a garbage byte for every byte heard at another rate
  --short N              every reply N bytes short
  --long N               every reply N bytes longer
  --position-error       the position's error bit set
  --unplug-after S       close the port after S seconds, as a pulled cable, and exit
Other:
  --name NAME            the virtual port's name (sim0)
  --log FILE             one line per request, frame and reply: ms, rate, rx|tx, bytes in hex
  --help                 this text

Exit status: 0 stopped, 1 the port could not be opened or registered, 2 bad options.
)";
}

}  // namespace sim
