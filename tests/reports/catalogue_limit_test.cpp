// A catalogue far larger than any real one is refused as an unreadable one is, before it is read:
// a few hundred megabytes of repeated lines once held the start and the loader for minutes.

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "common/test_paths.h"
#include "reports/metar.h"
#include "reports/report_text.h"
#include "reports/weather_station.h"

namespace {

constexpr std::uint64_t kLimitBytes = 32ull * 1024 * 1024;  // 32 MB, as the log line says
const std::string kAirportLine = "EDDF,Frankfurt Main,364,50.0333,8.5706\n";

// A real first line, then a hole of zero bytes up to size: sparse, so it costs no disk.
void WriteSparse(const std::string& path, std::uint64_t size) {
  { std::ofstream(path, std::ios::binary) << kAirportLine; }
  std::filesystem::resize_file(path, size);
}

TEST(CatalogueLimit, AFileOverTheLimitIsRefusedAndSaysWhy) {
  testsupport::ScopedWorkDir dir;
  WriteSparse("airport.dat", kLimitBytes + 1);
  wxString text = wxS("kept");
  wxString problem;
  EXPECT_FALSE(AppendCatalogueFile(wxS("airport.dat"), text, &problem));
  EXPECT_EQ(text, wxS("kept"));
  EXPECT_EQ(
      problem,
      wxS("airport.dat is larger than 32 MB (33554432 bytes), the most a catalogue may hold: not read"));
}

TEST(CatalogueLimit, AFileAtTheLimitIsRead) {
  testsupport::ScopedWorkDir dir;
  WriteSparse("airport.dat", kLimitBytes);
  wxString text;
  wxString problem;
  EXPECT_TRUE(AppendCatalogueFile(wxS("airport.dat"), text, &problem));
  EXPECT_TRUE(problem.empty());
  EXPECT_EQ(text.length(), kLimitBytes);
  EXPECT_TRUE(text.StartsWith(wxString::FromUTF8(kAirportLine)));
}

// Both catalogues, by the paths the program reads them by.
TEST(CatalogueLimit, BothCataloguesRefuseAFileOverTheLimit) {
  testsupport::ScopedWorkDir dir;
  WriteSparse("airport.dat", kLimitBytes + 1);
  WriteSparse("station.dat", kLimitBytes + 1);
  ClMetar metar;
  wxString problem;
  EXPECT_FALSE(metar.LoadAirports(wxS("airport.dat"), &problem));
  EXPECT_TRUE(metar.GetAirports().empty());
  EXPECT_TRUE(problem.StartsWith(wxS("airport.dat is larger than 32 MB"))) << problem;
  const ClWeatherStation stations;
  EXPECT_FALSE(stations.CatalogueRead());
  EXPECT_TRUE(stations.ReadProblem().StartsWith(wxS("station.dat is larger than 32 MB")))
      << stations.ReadProblem();
}

#ifndef _WIN32
// A file whose size says nothing (a device, a pipe, a file that grows) is bounded by the bytes
// read: this one never ends.
TEST(CatalogueLimit, AReadThatNeverEndsStopsAtTheLimit) {
  wxString text;
  wxString problem;
  EXPECT_FALSE(AppendCatalogueFile(wxS("/dev/zero"), text, &problem));
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(problem,
            wxS("zero is larger than 32 MB (33554432 bytes), the most a catalogue may hold: not read"));
}

// A pipe that keeps its writer open: the reading stops once the limit is passed, and does not
// wait for the end of a stream that never ends.
TEST(CatalogueLimit, APipeIsReadNoFurtherThanTheLimit) {
  testsupport::ScopedWorkDir dir;
  ASSERT_EQ(::mkfifo("airport.dat", 0600), 0);
  std::atomic<bool> readerDone{false};
  std::thread writer([&readerDone] {
    const int fd = ::open("airport.dat", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return;
    const std::string chunk(64 * 1024, 'x');
    for (std::uint64_t left = kLimitBytes + 1; left > 0;) {
      const ssize_t put =
          ::write(fd, chunk.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size())));
      if (put <= 0) break;
      left -= static_cast<std::uint64_t>(put);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!readerDone && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ::close(fd);  // a reader still waiting now sees the end
  });
  wxString text;
  wxString problem;
  const bool read = AppendCatalogueFile(wxS("airport.dat"), text, &problem);
  readerDone = true;
  writer.join();
  EXPECT_FALSE(read);
  EXPECT_TRUE(text.empty());
  EXPECT_TRUE(problem.StartsWith(wxS("airport.dat is larger than 32 MB"))) << problem;
}
#endif

TEST(CatalogueLimit, AMissingFileHasNoProblemToTell) {
  testsupport::ScopedWorkDir dir;
  ClMetar metar;
  wxString problem;
  EXPECT_FALSE(metar.LoadAirports(wxS("airport.dat"), &problem));
  EXPECT_TRUE(problem.empty());
}

}  // namespace
