#include "app/update_check.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/modalhook.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "dialog_test_env.h"
#include "gui_common/dialog_recorder.h"
#include "peers/http_peer.h"
#include "peers/update_doubles.h"
#include "support/download.h"

namespace {

using testpeers::HttpPeer;
using testpeers::HttpRoute;

constexpr char kVersionPath[] = "/checkVersionNubivanelite.php";
constexpr char kSetupPath[] = "/source/Nubivane%20Lite%20Setup.exe";
const std::string kSetupBytes = "MZ setup program";

// The main window as the check sees it: its download and its progress controls.
class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = dialogtest::ShowMainWindowStandIn();
    host.Download = [this](const wxString& url, wxString* text, std::uint64_t maxBytes) {
      requested.push_back(url);
      askedMaxBytes.push_back(maxBytes);
      DownloadOptions options{
          {std::chrono::seconds(5), std::chrono::seconds(20), maxBytes}, nullptr, nullptr, nullptr};
      return DownloadText(url, *text, options) == DownloadResult::kComplete ? 0 : 1;
    };
    host.ClearProgress = [this] { ++cleared; };
  }
  void TearDown() override {
    if (!wxTheApp->IsScheduledForDestruction(frame)) frame->Destroy();
    dialogtest::Settle();
  }

  // The host serves the version text (and the setup program).
  void Serve(int status, const std::string& version) {
    updateHost.reset();  // its end clears the variable the next one sets
    peer = std::make_unique<HttpPeer>(
        std::vector<HttpRoute>{{kVersionPath, status, version}, {kSetupPath, 200, kSetupBytes}});
    updateHost = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
  }

  bool Destroyed() const { return wxTheApp->IsScheduledForDestruction(frame); }

  testsupport::ScopedWorkDir dir;
  wxFrame* frame = nullptr;
  UpdateCheckHost host;
  std::vector<wxString> requested;
  std::vector<std::uint64_t> askedMaxBytes;
  int cleared = 0;
  std::unique_ptr<HttpPeer> peer;
  std::unique_ptr<ScopedUpdateHost> updateHost;
  ShellRecorder shell;
};

struct VerdictCase {
  const char* why;
  int status;
  const char* version;
  bool startup;
  std::vector<std::string> boxes;  // caption: text
};

// The program is version 0.90.1 (file version 0.9.0.1). No case here answers Yes.
TEST_F(UpdateCheckTest, WhatTheHostSendsDecidesTheBox) {
  const VerdictCase cases[] = {
      {"a newer version", 200, "0.90.2\r\n", false, {"Version Info: Download Version v0.90.2?"}},
      {"numbers, not characters", 200, "0.100.0", false, {"Version Info: Download Version v0.100.0?"}},
      {"the same version with its line end",
       200,
       "0.90.1\r\n",
       false,
       {"Version Info: Your version is up to date."}},
      {"an older one", 200, "0.9.9", false, {"Version Info: Your version is up to date."}},
      {"up to date at start-up: no box", 200, "0.90.1", true, {}},
      {"an error page", 404, "<html>Not Found</html>", false, {"ERROR: Couldn't connect to Update Server"}},
      {"a page instead of a version",
       200,
       "<html><body>Moved</body></html>",
       false,
       {"ERROR: Couldn't connect to Update Server"}},
      {"an empty answer", 200, "", false, {"ERROR: Couldn't connect to Update Server"}},
      {"a failed check at start-up too",
       200,
       "Version 2",
       true,
       {"ERROR: Couldn't connect to Update Server"}},
  };
  for (const VerdictCase& c : cases) {
    Serve(c.status, c.version);
    guitest::DialogRecorder boxes(wxID_NO);
    RunUpdateCheck(frame, host, c.startup);
    std::vector<std::string> seen;
    for (const guitest::SeenBox& box : boxes.boxes)
      seen.push_back((box.caption + ": " + box.message).utf8_string());
    EXPECT_EQ(seen, c.boxes) << c.why;
    EXPECT_EQ(peer->RequestLines().size(), 1u) << c.why << ": only the version is asked for";
    EXPECT_FALSE(Destroyed()) << c.why;
    EXPECT_TRUE(shell.opened.empty()) << c.why;
  }
  EXPECT_EQ(cleared, static_cast<int>(std::size(cases)));
  EXPECT_EQ(askedMaxBytes, std::vector<std::uint64_t>(std::size(cases), 64u));
  ASSERT_FALSE(requested.empty());
  EXPECT_EQ(requested.back(), wxString(peer->BaseUrl() + kVersionPath));
}

TEST_F(UpdateCheckTest, YesDownloadsAndStartsTheSetupAndTheWindowGoes) {
  Serve(200, "0.90.2\r\n");
  guitest::DialogRecorder boxes(wxID_YES);
  RunUpdateCheck(frame, host, false);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].style & wxYES_NO, 0);
  EXPECT_NE(boxes.boxes[0].style & wxSTAY_ON_TOP, 0);
  EXPECT_EQ(boxes.boxes[0].parent, frame);
  EXPECT_EQ(testsupport::ReadBytes("Nubivane Lite Setup.exe"), kSetupBytes);
  EXPECT_EQ(shell.opened, std::vector<wxString>{wxS("Nubivane Lite Setup.exe")});
  EXPECT_TRUE(Destroyed());
}

// An answer longer than any version is a failed check, and it is not waited for: a megabyte
// announced is refused before its body comes, one that trickles in without a length (40 bytes a
// second, 10 s long) after its first 65 bytes.
TEST_F(UpdateCheckTest, AnAnswerLongerThanAnyVersionIsAFailedCheck) {
  std::string megabyte;
  while (megabyte.size() < (1u << 20)) megabyte += "1.";
  megabyte += "1";
  const HttpRoute cases[] = {
      {kVersionPath, 200, megabyte},
      {kVersionPath, 200, "1.", false, SIZE_MAX, false, 0, true, 50, 200},
  };
  for (const HttpRoute& route : cases) {
    SCOPED_TRACE(route.announceLength ? "a megabyte announced" : "a trickle without a length");
    updateHost.reset();
    peer = std::make_unique<HttpPeer>(std::vector<HttpRoute>{route, {kSetupPath, 200, kSetupBytes}});
    updateHost = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
    guitest::DialogRecorder boxes(wxID_YES);
    const auto start = std::chrono::steady_clock::now();
    RunUpdateCheck(frame, host, false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].caption, wxS("ERROR"));
    EXPECT_EQ(boxes.boxes[0].message, wxS("Couldn't connect to Update Server"));
    EXPECT_EQ(peer->RequestLines().size(), 1u);
  }
  EXPECT_TRUE(shell.opened.empty());
}

// A window that is closing offers nothing and downloads nothing: a close during the version's
// download ends the check without a box, one while the offer stands ends it as No, whatever
// the box answered, and one before the setup program's download keeps it from starting.
TEST_F(UpdateCheckTest, AClosingWindowIsOfferedNothingAndDownloadsNothing) {
  enum class When { kAfterTheVersion, kAtTheOffer };
  for (const When when : {When::kAfterTheVersion, When::kAtTheOffer}) {
    SCOPED_TRACE(when == When::kAfterTheVersion ? "after the version" : "at the offer");
    Serve(200, "0.90.2\r\n");
    bool closing = false;
    UpdateCheckHost closingHost = host;
    closingHost.Download = [&](const wxString& url, wxString* text, std::uint64_t maxBytes) {
      const int result = host.Download(url, text, maxBytes);
      closing = when == When::kAfterTheVersion;
      return result;
    };
    closingHost.Stopped = [&] { return closing; };
    // The box's answer is Yes; the close comes while it stands.
    class CloseAtTheBox : public wxModalDialogHook {
     public:
      CloseAtTheBox(bool& closing, bool now) : closing_(closing), now_(now) { Register(); }
      ~CloseAtTheBox() override { Unregister(); }
      int Enter(wxDialog*) override {
        closing_ = closing_ || now_;
        return wxID_NONE;
      }
      void Exit(wxDialog*) override {}

     private:
      bool& closing_;
      bool now_;
    };
    guitest::DialogRecorder boxes(wxID_YES);
    CloseAtTheBox closeAtTheBox(closing, when == When::kAtTheOffer);
    RunUpdateCheck(frame, closingHost, false);
    EXPECT_EQ(boxes.boxes.size(), when == When::kAtTheOffer ? 1u : 0u);
    EXPECT_EQ(peer->RequestLines().size(), 1u) << "the setup program was asked for";
    EXPECT_FALSE(wxFileExists(wxS("Nubivane Lite Setup.exe")));
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_FALSE(Destroyed());
  }
}

TEST_F(UpdateCheckTest, AnUnreachableHostIsAFailedCheck) {
  {
    HttpPeer gone({});
    updateHost.reset();
    updateHost = std::make_unique<ScopedUpdateHost>(gone.BaseUrl());
  }  // nobody listens on its port any more
  guitest::DialogRecorder boxes(wxID_YES);
  RunUpdateCheck(frame, host, true);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].caption, wxS("ERROR"));
  EXPECT_EQ(boxes.boxes[0].message, wxS("Couldn't connect to Update Server"));
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_FALSE(Destroyed());
}

}  // namespace
