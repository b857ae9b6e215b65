#include "stub_commands.h"

#include <cmath>
#include <sstream>

#include "sim_stub.h"

namespace {

constexpr std::uint8_t kReadyToFly = 0;
constexpr std::uint8_t kNotReady = 1;

// The whole rest of the stream must be used up: "position 50 8 9" is no command.
bool AtEnd(std::istringstream& in) {
  std::string extra;
  return !(in >> extra);
}

bool ReadDegrees(std::istringstream& in, double limit, double* value) {
  return static_cast<bool>(in >> *value) && std::isfinite(*value) && std::fabs(*value) <= limit;
}

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      quoted += "\\u00";
      quoted += kHex[(c >> 4) & 0x0F];
      quoted += kHex[c & 0x0F];
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

bool ReadyFlagOf(const std::string& word, std::uint8_t* flag) {
  if (word != "0" && word != "1") return false;
  *flag = word == "1" ? kReadyToFly : kNotReady;
  return true;
}

bool ApplyStubCommand(const std::string& line, SimStub& stub) {
  std::istringstream in(line);
  std::string command;
  if (!(in >> command)) return false;
  if (command == "position") {
    double latitude = 0.0;
    double longitude = 0.0;
    if (!ReadDegrees(in, 90.0, &latitude) || !ReadDegrees(in, 180.0, &longitude) || !AtEnd(in)) return false;
    stub.SetPosition(latitude, longitude);
    return true;
  }
  std::string value;
  if (!(in >> value)) return false;
  if (command == "ack" && value == "delay") {
    int reads = -1;
    if (!(in >> reads) || reads < 0 || !AtEnd(in)) return false;
    stub.SetAckDelay(reads);
    return true;
  }
  if (!AtEnd(in)) return false;
  std::uint8_t flag = 0;
  if (command == "ready" && ReadyFlagOf(value, &flag)) {
    stub.SetReadyFlag(flag);
    return true;
  }
  if (command == "ack" && (value == "on" || value == "off")) {
    stub.SetAcknowledge(value == "on");
    return true;
  }
  return false;
}

std::string StubCommandReply(const std::string& line, bool ok) {
  return "{\"kind\":\"input\",\"line\":" + JsonString(line) + ",\"ok\":" + (ok ? "true" : "false") + "}";
}
