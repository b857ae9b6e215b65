#include <array>
#include <cstdio>
#include <string>

#include "simlink/fsuipc.h"

namespace {

const std::array<const wchar_t*, kFsuipcResultCount> kResultTexts = {
    L"Okay",
    L"Attempt to Open when already Open",
    L"not connected",
    L"Failed to Register common message with Windows",
    L"Failed to create Atom for mapping filename",
    L"Failed to create a file mapping object",
    L"Failed to open a view to the file map",
    L"Incorrect version of FSUIPC, or not FSUIPC",
    L"Sim is not version requested",
    L"Call cannot execute, link not Open",
    L"Call cannot execute: no requests accumulated",
    L"IPC timed out all retries",
    L"IPC sendmessage failed all retries",
    L"IPC request contains bad data",
    L"Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
    L"Read or Write request cannot be added, memory for Process is full",
};

// Indexed by the simulator number 1..8.
const std::array<const char*, 9> kSimNames = {"",     "FS98",   "FS2000", "CFS2", "CFS1",
                                              "Fly!", "FS2002", "FS2004", "FSX"};
constexpr char kUnknownSimName[] = "Unknown sim";

// '0' plus a 4-bit group: 10..15 give ':' to '?', as the module's own tools show them.
char VersionDigit(std::uint32_t version, int shift) {
  return static_cast<char>('0' + ((version >> shift) & 0xFu));
}

}  // namespace

std::wstring FSUIPC::ErrorText(const std::uint32_t& code) {
  if (code < kResultTexts.size()) return kResultTexts[code];
  return L"Unknown result code " + std::to_wstring(code);
}

std::string FormatVersionText(std::uint32_t moduleVersion, std::uint32_t simNumber) {
  const char* name =
      (simNumber >= 1 && simNumber < kSimNames.size()) ? kSimNames[simNumber] : kUnknownSimName;
  char text[64];
  std::snprintf(text, sizeof text, "%s - FSUIPC-Ver: %c.%c%c%c", name, VersionDigit(moduleVersion, 28),
                VersionDigit(moduleVersion, 24), VersionDigit(moduleVersion, 20),
                VersionDigit(moduleVersion, 16));
  return text;
}
