// The main of every benchmark built on the benchmark library: the GUI library's base is started
// around the run (wxString conversions and the loader's thread need it), unknown arguments are
// refused.

#include <benchmark/benchmark.h>
#include <wx/init.h>

int main(int argc, char** argv) {
  wxInitializer initializer;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
