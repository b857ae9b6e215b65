#pragma once

#include <cstdint>
#include <string>

class SimStub;

// The stand-in's commands on standard input, one a line, so that a script can move the aircraft
// and change the simulator's state while the program runs.
inline constexpr char kStubCommandsHelp[] =
    "Commands on standard input, one a line:\n"
    "  position LAT LON       move the aircraft (degrees, north and east positive)\n"
    "  ready 0|1              1: ready to fly (0x3364 reads 0); 0: not ready (0x3364 reads 1),\n"
    "                         as the option --ready\n"
    "  ack on|off             change the acknowledgement word after each record, or never\n"
    "  ack delay N            change it only at the Nth read of it after the record (0: at once),\n"
    "                         and print an \"ack\" line then, as the option --ack-delay\n"
    "Each line is answered with {\"kind\":\"input\",\"line\":...,\"ok\":true|false}.\n";

// The ready-to-fly byte at 0x3364 for "1" (ready: 0) and "0" (not ready: 1), the word of the
// command "ready" and of the option --ready alike. False for any other word.
bool ReadyFlagOf(const std::string& word, std::uint8_t* flag);

// Carries out one command line on the stand-in. False, with nothing changed, for a line that is
// no command (blank lines are no command either).
bool ApplyStubCommand(const std::string& line, SimStub& stub);

// The answer printed for a command line.
std::string StubCommandReply(const std::string& line, bool ok);
