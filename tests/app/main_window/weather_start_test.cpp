#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/dialog_fit.h"
#include "app/frame_placement.h"
#include "common/test_paths.h"
#include "cycle/init_weather.h"
#include "gui_common/real_modal.h"
#include "gui_common/screenshot.h"
#include "gui_common/window_manager.h"
#include "peers/http_peer.h"
#include "peers/smtp_peer.h"
#include "sim_stub.h"
#include "simlink/fsuipc_worker.h"
#include "support/gui/modal_runs.h"
#include "weather_test_env.h"

namespace {

using apptest::Settle;
using apptest::SettleUntil;
using apptest::Standing;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

class WeatherStart : public apptest::WeatherTest {};

// The messages of the log, in order, without their time.
std::vector<std::string> Messages(const std::string& log) {
  std::vector<std::string> messages;
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find("\r\n", start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    const std::size_t dash = line.find(" - ");
    messages.push_back(dash == std::string::npos ? line : line.substr(dash + 3));
    start = end + 2;
  }
  return messages;
}

TEST_F(WeatherStart, AFirstStartShowsTheVersionAndEndsCleanly) {
  PutCatalogues();
  Open();
  EXPECT_TRUE(dialogs.boxes.empty());  // no previous log: no report offer
  const wxString version = wxS("v" NUB_PROJECT_VERSION_DOTTED " BETA");
  EXPECT_EQ(window->StatusBar->GetStatusText(3), version);
  EXPECT_FALSE(window->ProgressGauge->IsShown());
  EXPECT_FALSE(window->MainMenu->IsEnabled(kIdSendWxToFs));
  EXPECT_TRUE(window->IsEnabled());  // the start-up's disabling is over
  ASSERT_NE(window->Loader, nullptr);
  ASSERT_NE(window->Writer, nullptr);
  EXPECT_TRUE(window->Loader->IsRunning());
  EXPECT_TRUE(window->Options.AlignUpperWinds);
  ASSERT_TRUE(window->Timer);
  EXPECT_TRUE(window->Timer->IsRunning());
  EXPECT_EQ(window->Timer->GetId(), kTimerId);
  EXPECT_EQ(window->Timer->GetInterval(), 1000);
  EXPECT_FALSE(window->Timer->IsOneShot());

  const auto start = Messages(Log());
  ASSERT_GE(start.size(), 3u);
  EXPECT_EQ(start[0], "Nubivane Start");
  // The test programs are built for the same processor as the program.
  const std::string bits = sizeof(void*) == 8 ? "64 bit " : "32 bit ";
#ifdef _WIN32
  EXPECT_EQ(start[1], "OS: Microsoft Windows NT, Architecture: " + bits);
#else
  EXPECT_EQ(start[1], "OS: Linux, Architecture: " + bits);
#endif
  EXPECT_EQ(start[2], "Program Version: " + version.ToStdString());

  const auto closing = std::chrono::steady_clock::now();
  Close();
  std::printf("main window shut-down took %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - closing)
                                         .count()));
  const std::vector<std::string> end = Messages(Log());
  const std::vector<std::string> last(end.end() - 4, end.end());
  const std::vector<std::string> expected = {"InitWeather: deleting thread", "FSUIPC: deleting thread",
                                             "Main: deleting Timer", "Main: Nubivane Close"};
  EXPECT_EQ(last, expected);
  const std::string ini = ReadBytes("Nubivane.ini");
  EXPECT_NE(ini.find("FramePosX="), std::string::npos);
  EXPECT_NE(ini.find("FrameSizeY="), std::string::npos);
}

TEST_F(WeatherStart, ThePreviousLogDecidesOnTheReportOffer) {
  struct Case {
    const char* previous;  // nullptr: no file
    bool offered;
    const char* why;
  };
  const Case cases[] = {
      {nullptr, false, "first start"},
      {"1 - Nubivane Start\r\n2 - Main: Nubivane Close\r\n", false, "clean run"},
      {"1 - Nubivane Start\r\n2 - Error: Can't open airport.dat!\r\n3 - Main: Nubivane Close\r\n", true,
       "an error, even with Close"},
      {"1 - Nubivane Start\r\n2 - Program Version: v0.90.1 BETA\r\n", true, "the run did not end"},
      {"1 - Nubivane Start\r\n2 - Main: Error: Decode Metar -> EDDF 121150Z\r\n3 - Main: Nubivane Close\r\n",
       false, "a report that did not decode"},
  };
  PutCatalogues();
  for (const Case& c : cases) {
    std::remove("nubivane.log");
    if (c.previous != nullptr) WriteBytes("nubivane.log", c.previous);
    dialogs.boxes.clear();
    Open();
    ASSERT_EQ(dialogs.boxes.size(), c.offered ? 1u : 0u) << c.why;
    if (c.offered) {
      EXPECT_EQ(dialogs.boxes[0].caption, "Debug");
      EXPECT_TRUE(dialogs.boxes[0].message.StartsWith("The last time the programme was executed, an error"));
      EXPECT_EQ(dialogs.boxes[0].style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
    }
    Close();
  }
}

TEST_F(WeatherStart, YesMailsThePreviousLogAsItsOwnBytes) {
  PutCatalogues();
  WriteBytes("nubivane.log", "1 - Nubivane Start\r\n2 - Main: Error: Fehler in M\xFCnchen\r\n");
  testpeers::SmtpPeer peer;
  testsupport::SetEnvironment("NUBIVANE_SMTP_SERVER", "127.0.0.1");
  testsupport::SetEnvironment("NUBIVANE_SMTP_PORT", std::to_string(peer.Port()));
  guitest::DialogRecorder yes(wxID_YES);
  Open();
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_SERVER");
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_PORT");
  ASSERT_TRUE(peer.WaitDone(10000));
  const std::string data = peer.Data();
  EXPECT_NE(data.find("1 - Nubivane Start\r\n2 - Main- Error- Fehler in M\xFCnchen\r\n"), std::string::npos)
      << data;
}

// A previous log of 3 MB: the mail carries its last megabyte after a line that says the log was
// cut, and nothing of its start.
TEST_F(WeatherStart, YesMailsOnlyTheLastMegabyteOfALargeLogAndSaysSo) {
  constexpr std::size_t kMegabyte = 1024 * 1024;
  std::string previous = "1 - Nubivane Start\r\n2 - Error: the first run's own words\r\n";
  for (int i = 0; previous.size() < 3 * kMegabyte; ++i) {
    previous += "3 - Main: Error: Decode Metar -> EDDF 121150Z " + std::to_string(i) + "\r\n";
  }
  previous += "4 - Main: the last words\r\n";
  // The cut falls inside a line, not between its "\r" and "\n" (the mail would make that an
  // empty line of its own).
  ASSERT_NE(previous[previous.size() - kMegabyte], '\n');
  PutCatalogues();
  WriteBytes("nubivane.log", previous);
  testpeers::SmtpPeer peer;
  testsupport::SetEnvironment("NUBIVANE_SMTP_SERVER", "127.0.0.1");
  testsupport::SetEnvironment("NUBIVANE_SMTP_PORT", std::to_string(peer.Port()));
  guitest::DialogRecorder yes(wxID_YES);
  Open();
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_SERVER");
  testsupport::UnsetEnvironment("NUBIVANE_SMTP_PORT");
  ASSERT_TRUE(peer.WaitDone(10000));
  const std::string data = peer.Data();
  const std::string note = "(the log was cut, only its last 1048576 bytes follow)\r\n";
  const std::size_t noteAt = data.find("\r\n\r\n" + note);
  ASSERT_NE(noteAt, std::string::npos) << data.substr(0, 300);
  // After the note, up to the end of the data: the last megabyte, ":" made "-".
  std::string tail = previous.substr(previous.size() - kMegabyte);
  std::replace(tail.begin(), tail.end(), ':', '-');
  EXPECT_EQ(data.substr(noteAt + 4 + note.size()), tail + "\r\n.\r\n");
  EXPECT_EQ(data.find("the first run's own words"), std::string::npos);
}

TEST_F(WeatherStart, WithoutAirportDatTheWindowGoesAndTheSimulatorIsNotTouched) {
  PutCatalogues(false);
  SimStubScript script;
  script.readyFlag = 0;  // ready to fly, 0x333E at 0: a running writer would clear the weather
  SimStub stub(script);
  ASSERT_TRUE(stub.Start());

  Open(false);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Can't open airport.dat!");
  EXPECT_EQ(dialogs.boxes[0].caption, "Nubivane Error");
  EXPECT_EQ(dialogs.boxes[0].style & wxOK, wxOK);
  EXPECT_EQ(window->Writer, nullptr);
  EXPECT_NE(window->Loader, nullptr);
  // Never inside its constructor: the window goes once the event loop runs.
  EXPECT_FALSE(wxTheApp->IsScheduledForDestruction(window));
  EXPECT_TRUE(window->IsClosing());
  Weather* going = window;
  window = nullptr;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(10)));
  Settle();  // the library deletes it
  EXPECT_EQ(stub.MessagesReceived(), 0u);

  const std::vector<std::string> messages = Messages(Log());
  EXPECT_NE(std::find(messages.begin(), messages.end(), "Error: Can't open airport.dat!"), messages.end());
  EXPECT_EQ(messages.back(), "Main: Nubivane Close");
  EXPECT_EQ(std::find(messages.begin(), messages.end(), "FSUIPC: deleting thread"), messages.end());
}

// A catalogue far larger than any real one is refused as a missing one is, and the log says why.
TEST_F(WeatherStart, CataloguesOverTheSizeLimitAreRefusedAndTheLogSaysWhy) {
  PutCatalogues();
  for (const char* name : {"airport.dat", "station.dat"}) {
    std::filesystem::resize_file(name, 32u * 1024 * 1024 + 1);  // sparse: costs no disk
  }
  Open(false);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Can't open airport.dat!");
  Weather* going = window;
  window = nullptr;
  EXPECT_TRUE(SettleUntil([&] { return !Standing(going); }, std::chrono::seconds(10)));
  Settle();

  const std::vector<std::string> messages = Messages(Log());
  const auto at = [&messages](const std::string& line) {
    return std::find(messages.begin(), messages.end(), line) - messages.begin();
  };
  const std::string limit = " is larger than 32 MB (33554432 bytes), the most a catalogue may hold: not read";
  const auto tooLarge = at("Error: airport.dat" + limit);
  EXPECT_LT(tooLarge, at("Error: Can't open airport.dat!"));
  EXPECT_LT(at("Error: Can't open airport.dat!"), static_cast<long>(messages.size()));
  EXPECT_LT(at("InitWeather: station.dat" + limit), static_cast<long>(messages.size()));
}

TEST_F(WeatherStart, TheStoredGeometryIsKeptWhenItIsUsable) {
  PutCatalogues();
  WriteBytes("Nubivane.ini", "[General]\nFramePosX=40\nFramePosY=60\nFrameSizeX=900\nFrameSizeY=600\n");
  Open();
  EXPECT_EQ(window->GetRect(), wxRect(40, 60, 900, 600));
  ASSERT_TRUE(apptest::PutFrame(window, wxRect(50, 70, 910, 610)));
  Close();
  std::string ini = ReadBytes("Nubivane.ini");
  ini.erase(std::remove(ini.begin(), ini.end(), '\r'), ini.end());  // Windows ends its lines with CR LF
  EXPECT_NE(ini.find("FramePosX=50\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("FrameSizeY=610\n"), std::string::npos) << ini;
}

// The window manager's close box reaches the frame as a close request, as Close() makes it. Once
// the window manager has taken the frame off the screen GTK may report it at 0,0 until it is
// deleted; the hidden frame moved there plays that.
TEST_F(WeatherStart, TheStoredPlaceIsWhereTheFrameStoodWhenItWasClosed) {
  PutCatalogues();
  WriteBytes("Nubivane.ini", "[General]\nFramePosX=40\nFramePosY=60\nFrameSizeX=900\nFrameSizeY=600\n");
  Open();
  ASSERT_TRUE(apptest::PutFrame(window, wxRect(50, 70, 910, 610)));
  Weather* going = window;
  window = nullptr;
  EXPECT_TRUE(going->Close());
  going->Hide();
  going->Move(0, 0);
  // The ini is written as the window is deleted, not when its deletion is asked for.
  ASSERT_TRUE(SettleUntil([&] {
    return std::find(wxTopLevelWindows.begin(), wxTopLevelWindows.end(), going) == wxTopLevelWindows.end();
  }));
  std::string ini = ReadBytes("Nubivane.ini");
  for (std::size_t at; (at = ini.find("\r\n")) != std::string::npos;) ini.erase(at, 1);  // Windows line ends
  for (const char* key : {"FramePosX=50\n", "FramePosY=70\n", "FrameSizeX=910\n", "FrameSizeY=610\n"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
  }
}

std::string IniWithoutCarriageReturns() {
  std::string ini = ReadBytes("Nubivane.ini");
  ini.erase(std::remove(ini.begin(), ini.end(), '\r'), ini.end());  // Windows ends its lines with CR LF
  return ini;
}

#ifdef __WXGTK__
// (GTK: under X a window manager places the window; Windows places it where it is told.)

// GTK grows a frame, once a window manager has framed it, by that frame around the same client
// area. Until the keeper has undone that, and when the frame goes before it could (a close at
// once after the showing), the keeper still reports the size the frame was shown at.
TEST_F(WeatherStart, TheKeeperNeverReportsTheWindowManagersGrowth) {
  const wxRect placed(300, 200, 900, 600);
  auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("keeper"));
  frame->SetSize(placed);
  if (frame->GetClientSize() != placed.GetSize()) {
    frame->Destroy();
    // (ctest runs every test in a process of its own.)
    GTEST_SKIP()
        << "an earlier frame of this process taught GTK the window manager's frame: it grows no other";
  }
  FrameGeometryKeeper keeper;
  std::vector<wxSize> reported;  // while the frame stood grown
  bool closed = false;
  frame->Bind(wxEVT_SIZE, [&](wxSizeEvent& event) {
    event.Skip();
    if (closed || frame->GetSize() == placed.GetSize()) return;
    reported.push_back(keeper.Last().GetSize());
    // Closed while grown: what the close takes is stored.
    closed = true;
    frame->Close();
    reported.push_back(keeper.Last().GetSize());
  });
  ShowAtOnce(frame);
  keeper.Watch(frame, placed);
  frame->Show();
  SettleUntil(
      [&] {
        wxTheApp->Yield(true);
        return closed;
      },
      std::chrono::seconds(10));
  ASSERT_TRUE(closed) << "no window manager framed the frame";
  for (const wxSize& size : reported) EXPECT_EQ(size, placed.GetSize()) << size.x << "x" << size.y;
  Settle();
}

// Where the window manager puts the frame, its own frame around it included, and what the ini
// holds after the close: the same place and size run after run. A window manager may place a
// new window itself and reports it a moment after it is mapped; and the size it is shown at
// must not grow by the window manager's frame from one run to the next.
TEST_F(WeatherStart, TheFrameStandsWhereTheIniSaysRunAfterRun) {
  PutCatalogues();
  const wxRect stored(300, 200, 900, 600);
  WriteBytes("Nubivane.ini", "[General]\nFramePosX=300\nFramePosY=200\nFrameSizeX=900\nFrameSizeY=600\n");
  struct Run {
    const char* why;
    bool offerFirst;  // the previous run did not end cleanly: the report offer comes before the window
  };
  const Run runs[] = {
      {"after an unclean run, a box first", true}, {"a start", false}, {"the next start", false}};
  for (const Run& run : runs) {
    if (run.offerFirst) WriteBytes("nubivane.log", "1765440000 - Nubivane Start\r\n");
    bool offered = false;
    {
      // A person answers the box on the screen.
      guitest::RealModal person(
          [](const wxDialog* d) { return dynamic_cast<const wxMessageDialog*>(d) != nullptr; },
          [&offered](wxDialog* box) {
            offered = true;
            EXPECT_TRUE(modal_runs::AnswerNativeBox(box, modal_runs::kGtkResponseNo));
          });
      Open();
    }
    EXPECT_EQ(offered, run.offerFirst) << run.why;
    // The window manager's answers come as window events, which only a running event loop sees.
    SettleUntil(
        [&] {
          wxTheApp->Yield(true);
          return guitest::WindowManagerFrame(window) == stored;
        },
        std::chrono::seconds(10));
    const wxRect shown = guitest::WindowManagerFrame(window);
    EXPECT_EQ(shown, stored) << run.why << ": " << shown.x << "," << shown.y << " " << shown.width << "x"
                             << shown.height;
    Close();
    const std::string ini = IniWithoutCarriageReturns();
    for (const char* key : {"FramePosX=300\n", "FramePosY=200\n", "FrameSizeX=900\n", "FrameSizeY=600\n"}) {
      EXPECT_NE(ini.find(key), std::string::npos) << run.why << ": " << key << " in\n" << ini;
    }
  }
}
#endif

TEST_F(WeatherStart, AWindowOffEveryScreenOrTooSmallComesBack) {
  PutCatalogues();
  WriteBytes("Nubivane.ini", "[General]\nFramePosX=-30000\nFramePosY=40000\nFrameSizeX=3\nFrameSizeY=-8\n");
  Open();
  const wxRect placed = window->GetRect();
  const wxRect screen = wxDisplay(0u).GetClientArea();
  EXPECT_TRUE(screen.Contains(placed.GetTopLeft())) << placed.x << "," << placed.y;
  EXPECT_GE(placed.width, window->GetBestSize().x);
  EXPECT_GE(placed.height, window->GetBestSize().y);
  // The link's version text shows whole in its status field.
  wxRect field;
  ASSERT_TRUE(window->StatusBar->GetFieldRect(2, field));
  EXPECT_GE(field.width, window->StatusBar->GetTextExtent("FS2004 - FSUIPC-Ver: 3.650").x);
  // Nor can it be made smaller than that afterwards.
  window->SetSize(wxSize(200, 100));
  Settle();
  EXPECT_GE(window->GetSize().x, window->GetBestSize().x);
  EXPECT_GE(window->GetSize().y, window->GetBestSize().y);
  EXPECT_GE(window->GetMinSize().x, window->GetBestSize().x);
  EXPECT_GE(window->GetMinSize().y, window->GetBestSize().y);
}

TEST_F(WeatherStart, TheLoaderReportsThroughTheWindow) {
  PutCatalogues();
  Open();
  window->MetarText = testsupport::ReadLatin1(testsupport::SharedDataPath("metar-cycle-sample.txt"));
  window->ProgressGauge->Show();
  window->Loader->HandOver().Request({window->MetarText, window->UpperairText, window->SynopText});
  ASSERT_TRUE(SettleUntil([&] { return window->ProgressLabel->GetLabel() == "Ready"; }));
  EXPECT_FALSE(window->ProgressGauge->IsShown());
  EXPECT_TRUE(window->Loader->HandOver().IsReady());
  ASSERT_TRUE(SettleUntil([&] { return !window->Stations.empty(); }));
  EXPECT_GT(window->Stations.size(), 5000u);
  EXPECT_EQ(window->StatusBar->GetStatusText(1),
            wxString::Format("Metar: %i Upperair: 0 Synop: 0", static_cast<int>(window->Stations.size())));
  EXPECT_EQ(window->Stations.front().Raw.Left(4), window->Stations.front().Icao);
}

TEST_F(WeatherStart, TheLoadersAirportBoxIsShownByTheWindow) {
  PutCatalogues();
  Open();
  std::remove("airport.dat");
  window->Loader->HandOver().Request({wxS("EDDF 121150Z 27010KT\n"), wxString(), wxString()});
  ASSERT_TRUE(SettleUntil([&] { return window->ProgressLabel->GetLabel() == "Ready"; }));
  Settle();
  ASSERT_EQ(dialogs.boxes.size(), 1u);  // the loader's own box, not the library's report besides
  EXPECT_EQ(dialogs.boxes[0].message, "Can not open airport.dat");
  EXPECT_EQ(dialogs.boxes[0].caption, "Error");
  EXPECT_EQ(dialogs.boxes[0].style & (wxOK | wxCENTRE), wxOK | wxCENTRE);
  EXPECT_TRUE(dialogs.boxes[0].onGuiThread);
  EXPECT_EQ(window->StatusBar->GetStatusText(1), "Metar: 0 Upperair: 0 Synop: 0");
}

TEST_F(WeatherStart, TheWritersReportsReachTheControls) {
  PutCatalogues();
  Open();
  ASSERT_NE(window->Writer, nullptr);
  std::thread worker([sink = window, &box = window->Writer->Progress()] {
    WriterProgressPublisher post(box, sink);
    post.Status("not connected");
    post.GaugeShown(true);
    post.Gauge(3, 2);
    post.Label("Send Station EDDB, 2 from 3");
    post.SendItem(true);
  });
  worker.join();
  ASSERT_TRUE(SettleUntil([&] { return window->MainMenu->IsEnabled(kIdSendWxToFs); }));
  EXPECT_EQ(window->StatusBar->GetStatusText(2), "not connected");
  EXPECT_TRUE(window->ProgressGauge->IsShown());
  EXPECT_EQ(window->ProgressGauge->GetRange(), 3);
  EXPECT_EQ(window->ProgressGauge->GetValue(), 2);
  EXPECT_EQ(window->ProgressLabel->GetLabel(), "Send Station EDDB, 2 from 3");
}

// The pictures of the main window as a user first sees it, kept under the build folder: once
// start-up has found the simulator, and while the loader splits a feed. Every text in them is the
// window's own.
TEST_F(WeatherStart, ScreenshotAfterStartUp) {
  SimStub stub;
  ASSERT_TRUE(stub.Start());
  PutCatalogues();
  Open();
  ASSERT_TRUE(
      SettleUntil([&] { return window->StatusBar->GetStatusText(2) == "FS2004 - FSUIPC-Ver: 3.650"; }));
  EXPECT_EQ(window->StatusBar->GetStatusText(3), wxS("v" NUB_PROJECT_VERSION_DOTTED " BETA"));
  EXPECT_FALSE(window->ProgressGauge->IsShown());
  guitest::PaintNow(window);
  const wxString path = guitest::SaveWindowScreenshot(window, "main_window_after_start");
  ASSERT_FALSE(path.empty());
  std::printf("main window screenshot: %s\n", static_cast<const char*>(path.utf8_str()));

  // The gauge stands while the download step's split runs.
  const std::string bytes = ReadBytes(testsupport::SharedDataPath("metar-cycle-sample.txt"));
  testpeers::HttpPeer feed({{"/metar_NOAA.txt", 200, bytes}});
  testsupport::SetEnvironment("NUBIVANE_UPDATE_HOST", feed.BaseUrl().c_str());
  testsupport::SetEnvironment("NUBIVANE_VATSIM_HOST", feed.BaseUrl().c_str());
  window->Options.Metar = 3;
  window->Loader->SetSleep(5);
  wxCommandEvent menu(wxEVT_MENU, kIdDownloadWx);
  window->ProcessWindowEvent(menu);
  testsupport::UnsetEnvironment("NUBIVANE_UPDATE_HOST");
  testsupport::UnsetEnvironment("NUBIVANE_VATSIM_HOST");
  ASSERT_TRUE(SettleUntil([&] {
    return window->ProgressGauge->IsShown() && window->ProgressLabel->GetLabel().StartsWith("Init Metar ") &&
           window->ProgressGauge->GetValue() > 0;
  }));
  guitest::PaintNow(window);
  const wxString working = guitest::SaveWindowScreenshot(window, "main_window_loading");
  ASSERT_FALSE(working.empty());
  std::printf("main window screenshot: %s\n", static_cast<const char*>(working.utf8_str()));
}

TEST(PlaceFrame, KeepsAUsableGeometryAndBringsBackTheOthers) {
  const std::vector<wxRect> screens = {wxRect(0, 0, 1280, 1024), wxRect(1280, 0, 1024, 768)};
  const wxSize minimum(680, 370);
  struct Case {
    wxRect stored;
    wxRect placed;
    const char* why;
  };
  const Case cases[] = {
      {{10, 10, 700, 400}, {10, 10, 700, 400}, "the defaults of a first start, made usable"},
      {{10, 10, 630, 360}, {10, 10, 680, 370}, "smaller than every control needs"},
      {{1500, 100, 800, 500}, {1500, 100, 800, 500}, "on the second screen"},
      {{-600, 100, 700, 400}, {-600, 100, 700, 400}, "half off the left edge: its caption can be grabbed"},
      {{-5000, 100, 700, 400}, {10, 10, 700, 400}, "far off to the left"},
      {{100, -300, 700, 400}, {10, 10, 700, 400}, "caption above the screen"},
      {{100, 1020, 700, 400}, {10, 10, 700, 400}, "below the screen"},
      {{3000, 3000, 0, -5}, {10, 10, 680, 370}, "off and of no size"},
      {{50, 50, 40000, 30000}, {50, 50, 40000, 30000}, "too large, but it can be grabbed and made smaller"},
  };
  for (const Case& c : cases) EXPECT_EQ(PlaceFrame(c.stored, screens, minimum), c.placed) << c.why;
  EXPECT_EQ(PlaceFrame(wxRect(-5000, 0, 100, 100), {}, minimum), wxRect(-5000, 0, 680, 370));
}

}  // namespace
