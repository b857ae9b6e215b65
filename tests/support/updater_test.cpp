#include "support/updater.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "common/test_paths.h"
#include "peers/http_peer.h"
#include "peers/loopback_listener.h"
#include "peers/update_doubles.h"
#include "platform/shell_open.h"
#include "recorders.h"
#include "support/download.h"
#include "support/service_addresses.h"

namespace {

using supporttest::RecordingUi;
using testpeers::HttpPeer;
using testpeers::HttpRoute;
using testsupport::ReadBytes;
using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

constexpr char kSetup[] = "Nubivane Lite Setup.exe";
constexpr char kSetupPath[] = "/source/Nubivane%20Lite%20Setup.exe";
constexpr char kGoodOldSetup[] = "the setup program that was already there";
constexpr char kCannotDownload[] = "Error: File Nubivane Lite Setup.exe cannot be downloaded!";

std::string Bytes(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<char>(i * 131 + 7);
  }
  return bytes;
}

// Each case starts in a fresh folder that already holds a good setup program.
class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(kSetup, kGoodOldSetup); }

  ScopedWorkDir dir_;
  RecordingUi ui_;
  ShellRecorder shell_;
};

TEST_F(UpdaterTest, CompleteDownloadsReplaceTheFile) {
  const struct {
    const char* name;
    std::size_t bytes;
    bool announceLength;
    std::vector<int> values;  // the dialog's values after each piece
    const char* lastText;
  } cases[] = {
      {"two full pieces", 8192, true, {4096, 8192}, "Download Nubivane Lite Setup.exe 8KB from 8KB"},
      {"a full and a short piece", 5000, true, {4096, 5000}, "Download Nubivane Lite Setup.exe 4KB from 4KB"},
      {"one short piece", 10, true, {10}, "Download Nubivane Lite Setup.exe 0KB from 0KB"},
      {"no length announced", 5000, false, {0, 0}, "Download Nubivane Lite Setup.exe 4KB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(kSetup, kGoodOldSetup);
    RecordingUi ui;
    const std::string body = Bytes(c.bytes);
    HttpPeer peer({{kSetupPath, 200, body, c.announceLength}});
    ScopedUpdateHost host(peer.BaseUrl());
    ClUpdater updater(nullptr);
    EXPECT_TRUE(updater.Download());
    EXPECT_TRUE(ReadBytes(kSetup) == body);
    EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(peer.RequestLines(),
              std::vector<std::string>{"GET /source/Nubivane%20Lite%20Setup.exe HTTP/1.0"});

    ASSERT_EQ(ui.events.size(), c.values.size() + 2);
    EXPECT_EQ(ui.progressTitle, "Updater");
    EXPECT_EQ(ui.events.front().kind, "show");
    EXPECT_EQ(ui.events.back().kind, "close");
    if (c.announceLength) {
      EXPECT_EQ(ui.events.front().value, static_cast<int>(c.bytes));
      EXPECT_EQ(ui.events.front().text, DownloadProgressText(kSetup, 0, c.bytes));
    }
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_EQ(ui.events[i + 1].kind, c.announceLength ? "update" : "pulse");
      EXPECT_EQ(ui.events[i + 1].value, c.values[i]);
    }
    EXPECT_EQ(ui.events[ui.events.size() - 2].text, c.lastText);
  }
}

// A download that does not arrive whole is never kept: the file that stood there stays as it
// was, nothing of the attempt is left, and the transfer's breaking off shows no box.
TEST_F(UpdaterTest, BrokenDownloadsLeaveTheOldFile) {
  const struct {
    const char* name;
    HttpRoute route;
  } cases[] = {
      {"empty file", {kSetupPath, 200, ""}},
      {"closed after a full piece of a longer file", {kSetupPath, 200, Bytes(4096), true, 10000}},
      {"reset after a full piece", {kSetupPath, 200, Bytes(4096), true, 10000, true}},
      {"closed after a short piece", {kSetupPath, 200, Bytes(5000), true, 9000}},
      {"reset without a length", {kSetupPath, 200, Bytes(4096), false, SIZE_MAX, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // wine takes the reset's error away before the program can look at the socket.
    if (testsupport::RunningUnderWine() && !c.route.announceLength && c.route.resetAfterBody) continue;
    RecordingUi ui;
    HttpPeer peer({c.route});
    ScopedUpdateHost host(peer.BaseUrl());
    ClUpdater updater(nullptr);
    EXPECT_FALSE(updater.Download());
    EXPECT_TRUE(ReadBytes(kSetup) == kGoodOldSetup);
    EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_FALSE(ui.events.empty());
    EXPECT_EQ(ui.events.back().kind, "close");
  }
}

// A server that stops sending in the middle of the file, without closing, must not hold the
// GUI thread beyond the socket time-out (5 s for each wait). Without a length the library takes
// the time-out for an end: that is no complete file either. Each case waits out the time-out, so
// each is a test of its own and they wait side by side.
class StalledTransferTest : public UpdaterTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StalledTransferTest, IsGivenUp) {
  constexpr int kSilentMs = 40000;
  const bool announceLength = GetParam();
  HttpPeer peer({{kSetupPath, 200, Bytes(4096), announceLength, 10000, false, kSilentMs}});
  ScopedUpdateHost host(peer.BaseUrl());
  ClUpdater updater(nullptr);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(updater.Run());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(ReadBytes(kSetup) == kGoodOldSetup);
  EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(shell_.opened.empty());
}

INSTANTIATE_TEST_SUITE_P(Updater, StalledTransferTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "LengthAnnounced" : "NoLength";
                         });

// The caller's stop ends a download that drips (a byte every 100 ms of a million announced) at
// once; its waiting hook runs all along and the dialog's times go on. Nothing of the download
// stays, no box is shown and nothing is started; a stop raised before asks the server nothing.
TEST_F(UpdaterTest, TheCallersStopEndsTheDownloadAndNothingIsKeptOrStarted) {
  for (const bool stopFirst : {false, true}) {
    SCOPED_TRACE(stopFirst ? "stop raised before" : "stop raised while it waits");
    RecordingUi ui;
    ShellRecorder shell;
    HttpPeer peer({{kSetupPath, 200, "M", true, 1000000, false, 0, true, 100, 300}});
    ScopedUpdateHost host(peer.BaseUrl());
    DownloadStop stop;
    if (stopFirst) stop.Raise();
    int hookCalls = 0;
    std::chrono::steady_clock::time_point raisedAt;
    const auto start = std::chrono::steady_clock::now();
    ClUpdater updater(nullptr);
    updater.SetWaits(&stop, [&] {
      ++hookCalls;
      const auto now = std::chrono::steady_clock::now();
      if (!stop.Raised() && now - start >= std::chrono::milliseconds(2500)) {
        raisedAt = now;
        stop.Raise();
      }
    });
    EXPECT_FALSE(updater.Run());
    const auto end = std::chrono::steady_clock::now();
    EXPECT_TRUE(ReadBytes(kSetup) == kGoodOldSetup);
    EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(shell.opened.empty());
    if (stopFirst) {
      EXPECT_TRUE(peer.RequestLines().empty());
      EXPECT_TRUE(ui.events.empty());
      continue;
    }
    EXPECT_LT(end - raisedAt, std::chrono::milliseconds(500));
    EXPECT_GT(hookCalls, 20);
    // Shown, brought up to date (its times) while no piece was whole yet, closed. The stop
    // itself shows the bytes of the piece it cut short.
    ASSERT_GE(ui.events.size(), 3u);
    EXPECT_EQ(ui.events.front().kind, "show");
    EXPECT_EQ(ui.events[1].kind, "update");
    EXPECT_EQ(ui.events[1].value, 0);
    EXPECT_EQ(ui.events.back().kind, "close");
  }
}

// A stop that comes with the last piece (raised by the dialog's last update, as a signal served
// there would): the whole file is in place, but a program that is closing starts nothing.
TEST_F(UpdaterTest, AStopWithTheLastPieceStartsNothing) {
  class StopAtTheEnd : public SupportUi {
   public:
    explicit StopAtTheEnd(DownloadStop& stop) : stop_(stop), previous_(InstallSupportUi(this)) {}
    ~StopAtTheEnd() override { InstallSupportUi(previous_); }
    void ShowMessage(const wxString&, const wxString&, long, wxWindow*) override { ++messages; }
    std::unique_ptr<ProgressView> ShowProgress(const wxString&, const wxString&, int maximum, wxWindow*,
                                               int) override {
      return std::make_unique<View>(stop_, maximum);
    }
    int messages = 0;

   private:
    class View : public ProgressView {
     public:
      View(DownloadStop& stop, int maximum) : stop_(stop), maximum_(maximum) {}
      void Update(int value, const wxString&) override {
        if (value == maximum_) stop_.Raise();
      }
      void Pulse(const wxString&) override {}

     private:
      DownloadStop& stop_;
      int maximum_;
    };
    DownloadStop& stop_;
    SupportUi* previous_;
  };
  HttpPeer peer({{kSetupPath, 200, Bytes(5000)}});
  ScopedUpdateHost host(peer.BaseUrl());
  DownloadStop stop;
  StopAtTheEnd ui(stop);
  ClUpdater updater(nullptr);
  updater.SetWaits(&stop, [] {});
  EXPECT_FALSE(updater.Run());
  EXPECT_TRUE(stop.Raised());
  EXPECT_TRUE(ReadBytes(kSetup) == Bytes(5000));
  EXPECT_EQ(ui.messages, 0);
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(UpdaterTest, UnreachableOrMissingFileShowsTheBoxAndKeepsTheOldFile) {
  HttpPeer missing({});
  // The library hands over the page of a redirection or an interim answer as if it were the file.
  HttpPeer moved({{kSetupPath, 302, "<a href=\"http://elsewhere.example/\">moved</a>"}});
  HttpPeer interim({{kSetupPath, 100, Bytes(5000)}});
  const std::string hosts[] = {
      "http://127.0.0.1:" + std::to_string(testpeers::ClosedLoopbackPort()),
      missing.BaseUrl(),  // answers 404
      moved.BaseUrl(),
      interim.BaseUrl(),
  };
  for (const auto& url : hosts) {
    SCOPED_TRACE(url);
    RecordingUi ui;
    ScopedUpdateHost host(url);
    ClUpdater updater(nullptr);
    EXPECT_FALSE(updater.Run());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCannotDownload);
    EXPECT_EQ(ui.messages[0].caption, "Upload Error");
    EXPECT_EQ(ui.messages[0].style, wxOK | wxICON_ERROR);
    EXPECT_TRUE(ui.events.empty());
    EXPECT_TRUE(ReadBytes(kSetup) == kGoodOldSetup);
    EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
  }
  EXPECT_TRUE(shell_.opened.empty());
}

// Directories stand where the files go (root may write anywhere, but not over a directory).
TEST_F(UpdaterTest, SetupThatCannotBeWrittenFailsTheDownload) {
  const struct {
    const char* name;
    const char* directory;
    std::size_t requests;
  } cases[] = {
      {"download file cannot be created", "Nubivane Lite Setup.exe.part", 0},
      {"setup file cannot be replaced", "Nubivane Lite Setup.exe", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkDir dir;
    ASSERT_TRUE(std::filesystem::create_directory(c.directory));
    RecordingUi ui;
    ShellRecorder shell;
    HttpPeer peer({{kSetupPath, 200, Bytes(5000)}});
    ScopedUpdateHost host(peer.BaseUrl());
    ClUpdater updater(nullptr);
    EXPECT_FALSE(updater.Run());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kCannotDownload);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(peer.RequestLines().size(), c.requests);
    EXPECT_TRUE(wxDirExists(c.directory));
  }
}

TEST_F(UpdaterTest, RunHandsTheCompleteFileToTheShell) {
  HttpPeer peer({{kSetupPath, 200, Bytes(8192)}});
  ScopedUpdateHost host(peer.BaseUrl());
  ClUpdater updater(nullptr);
  EXPECT_TRUE(updater.Run());
  EXPECT_EQ(shell_.opened, std::vector<wxString>{kSetup});
  EXPECT_TRUE(ReadBytes(kSetup) == Bytes(8192));
}

TEST_F(UpdaterTest, FirstDownloadWithoutAnOldFile) {
  ASSERT_TRUE(wxRemoveFile(kSetup));
  HttpPeer peer({{kSetupPath, 200, Bytes(5000)}});
  ScopedUpdateHost host(peer.BaseUrl());
  ClUpdater updater(nullptr);
  EXPECT_TRUE(updater.Run());
  EXPECT_TRUE(ReadBytes(kSetup) == Bytes(5000));
}

TEST_F(UpdaterTest, BrokenRunStartsNothing) {
  HttpPeer peer({{kSetupPath, 200, Bytes(4096), true, 8192}});
  ScopedUpdateHost host(peer.BaseUrl());
  ClUpdater updater(nullptr);
  EXPECT_FALSE(updater.Run());
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(UpdaterTest, UnusableHostAddressTouchesNothing) {
  ScopedUpdateHost host("no scheme at all");
  ClUpdater updater(nullptr);
  EXPECT_FALSE(updater.Run());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(ReadBytes(kSetup) == kGoodOldSetup);
  EXPECT_FALSE(wxFileExists(wxString(kSetup) + ".part"));
}

TEST(UpdaterText, UpdateHostComesFromOnePlace) {
  EXPECT_TRUE(services::UpdateHostUrl().StartsWith("http://"));
  const struct {
    const char* set;
    const char* url;
  } cases[] = {
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"http://127.0.0.1:8080//", "http://127.0.0.1:8080"},
  };
  for (const auto& c : cases) {
    ScopedUpdateHost host(c.set);
    EXPECT_EQ(services::UpdateHostUrl(), c.url);
  }
}

TEST(UpdaterText, ProgressTextCountsKbOf1024Bytes) {
  const struct {
    std::uint64_t received, size;
    const char* text;
  } cases[] = {
      {0, 5000, "Download f 0KB from 4KB"},
      {1023, 1024, "Download f 0KB from 1KB"},
      {1024, 1024, "Download f 1KB from 1KB"},
      {8192, 8192, "Download f 8KB from 8KB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DownloadProgressText("f", c.received, c.size), c.text);
  }
  EXPECT_EQ(EncodeUrlPathBlanks("Nubivane Lite Setup.exe"), "Nubivane%20Lite%20Setup.exe");
}

}  // namespace
