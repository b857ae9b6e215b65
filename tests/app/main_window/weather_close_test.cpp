#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/filefn.h>
#include <wx/msgdlg.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "app/about_dialog.h"
#include "app/close_on_signal.h"
#include "app/manual_weather_dialog.h"
#include "app/option_dialog.h"
#include "cycle/init_weather.h"
#include "gui_common/real_modal.h"
#include "peers/http_peer.h"
#include "peers/smtp_peer.h"
#include "peers/update_doubles.h"
#include "support/gui/modal_runs.h"
#include "weather_test_env.h"

namespace {

using apptest::Settle;
using apptest::SettleUntil;
using apptest::Standing;
using Clock = std::chrono::steady_clock;

bool IsBox(const wxDialog* dialog, const char* caption) {
  const auto* box = dynamic_cast<const wxMessageDialog*>(dialog);
  return box != nullptr && box->GetCaption() == caption;
}

// What a person's click on the box's own button does.
void AnswerBox(wxDialog* box, int gtkResponse) { ASSERT_TRUE(modal_runs::AnswerNativeBox(box, gtkResponse)); }
using modal_runs::kGtkResponseOk;

std::string LastMessage(const std::string& log) {
  if (log.size() < 2) return std::string();
  const std::size_t start = log.rfind("\r\n", log.size() - 3);
  const std::string line = log.substr(start == std::string::npos ? 0 : start + 2);
  const std::size_t dash = line.find(" - ");
  return dash == std::string::npos ? line : line.substr(dash + 3, line.size() - dash - 5);
}

class WeatherClose : public apptest::WeatherTest {
 protected:
  void SetUp() override {
    apptest::WeatherTest::SetUp();
    CloseMainWindowOnSignals();
    // Every feed and the version text fail at once: the boxes of a failed download come.
    peer = std::make_unique<testpeers::HttpPeer>(std::vector<testpeers::HttpRoute>{});
    host = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
    testsupport::SetEnvironment("NUBIVANE_VATSIM_HOST", peer->BaseUrl());
  }
  void TearDown() override {
    testsupport::UnsetEnvironment("NUBIVANE_VATSIM_HOST");
    apptest::WeatherTest::TearDown();
  }

  // Inside the loop of the first dialog that matches, a SIGTERM; then the window must go by the
  // normal shut-down. what opens the loop. Returns the milliseconds from the signal to the end.
  long long SignalInside(const guitest::RealModal::Match& match, const std::function<void()>& what) {
    bool signalled = false;
    Clock::time_point sent;
    {
      guitest::RealModal real(match, [&](wxDialog*) {
        if (signalled) return;
        signalled = true;
        sent = Clock::now();
        std::raise(SIGTERM);
      });
      what();
    }
    EXPECT_TRUE(signalled) << "the loop never ran";
    Weather* going = window;
    EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
    Settle();
    window = nullptr;
    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
    EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close") << Log();
    EXPECT_NE(testsupport::ReadBytes("Nubivane.ini").find("FrameSizeX="), std::string::npos);
    return ms;
  }

  std::unique_ptr<testpeers::HttpPeer> peer;
  std::unique_ptr<ScopedUpdateHost> host;
};

TEST_F(WeatherClose, ASignalEndsEachDialogAndBoxAndTheWindowGoesAfter) {
  struct Case {
    const char* what;
    guitest::RealModal::Match match;
    std::function<void(Weather*)> open;
  };
  wxCommandEvent call(wxEVT_NULL, 0);
  const Case cases[] = {
      {"About", guitest::DialogsOf<NubivaneAbout>(), [&](Weather* w) { w->OnAbout(call); }},
      {"manual weather", guitest::DialogsOf<NubivaneSetFSWX>(), [&](Weather* w) { w->OnSetFSWeather(call); }},
      {"Option", guitest::DialogsOf<ClOption>(), [&](Weather* w) { w->OnOption(call); }},
      {"update check's ERROR box", [](const wxDialog* d) { return IsBox(d, "ERROR"); },
       [&](Weather* w) { w->OnCheckUpdates(call); }},
      {"feed's ERROR box", [](const wxDialog* d) { return IsBox(d, "ERROR"); },
       [&](Weather* w) { w->OnDownloadWX(call); }},
      {"loader's airport box", [](const wxDialog* d) { return IsBox(d, "Error"); },
       [&](Weather* w) {
         std::remove("airport.dat");
         w->Loader->HandOver().Request({wxS("EDDF 121150Z 27010KT\n"), wxString(), wxString()});
         SettleUntil([&] { return !Standing(w) || w->IsClosing(); }, std::chrono::seconds(10));
       }},
  };
  for (const Case& c : cases) {
    PutCatalogues();
    std::remove("nubivane.log");  // a failed feed's "Error" line would bring the report offer
    Open();
    const long long ms = SignalInside(c.match, [&] { c.open(window); });
    std::printf("signal with the %s open: the window was gone %lld ms after it\n", c.what, ms);
    EXPECT_LT(ms, 5000) << c.what;
    EXPECT_TRUE(dialogs.boxes.empty()) << c.what << ": " << dialogs.boxes.front().caption;
    dialogs.boxes.clear();
  }
}

// A feed server that says nothing holds the download on the GUI thread; a signal then stops it at
// once, and the step neither falls back to the other feed nor shows a box.
TEST_F(WeatherClose, ASignalDuringASilentDownloadStopsItWithoutAFallback) {
  testpeers::HttpRoute silent{"/metar_NOAA.txt", 200, "EDDF 121150Z 27010KT\n"};
  silent.silentBeforeHeadMs = 30000;
  host.reset();  // the host of the set-up is put back first, not after this one
  peer = std::make_unique<testpeers::HttpPeer>(std::vector<testpeers::HttpRoute>{silent});
  host = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
  testsupport::SetEnvironment("NUBIVANE_VATSIM_HOST", peer->BaseUrl());
  PutCatalogues();
  Open();
  window->Options.Metar = 3;
  std::thread signaller([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ::kill(::getpid(), SIGTERM);
  });
  const Clock::time_point start = Clock::now();
  Clock::time_point ended;
  // On the running loop, as the menu item runs it.
  wxTheApp->CallAfter([&] {
    wxCommandEvent call(wxEVT_NULL, 0);
    window->OnDownloadWX(call);
    ended = Clock::now();
    wxTheApp->ExitMainLoop();
  });
  wxTheApp->MainLoop();
  const auto took = ended - start;
  signaller.join();
  EXPECT_LT(took, std::chrono::seconds(5)) << "the download waited out its server";
  EXPECT_EQ(peer->RequestLines().size(), 1u) << "a stopped step fetched another feed";
  EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().caption;
  Weather* going = window;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
  window = nullptr;
  Settle();
  EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close") << Log();
  // A stop is no failure of the feed: the next start must not offer to report it.
  EXPECT_EQ(Log().find("Error"), std::string::npos) << Log();
}

// Sends SIGTERM to this process once the peer has been asked for `requests` resources and half a
// second more has passed, as a person would while the download waits.
class LateSignal {
 public:
  LateSignal(const testpeers::HttpPeer& peer, std::size_t requests)
      : thread_([this, &peer, requests] {
          const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(30);
          while (peer.RequestLines().size() < requests && Clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
          std::this_thread::sleep_for(std::chrono::milliseconds(500));
          sent_ = Clock::now();
          ::kill(::getpid(), SIGTERM);
        }) {}
  ~LateSignal() { Join(); }
  // When the signal went.
  Clock::time_point Join() {
    if (thread_.joinable()) thread_.join();
    return sent_;
  }

 private:
  Clock::time_point sent_;
  std::thread thread_;
};

long long MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// The update host offers a newer version and then drips its setup program (a byte every 100 ms
// of a million announced, for 10 s): a signal during the download ends it at once. Nothing of it
// stays, no box follows, nothing is started, and the window goes by the normal shut-down.
TEST_F(WeatherClose, ASignalDuringTheSetupDownloadStopsItAndStartsNothing) {
  const testpeers::HttpRoute drip{
      "/source/Nubivane%20Lite%20Setup.exe", 200, "M", true, 1000000, false, 0, true, 100, 100};
  host.reset();
  peer = std::make_unique<testpeers::HttpPeer>(
      std::vector<testpeers::HttpRoute>{{"/checkVersionNubivanelite.php", 200, "99.0\r\n"}, drip});
  host = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
  ShellRecorder shell;
  PutCatalogues();
  Open();
  guitest::DialogRecorder yes(wxID_YES);
  LateSignal signal(*peer, 2);
  Clock::time_point ended;
  // On the running loop, as the menu item runs it.
  wxTheApp->CallAfter([&] {
    wxCommandEvent call(wxEVT_NULL, 0);
    window->OnCheckUpdates(call);
    ended = Clock::now();
    wxTheApp->ExitMainLoop();
  });
  wxTheApp->MainLoop();
  const long long ms = MsBetween(signal.Join(), ended);
  std::printf("signal during the setup download: the check ended %lld ms after it\n", ms);
  EXPECT_LT(ms, 2000) << "the download waited out its server";
  ASSERT_EQ(yes.boxes.size(), 1u) << yes.boxes.back().caption;
  EXPECT_EQ(yes.boxes[0].message, wxS("Download Version v99.0?"));
  EXPECT_FALSE(wxFileExists(wxS("Nubivane Lite Setup.exe")));
  EXPECT_FALSE(wxFileExists(wxS("Nubivane Lite Setup.exe.part")));
  EXPECT_TRUE(shell.opened.empty());
  Weather* going = window;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
  window = nullptr;
  Settle();
  EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close") << Log();
}

// At start-up the update host drips the version text (40 bytes announced, a byte every 250 ms):
// a signal during the download ends the check at once, before the event loop runs. Nothing is
// offered, the setup program is not asked for, and the window goes by the normal shut-down.
TEST_F(WeatherClose, ASignalDuringTheStartUpVersionCheckEndsItAndOffersNothing) {
  const testpeers::HttpRoute drip{
      "/checkVersionNubivanelite.php", 200, "9", true, 40, false, 0, true, 250, 40};
  host.reset();
  peer = std::make_unique<testpeers::HttpPeer>(
      std::vector<testpeers::HttpRoute>{drip, {"/source/Nubivane%20Lite%20Setup.exe", 200, "MZ setup"}});
  host = std::make_unique<ScopedUpdateHost>(peer->BaseUrl());
  ShellRecorder shell;
  PutCatalogues();
  testsupport::WriteBytes("Nubivane.ini", "[General]\nCheckUpdateStartup=1\n");
  guitest::DialogRecorder yes(wxID_YES);
  LateSignal signal(*peer, 1);
  Open(false);
  const long long ms = MsBetween(signal.Join(), Clock::now());
  std::printf("signal during the start-up's version check: the start-up ended %lld ms after it\n", ms);
  EXPECT_LT(ms, 2000) << "the check waited out its server";
  EXPECT_TRUE(yes.boxes.empty()) << yes.boxes.front().caption << ": " << yes.boxes.front().message;
  EXPECT_EQ(peer->RequestLines().size(), 1u);
  EXPECT_TRUE(shell.opened.empty());
  Weather* going = window;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
  window = nullptr;
  Settle();
  EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close") << Log();
}

TEST_F(WeatherClose, ASignalInTheReportOfferAtStartUpEndsItAsNo) {
  PutCatalogues();
  testsupport::WriteBytes("nubivane.log", "1 - Nubivane Start\r\n");
  testsupport::WriteBytes("Nubivane.ini",
                          "[General]\nFramePosX=300\nFramePosY=200\nFrameSizeX=900\nFrameSizeY=600\n");
  const long long ms =
      SignalInside([](const wxDialog* d) { return IsBox(d, "Debug"); }, [&] { Open(false); });
  std::printf("signal with the report offer open: the window was gone %lld ms after it\n", ms);
  const std::string log = Log();
  EXPECT_NE(log.find("Nubivane Start"), std::string::npos);
  EXPECT_EQ(log.find("FSUIPC: deleting thread"), std::string::npos) << "a going window starts no writer";
  // The frame was shown only on its way out: the window manager's frame around it is not stored.
  std::string ini = testsupport::ReadBytes("Nubivane.ini");
  for (const char* key : {"FramePosX=300\n", "FramePosY=200\n", "FrameSizeX=900\n", "FrameSizeY=600\n"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
  }
}

// The report is accepted and the mail server drips every reply, each well within the reply time:
// the whole dialogue would take some twenty seconds. A signal ends the mail at once, the start-up
// runs to its end, and the window goes by the normal shut-down.
TEST_F(WeatherClose, ASignalDuringADrippingErrorMailEndsItAtOnce) {
  PutCatalogues();
  testsupport::WriteBytes("nubivane.log", "1 - Nubivane Start\r\n2 - Error: Can't open airport.dat!\r\n");
  testpeers::SmtpScript script;
  script.dripMs = 250;  // the greeting alone takes 4 s
  testpeers::SmtpPeer smtp(script);
  testsupport::SetEnvironment("NUBIVANE_SMTP_SERVER", "127.0.0.1");
  testsupport::SetEnvironment("NUBIVANE_SMTP_PORT", std::to_string(smtp.Port()));
  guitest::DialogRecorder yes(wxID_YES);
  // The signal comes once the mail is under way, in the middle of the greeting.
  Clock::time_point sent;
  std::thread signaller([&smtp, &sent] {
    if (!smtp.WaitConnected(30000)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sent = Clock::now();
    ::kill(::getpid(), SIGTERM);
  });
  Open(false);
  const Clock::time_point ended = Clock::now();
  signaller.join();
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_SERVER");
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_PORT");
  ASSERT_NE(sent, Clock::time_point()) << "the mail never began";
  const long long afterSignalMs = std::chrono::duration_cast<std::chrono::milliseconds>(ended - sent).count();
  std::printf("signal during the dripping mail: the start-up ended %lld ms after it\n", afterSignalMs);
  ASSERT_EQ(yes.boxes.size(), 1u);
  EXPECT_EQ(yes.boxes[0].caption, "Debug");
  // The rest of the start-up runs after the mail: a bound well below the mail's own 10 s; the
  // figure is printed.
  EXPECT_LT(afterSignalMs, 5000) << "the start-up waited for the mail server";
  EXPECT_TRUE(window->IsClosing());
  Weather* going = window;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
  window = nullptr;
  Settle();
  EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close") << Log();
  EXPECT_EQ(smtp.Transcript().find("DATA"), std::string::npos) << smtp.Transcript();
}

TEST_F(WeatherClose, WithoutAirportsAndWithTheUpdateCheckEveryBoxIsAnsweredThenTheWindowGoes) {
  PutCatalogues(false);
  testsupport::WriteBytes("Nubivane.ini", "[General]\nCheckUpdateStartup=1\n");
  std::vector<std::string> answered;
  {
    guitest::RealModal real(
        [](const wxDialog* d) { return dynamic_cast<const wxMessageDialog*>(d) != nullptr; },
        [&](wxDialog* box) {
          answered.push_back(static_cast<wxMessageDialog*>(box)->GetCaption().utf8_string());
          // The main window and the options dialog: no busy text over the box.
          EXPECT_EQ(wxTopLevelWindows.GetCount(), 2u) << "a busy text stands beside the box";
          AnswerBox(box, kGtkResponseOk);
        });
    Open(false);
  }
  EXPECT_EQ(answered, (std::vector<std::string>{"Nubivane Error", "ERROR"}));
  Weather* going = window;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(20)));
  window = nullptr;
  Settle();
  const std::string log = Log();
  EXPECT_NE(log.find("Error: Can't open airport.dat!"), std::string::npos);
  EXPECT_EQ(LastMessage(log), "Main: Nubivane Close") << log;
}

TEST_F(WeatherClose, AStationCatalogueThatCannotBeReadIsLoggedWithoutTheLibrarysBox) {
  for (bool folder : {false, true}) {
    PutCatalogues();
    std::remove("station.dat");
    if (folder) {
      ASSERT_EQ(::mkdir("station.dat", 0755), 0);
    }
    Open();
    Settle();
    EXPECT_TRUE(dialogs.boxes.empty())
        << (folder ? "folder: " : "missing: ") << dialogs.boxes.front().message;
    EXPECT_NE(Log().find("InitWeather: Can't read station.dat"), std::string::npos) << Log();
    Close();
    EXPECT_EQ(LastMessage(Log()), "Main: Nubivane Close");
    ::rmdir("station.dat");
    dialogs.boxes.clear();
  }
}

}  // namespace
