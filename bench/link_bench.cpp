// One read exchange and one 1024-byte record write against the simulator stand-in, through the
// whole link: queue, Unix-domain socket message, the stand-in's walk of the shared area, reply,
// answer walk. Prints exchanges per second and the time per exchange.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "sim_stub.h"
#include "simlink/fsuipc.h"

namespace {

// The stand-in runs in this process on its own runtime directory; the link is opened once.
class LinkBench {
 public:
  LinkBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nub-bench-link-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    setenv("NUBIVANE_IPC_DIR", dir_.c_str(), 1);
    stub_ = std::make_unique<SimStub>();
    bool connected = false;
    if (!stub_->Start() || link_.Open(&connected) != kFsuipcOk) std::abort();
  }
  ~LinkBench() {
    link_.Close();
    stub_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  FSUIPC& Link() { return link_; }

 private:
  std::string dir_;
  std::unique_ptr<SimStub> stub_;
  FSUIPC link_;
};

LinkBench& Bench() {
  static LinkBench bench;
  return bench;
}

void CountExchanges(benchmark::State& state) {
  state.counters["exchanges_per_s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["us_per_exchange"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ReadExchange(benchmark::State& state) {
  FSUIPC& link = Bench().Link();
  for (auto _ : state) {
    double position[2];
    if (link.ReadPosition(position) != kFsuipcOk) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(position);
  }
  CountExchanges(state);
}
BENCHMARK(BM_ReadExchange)->UseRealTime();

void BM_RecordWrite(benchmark::State& state) {
  FSUIPC& link = Bench().Link();
  NewWeather record;
  ClearNewWeather(&record);
  record.Command = kWeatherCommandReportRecord;
  std::memcpy(record.Icao, "EDDB", 4);
  for (auto _ : state) {
    if (link.WriteNewWeather(&record) != kFsuipcOk) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kNewWeatherSize);
  CountExchanges(state);
}
BENCHMARK(BM_RecordWrite)->UseRealTime();

}  // namespace
