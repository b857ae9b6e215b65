// nubivane-simstub: plays the simulator's interface module so the program (or a test) can be run
// against it. Prints each command, wind-smoothing write and record it receives as a JSON line.

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/console.h"
#include "platform/ipc_runtime_dir.h"
#include "platform/stop_request.h"
#include "sim_stub.h"
#include "stub_commands.h"

namespace {

constexpr char kUsage[] =
    "Usage: nubivane-simstub [OPTIONS]\n"
    "  --windows uipc|fs98|both|none  window classes to register (default uipc)\n"
    "  --module-version HEX   word at 0x3304 (default 36500000: 3.650)\n"
    "  --sim-version HEX      word at 0x3308 (default FADE0007: FS2004; FADE0008: FSX)\n"
    "  --lat DEG --lon DEG    aircraft position\n"
    "  --ready 0|1            1: ready to fly (0x3364 reads 0; the default); 0: not ready\n"
    "                         (0x3364 reads 1), as the command \"ready\" on standard input\n"
    "  --offset-333e N        word at 0x333E (default 0)\n"
    "  --no-ack               never change the acknowledgement word 0xC824\n"
    "  --ack-delay N          change it only at the Nth read of it after each record; a record\n"
    "                         written before then replaces the waiting one (default 0: at once)\n"
    "  --reply N              reply value (default 1; anything else: requests not carried out)\n"
    "  --silent N             the first N messages get no reply at all (-1: every one)\n"
    "  --late N --late-ms MS  the first N messages are answered only after MS milliseconds\n"
    "  --corrupt-id N         overwrite the id of request N (0-based) after each walk\n"
    "  --corrupt-size N       overwrite the size of request N after each walk\n"
    "  --refuse-record N      answer 0 to the message carrying the Nth record (from 1)\n"
    "  --record FILE          append what is received to FILE as JSON lines\n"
    "  --seconds S            stop after S seconds (default: when asked to stop: SIGINT or\n"
    "                         SIGTERM; on Windows Ctrl+C, Ctrl+Break or the console closing)\n"
    "  --quiet                do not print what is received\n"
    "The windows live in the session's desktop on Windows, elsewhere in NUBIVANE_IPC_DIR (or\n"
    "the per-user default), a folder of this user's that nobody else can write in; any other\n"
    "folder is refused (exit code 2).\n";

void PrintUsage(std::FILE* out) {
  std::fputs(kUsage, out);
  std::fputs(kStubCommandsHelp, out);
}

void AnswerCommand(std::string line, SimStub* stub) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const bool ok = ApplyStubCommand(line, *stub);
  std::printf("%s\n", StubCommandReply(line, ok).c_str());
  std::fflush(stdout);
}

// Reads command lines until standard input ends or the stand-in stops; it looks at the stop
// every 100 ms, so the stand-in is never held by a silent input.
void ReadCommands(SimStub* stub, const std::atomic<bool>* stopping) {
  constexpr int kPollMs = 100;
  std::string pending;
  char buffer[4096];
  while (!stopping->load()) {
    const long n = platform::ReadStandardInput(buffer, sizeof buffer, kPollMs);
    if (n == -1) continue;
    if (n <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
      AnswerCommand(pending.substr(0, end), stub);
      pending.erase(0, end + 1);
    }
  }
  if (!pending.empty() && !stopping->load()) AnswerCommand(pending, stub);
}

bool TakeValue(int argc, char** argv, int* i, std::string* value) {
  if (*i + 1 >= argc) return false;
  *value = argv[++*i];
  return true;
}

// A whole number from 0 up, nothing else on the word.
bool ReadCount(const char* text, int* count) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 1000000) return false;
  *count = static_cast<int>(value);
  return true;
}

bool SetWindows(const std::string& which, SimStubScript* script) {
  script->mainWindow = which == "uipc" || which == "both";
  script->fallbackWindow = which == "fs98" || which == "both";
  return which == "uipc" || which == "fs98" || which == "both" || which == "none";
}

bool ParseOption(const std::string& option, const std::string& value, SimStubScript* script, long* seconds) {
  const char* text = value.c_str();
  if (option == "--windows") return SetWindows(value, script);
  if (option == "--ready") return ReadyFlagOf(value, &script->readyFlag);
  if (option == "--module-version")
    script->moduleVersion = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16));
  else if (option == "--sim-version")
    script->simVersion = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 16));
  else if (option == "--lat")
    script->latitude = std::atof(text);
  else if (option == "--lon")
    script->longitude = std::atof(text);
  else if (option == "--offset-333e")
    script->offset333E = static_cast<std::uint16_t>(std::atoi(text));
  else if (option == "--ack-delay")
    return ReadCount(text, &script->ackDelayReads);
  else if (option == "--reply")
    script->replyValue = static_cast<WinDwordPtr>(std::strtoull(text, nullptr, 10));
  else if (option == "--silent")
    script->silentReplies = std::atoi(text);
  else if (option == "--late")
    script->lateReplies = std::atoi(text);
  else if (option == "--late-ms")
    script->lateReplyMs = static_cast<std::uint32_t>(std::atol(text));
  else if (option == "--corrupt-id")
    script->corruptIdRequest = std::atoi(text);
  else if (option == "--corrupt-size")
    script->corruptSizeRequest = std::atoi(text);
  else if (option == "--refuse-record")
    script->refuseRecord = std::atoi(text);
  else if (option == "--record")
    script->recordFile = value;
  else if (option == "--seconds")
    *seconds = std::atol(text);
  else
    return false;
  return true;
}

bool ParseArguments(int argc, char** argv, SimStubScript* script, long* seconds) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--no-ack") {
      script->acknowledge = false;
    } else if (option == "--quiet") {
      script->echo = false;
    } else {
      std::string value;
      if (!TakeValue(argc, argv, &i, &value) || !ParseOption(option, value, script, seconds)) return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  platform::UseBinaryStandardStreams();
  SimStubScript script;
  script.echo = true;
  long seconds = -1;
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout);
    return 0;
  }
  if (!ParseArguments(argc, argv, &script, &seconds)) {
    PrintUsage(stderr);
    return 2;
  }
  // Before the window threads start, so only the wait below takes the request.
  platform::CatchStopRequests();

  SimStub stub(script);
  // A folder the program would refuse is refused here too, before anything is made in it.
  std::string refused = IpcRuntimeDirProblem();
  const bool started = refused.empty() && stub.Start();
  if (!started && refused.empty()) refused = IpcRuntimeDirProblem();
  if (!refused.empty()) {
    std::fprintf(stderr, "nubivane-simstub: %s\n", refused.c_str());
    return 2;
  }
  if (!started) {
    std::fprintf(stderr, "nubivane-simstub: cannot register the windows in %s\n", IpcRuntimeDir().c_str());
    return 1;
  }
  std::printf("{\"kind\":\"ready\",\"dir\":\"%s\"}\n", IpcRuntimeDir().c_str());
  std::fflush(stdout);
  std::atomic<bool> stopping{false};
  std::thread commands(ReadCommands, &stub, &stopping);
  platform::WaitForStopRequest(seconds);
  stopping = true;
  commands.join();
  stub.Stop();
  std::printf("{\"kind\":\"stopped\",\"messages\":%u}\n", stub.MessagesReceived());
  return 0;
}
