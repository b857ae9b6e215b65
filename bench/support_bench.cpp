// The support services run at start-up (previous log read, version read, maybe the mail) and
// on every log line; these measure those paths.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/error_mail.h"
#include "support/file_version.h"
#include "support/log_file.h"

namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/nub_support_bench_XXXXXX";
    path_ = ::mkdtemp(pattern);
    ::chdir(path_.c_str());
  }
  ~TempDir() {
    ::chdir("/");
    std::system(("rm -rf '" + path_ + "'").c_str());
  }

 private:
  std::string path_;
};

std::string PreviousLog(std::size_t bytes) {
  std::string log;
  for (int i = 0; log.size() < bytes; ++i) {
    log += "1700000000 - Main: Error: METAR EDDF " + std::to_string(i) + " could not be decoded\r\n";
  }
  return log;
}

void BM_LogWriteLine(benchmark::State& state) {
  TempDir dir;
  ClLog log("nubivane.log");
  for (auto _ : state) {
    log.WriteToFile("Main: Error: EDDF 121650Z 25012KT 9999 FEW030 12/05 Q1015");
  }
}
BENCHMARK(BM_LogWriteLine);

void BM_LogReadPrevious(benchmark::State& state) {
  TempDir dir;
  const std::string previous = PreviousLog(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    FILE* file = std::fopen("nubivane.log", "wb");
    std::fwrite(previous.data(), 1, previous.size(), file);
    std::fclose(file);
    state.ResumeTiming();
    ClLog log("nubivane.log");
    benchmark::DoNotOptimize(log.GetLastLog().length());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_LogReadPrevious)->Arg(64 << 10)->Arg(1 << 20);

void BM_MailBodyPiece(benchmark::State& state) {
  const std::string body = PreviousLog(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(MailBodyPiece(body));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MailBodyPiece)->Arg(64 << 10)->Arg(1 << 20);

void BM_OwnFileVersion(benchmark::State& state) {
  for (auto _ : state) {
    ClFileVersion version;
    version.Load(wxString());
    benchmark::DoNotOptimize(version.GetFileVersion(true));
  }
}
BENCHMARK(BM_OwnFileVersion);

}  // namespace
