#include <windows.h>

#include <csignal>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "peers/child_process.h"
#include "platform/stop_request.h"

namespace testpeers {
namespace {

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::string& utf8) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
  if (length > 1) ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : wide) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

// A thread reads the pipe into chunks, so that a read can be bounded in time.
struct ChildProcess::Process {
  PROCESS_INFORMATION info{};
  HANDLE out = nullptr;
  HANDLE in = nullptr;
  std::thread reader;
  std::mutex lock;
  std::condition_variable arrived;
  std::string chunks;
  bool closed = false;

  void Read() {
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(out, buffer, sizeof buffer, &n, nullptr) && n > 0) {
      std::lock_guard<std::mutex> guard(lock);
      chunks.append(buffer, n);
      arrived.notify_all();
    }
    std::lock_guard<std::mutex> guard(lock);
    closed = true;
    arrived.notify_all();
  }
};

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : process_(std::make_unique<Process>()) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE writeEnd = nullptr;
  HANDLE readEnd = nullptr;
  if (!::CreatePipe(&process_->out, &writeEnd, &inherit, 0)) return;
  ::SetHandleInformation(process_->out, HANDLE_FLAG_INHERIT, 0);
  if (!::CreatePipe(&readEnd, &process_->in, &inherit, 0)) {
    ::CloseHandle(writeEnd);
    return;
  }
  ::SetHandleInformation(process_->in, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine;
  for (const std::string& arg : argv) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = readEnd;
  startup.hStdOutput = writeEnd;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process_->info)) {
    process_->info = PROCESS_INFORMATION{};
  }
  ::CloseHandle(writeEnd);
  ::CloseHandle(readEnd);
  process_->reader = std::thread(&Process::Read, process_.get());
}

ChildProcess::~ChildProcess() {
  if (process_->info.hProcess != nullptr) {
    if (::WaitForSingleObject(process_->info.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_->info.hProcess, 1);
      ::WaitForSingleObject(process_->info.hProcess, INFINITE);
    }
    ::CloseHandle(process_->info.hProcess);
    ::CloseHandle(process_->info.hThread);
  }
  if (process_->in != nullptr) ::CloseHandle(process_->in);
  ::CloseHandle(process_->out);  // ends the reader once the pipe's writers are gone
  if (process_->reader.joinable()) process_->reader.join();
}

bool ChildProcess::Started() const { return process_->info.hProcess != nullptr; }

std::uint32_t ChildProcess::Id() const { return process_->info.dwProcessId; }

bool ChildProcess::Fill(int timeoutMs) {
  if (ended_) return false;
  std::unique_lock<std::mutex> guard(process_->lock);
  process_->arrived.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [this] { return !process_->chunks.empty() || process_->closed; });
  if (process_->chunks.empty()) {
    if (process_->closed) ended_ = true;
    return false;
  }
  pending_ += process_->chunks;
  process_->chunks.clear();
  return true;
}

int ChildProcess::Wait(int timeoutMs) {
  if (!Started() ||
      ::WaitForSingleObject(process_->info.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
    return -1;
  }
  DWORD code = 0;
  return ::GetExitCodeProcess(process_->info.hProcess, &code) ? static_cast<int>(code) : -1;
}

int ChildProcess::Stop(int timeoutMs) {
  if (!Started()) return -1;
  platform::RequestStop(process_->info.dwProcessId);
  const int code = Wait(timeoutMs);
  if (code >= 0) return code;
  ::TerminateProcess(process_->info.hProcess, 1);
  ::WaitForSingleObject(process_->info.hProcess, INFINITE);
  return -1;
}

bool ChildProcess::WriteInput(const std::string& bytes) {
  std::size_t written = 0;
  while (process_->in != nullptr && written < bytes.size()) {
    DWORD n = 0;
    if (!::WriteFile(process_->in, bytes.data() + written, static_cast<DWORD>(bytes.size() - written), &n, nullptr) ||
        n == 0) {
      return false;
    }
    written += n;
  }
  return process_->in != nullptr;
}

bool ChildProcess::Signal(int signal) {
  if (!Started() || ::WaitForSingleObject(process_->info.hProcess, 0) != WAIT_TIMEOUT) return false;
  return (signal == SIGINT || signal == SIGTERM) && platform::RequestStop(process_->info.dwProcessId);
}

bool ChildProcess::WaitExit(int timeoutMs, int* exitStatus) {
  const int code = Wait(timeoutMs);
  if (code < 0) return false;
  if (exitStatus != nullptr) *exitStatus = code;
  return true;
}

}  // namespace testpeers
