#include "support/ftp_exchange.h"

#include <cctype>
#include <cstdlib>

namespace download {
namespace {

bool Answered(Io io, int code, int wanted) { return io == Io::kOk && code / 100 == wanted; }

// The data port of a passive-mode reply: "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)". The
// data connection goes to the host of the commands, whatever address the server names.
bool PassivePort(const std::string& reply, unsigned short& port) {
  std::size_t at = reply.find_first_of("0123456789", 3);
  unsigned long numbers[6] = {};
  for (unsigned long& number : numbers) {
    if (at == std::string::npos || !std::isdigit(static_cast<unsigned char>(reply[at]))) return false;
    char* end = nullptr;
    number = std::strtoul(reply.c_str() + at, &end, 10);
    at = static_cast<std::size_t>(end - reply.c_str());
    if (number > 255) return false;
    if (at < reply.size() && reply[at] == ',') ++at;
  }
  port = static_cast<unsigned short>(numbers[4] * 256 + numbers[5]);
  return port != 0;
}

}  // namespace

DownloadResult FtpExchange::Open(const Target& target, const std::string& address, Transfer& transfer) {
  int code = 0;
  Io io = control_.Open(address, target.port);
  if (io == Io::kOk) io = ReadReply(code);
  if (!Answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  io = Command("USER " + (target.hasUser ? Ascii(target.user) : std::string("anonymous")), code);
  if (io == Io::kOk && code / 100 == 3) {
    io = Command("PASS " + (target.hasUser ? Ascii(target.password) : std::string("anonymous@")), code);
  }
  if (!Answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  io = Command("TYPE I", code);
  if (!Answered(io, code, 2)) return Failure(io, DownloadResult::kNoAnswer);
  const DownloadResult sized = AskSize(target, transfer);
  if (sized != DownloadResult::kComplete) return sized;
  io = control_.Send("PASV\r\n");
  std::size_t budget = kMaxHeadBytes;
  std::string reply;
  if (io == Io::kOk) io = control_.ReadLine(reply, budget);
  unsigned short dataPort = 0;
  if (io != Io::kOk || reply.compare(0, 4, "227 ") != 0 || !PassivePort(reply, dataPort)) {
    return Failure(io, DownloadResult::kNoAnswer);
  }
  io = data_.Open(address, dataPort);
  if (io == Io::kOk) io = Command("RETR " + Ascii(target.path), code);
  if (!Answered(io, code, 1)) return Failure(io, DownloadResult::kNoAnswer);
  return DownloadResult::kComplete;
}

// The file's size, where the server gives it: "213 <bytes>". In binary type the transfer carries
// that many bytes, or more where the file has grown since. A server that refuses the command (500,
// 502, 550) is taken at its word at the end, as before; one that gives a size that is no number is
// no answer.
DownloadResult FtpExchange::AskSize(const Target& target, Transfer& transfer) {
  constexpr int kFileStatus = 213;
  transfer = Transfer{};
  int code = 0;
  std::string reply;
  const Io io = Command("SIZE " + Ascii(target.path), code, &reply);
  if (io != Io::kOk) return Failure(io, DownloadResult::kNoAnswer);
  if (code != kFileStatus) return DownloadResult::kComplete;
  std::string number = reply.compare(0, 4, "213 ") == 0 ? reply.substr(4) : std::string();
  number.erase(number.find_last_not_of(" \t") + 1);  // npos + 1: blanks alone leave nothing
  if (!ParseLength(number, transfer.size)) return DownloadResult::kNoAnswer;
  transfer.sizeKnown = true;
  transfer.sizeMayGrow = true;
  return DownloadResult::kComplete;
}

DownloadResult FtpExchange::Confirmed() {
  int code = 0;
  const Io io = ReadReply(code);
  return Answered(io, code, 2) ? DownloadResult::kComplete : Failure(io, DownloadResult::kBroken);
}

// One reply, its lines of continuation included; code is its three digits, firstLine (when
// asked for) its first line.
Io FtpExchange::ReadReply(int& code, std::string* firstLine) {
  std::size_t budget = kMaxHeadBytes;
  std::string line;
  Io io = control_.ReadLine(line, budget);
  if (io != Io::kOk) return io;
  if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
      !std::isdigit(static_cast<unsigned char>(line[1])) ||
      !std::isdigit(static_cast<unsigned char>(line[2]))) {
    return Io::kFailed;
  }
  code = std::atoi(line.substr(0, 3).c_str());
  if (firstLine != nullptr) *firstLine = line;
  if (line.size() > 3 && line[3] == '-') {
    const std::string last = line.substr(0, 3) + " ";
    do {
      io = control_.ReadLine(line, budget);
      if (io != Io::kOk) return io;
    } while (line.compare(0, 4, last) != 0 && line != last.substr(0, 3));
  }
  return Io::kOk;
}

Io FtpExchange::Command(const std::string& command, int& code, std::string* reply) {
  const Io sent = control_.Send(command + "\r\n");
  return sent == Io::kOk ? ReadReply(code, reply) : sent;
}

}  // namespace download
