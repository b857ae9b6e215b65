#include <gtest/gtest.h>
#include <wx/modalhook.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/core/weather_text.h"
#include "app/main_window/weather_test_env.h"
#include "dialog_test_env.h"
#include "gui_common/screenshot.h"
#include "peers/http_peer.h"
#include "peers/update_doubles.h"
#include "reports/upperair.h"

namespace {

using testsupport::WriteBytes;

const wxString kBerlin =
    wxS("EDDB 171150Z 12009KT 2000 R07R/1300VP2000D -SN BR SCT008 BKN018 M01/M03 Q1012 R07/29//95 TEMPO SN "
        "BKN008");
// Essen's sounding of the sample bulletin (wind in metres per second).
const wxString kEssen =
    wxS("TTAA 12001 10410 99008 08458 24006 00073 07858 24007 92727 04257 25011 85448 00658 26013 70035 "
        "06157 27017 "
        "50573 20157 27523 40741 31158 27528 30945 45556 27535 25065 53558 27540 20209 55557 27533 15395 "
        "57357 27524 "
        "10651 59556 26517 88223 55357 27541 77265 27542 41011 31313 58708 81104 51515 10164 00085 10194 "
        "26520 25516");

// The main window with the lists a split of the real reports would have left it.
class WeatherDisplayTest : public apptest::WeatherTest {
 protected:
  void Load(const std::vector<wxString>& metars, const std::vector<wxString>& soundings = {}) {
    for (const wxString& raw : metars) {
      MetarRecord station;
      station.Raw = raw;
      ASSERT_TRUE(window->Metar->FindMetarStation(&station)) << raw;
      window->Stations.push_back(station);
    }
    Upperair catalogue;
    for (const wxString& raw : soundings) {
      UpperairRecord ttaa;
      ttaa.Raw = raw;
      ASSERT_TRUE(catalogue.FindTTAAStation(&ttaa));
      window->Ttaa.push_back(ttaa);
    }
  }

  // What a person does: type into the field and press Enter.
  void EnterIcao(const char* typed) {
    dialogtest::TypeInto(window->IcaoText, typed);
    wxUIActionSimulator keys;
    keys.Char(WXK_RETURN);
  }

  std::vector<std::string> ReportLines() const {
    std::vector<std::string> lines;
    wxString text = window->ReportText->GetValue();
    text.Replace(wxS("\r\n"), wxS("\n"));
    for (const wxString& line : wxSplit(text, '\n', 0)) lines.push_back(line.utf8_string());
    return lines;
  }

  std::vector<std::string> TableRows() const {
    std::vector<std::string> rows;
    for (long row = 0; row < window->UpperairList->GetItemCount(); ++row) {
      std::string text;
      for (int column = 0; column < kUpperairColumns; ++column) {
        text += (column ? " | " : "") + window->UpperairList->GetItemText(row, column).utf8_string();
      }
      rows.push_back(text);
    }
    return rows;
  }
};

TEST_F(WeatherDisplayTest, AnEnteredStationIsShownWithItsUpperAir) {
  PutCatalogues();
  Open();
  window->Options.DwlUpperair = true;
  // Nothing loaded yet: the field turns red, and white again once there are reports.
  EnterIcao("eddb");
  ASSERT_TRUE(dialogtest::WaitUntil([&] { return !window->ProgressLabel->GetLabel().empty(); }));
  ASSERT_EQ(window->IcaoText->GetBackgroundColour(), wxColour(200, 0, 0));
  // Two reports of the station: the first one in the list is the one shown.
  Load({wxS("EDDF 141520Z 09009KT CAVOK 16/02 Q1022 NOSIG"), kBerlin,
        wxS("EDDB 171220Z 30015KT 9999 FEW030 05/M01 Q1020")},
       {kEssen});
  window->StationList->Append(wxS("EDDF 141520Z 09009KT CAVOK 16/02 Q1022 NOSIG"));
  EnterIcao("eddb");
  ASSERT_TRUE(dialogtest::WaitUntil([&] { return window->UpperairList->GetItemCount() > 0; }));

  EXPECT_EQ(window->IcaoText->GetValue(), wxS("EDDB"));
  EXPECT_EQ(window->StationList->GetString(0), kBerlin);  // on top of what stood there
  EXPECT_EQ(window->StationList->GetCount(), 2u);
  const std::vector<std::string> lines = ReportLines();
  ASSERT_GE(lines.size(), 16u);
  EXPECT_EQ(lines[0], "ICAO: EDDB");
  EXPECT_EQ(lines[1], "Name: Berlin-Schoenefeld");
  EXPECT_EQ(lines[4], "Wind direction: 120°");
  EXPECT_EQ(lines[12], "WindStation: 10410");
  EXPECT_EQ(lines[15], "Dist. Synopstation: -1 NM");
  EXPECT_EQ(window->ProgressLabel->GetLabel(), wxS(" No Synop station "));
  EXPECT_EQ(window->IcaoText->GetBackgroundColour(), wxColour(255, 255, 255));

  const std::vector<std::string> rows = TableRows();
  ASSERT_GE(rows.size(), 10u);
  // The surface row carries the METAR's wind, the upper winds are turned by its difference.
  EXPECT_NE(rows.front().find("| 1008 mb | 120° | 9 kt | 8.4 °C | 0.4 °C |"), std::string::npos)
      << rows.front();
  // Essen's 850 mb level at 1448 m above sea level: 4751 ft, with no station elevation added.
  EXPECT_NE(std::find_if(rows.begin(), rows.end(),
                         [](const std::string& row) { return row.rfind("4751 ft | 850 mb |", 0) == 0; }),
            rows.end());
  EXPECT_EQ(rows.back().rfind("tropopause | 223 mb |", 0), 0u) << rows.back();
  EXPECT_NE(Log().find("Main: Enter Metar-ICAO -> EDDB"), std::string::npos);

  // Room for the whole table and the whole report text.
  window->SetSize(wxSize(1100, 640));
  window->StatusBar->SetStatusText(wxS("Update in 1140s"), 0);
  window->StatusBar->SetStatusText(wxS("Metar: 2 Upperair: 1"), 1);
  const wxString picture = guitest::SaveWindowScreenshot(window, wxS("main_window_station"));
  EXPECT_FALSE(picture.empty());
}

TEST_F(WeatherDisplayTest, WithoutReportsTheFieldTurnsRed) {
  PutCatalogues();
  Open();
  EnterIcao("EDDB");
  ASSERT_TRUE(dialogtest::WaitUntil([&] { return !window->ProgressLabel->GetLabel().empty(); }));
  EXPECT_EQ(window->ProgressLabel->GetLabel(), wxS("Metar not load!"));
  EXPECT_EQ(window->IcaoText->GetBackgroundColour(), wxColour(200, 0, 0));
}

TEST_F(WeatherDisplayTest, UnknownAndUndecodableStations) {
  PutCatalogues();
  Open();
  Load({kBerlin, wxS("EDDF 141520Z 09009KT CAVOK 16/02 NOSIG")});
  window->ReportText->SetValue(wxS("earlier station"));
  window->UpperairList->InsertItem(0, wxS("earlier station's level"));
  EnterIcao("EDD");
  ASSERT_TRUE(dialogtest::WaitUntil([&] { return !window->ProgressLabel->GetLabel().empty(); }));
  EXPECT_EQ(window->ProgressLabel->GetLabel(), wxS("Metar not found!"));
  EXPECT_TRUE(window->ReportText->GetValue().empty());
  EXPECT_EQ(window->StationList->GetCount(), 0u);
  EXPECT_EQ(window->UpperairList->GetItemCount(), 0) << "an entry starts with an empty table";

  // No pressure: the report does not decode; it is listed, and the text stays as it was.
  window->ReportText->SetValue(wxS("earlier station"));
  EnterIcao("eddf");
  ASSERT_TRUE(dialogtest::WaitUntil([&] { return window->StationList->GetCount() == 1; }));
  EXPECT_EQ(window->ReportText->GetValue(), wxS("earlier station"));
  EXPECT_EQ(window->UpperairList->GetItemCount(), 0);
  EXPECT_NE(Log().find("Main: Error: Decode Metar -> EDDF 141520Z 09009KT CAVOK 16/02 NOSIG"),
            std::string::npos);
}

// The menu item against the update host, with the shell's start of the setup program recorded.
TEST_F(WeatherDisplayTest, CheckForUpdatesInstallsANewerVersionAndTheWindowGoes) {
  testpeers::HttpPeer host({{"/checkVersionNubivanelite.php", 200, "9.99.9\r\n"},
                            {"/source/Nubivane%20Lite%20Setup.exe", 200, "MZ setup"}});
  ScopedUpdateHost updateHost(host.BaseUrl());
  ShellRecorder shell;
  PutCatalogues();
  Open();
  guitest::DialogRecorder yes(wxID_YES);
  wxCommandEvent choice(wxEVT_MENU, kIdCheckUpdates);
  window->ProcessWindowEvent(choice);
  ASSERT_EQ(yes.boxes.size(), 1u);
  EXPECT_EQ(yes.boxes[0].message, wxS("Download Version v9.99.9?"));
  EXPECT_EQ(shell.opened, std::vector<wxString>{wxS("Nubivane Lite Setup.exe")});
  EXPECT_TRUE(apptest::SettleUntil([&] { return !apptest::Standing(window); }));
  apptest::Settle();  // the library deletes it at the idle after it asked
  window = nullptr;
  EXPECT_NE(Log().find("Main: Nubivane Close"), std::string::npos);
}

// What the window shows of a box of the check: whether it could be used meanwhile.
class WindowAtTheBox : public wxModalDialogHook {
 public:
  explicit WindowAtTheBox(Weather* window) : window_(window) { Register(); }
  ~WindowAtTheBox() override { Unregister(); }

  std::vector<bool> enabled;

 protected:
  int Enter(wxDialog*) override {
    enabled.push_back(window_->IsEnabled());
    return wxID_NONE;  // the recorder answers
  }
  void Exit(wxDialog*) override {}

 private:
  Weather* window_;
};

// The check's download shows its progress on the window's label and gauge; the check clears
// both, and the window takes no input while the check's box stands.
TEST_F(WeatherDisplayTest, CheckForUpdatesClearsItsProgressAndHoldsTheWindow) {
  testpeers::HttpPeer host({{"/checkVersionNubivanelite.php", 200, "0.0.1\r\n"}});
  ScopedUpdateHost updateHost(host.BaseUrl());
  PutCatalogues();
  Open();
  window->ProgressLabel->SetLabel(wxS("earlier label"));
  WindowAtTheBox atBox(window);
  wxCommandEvent choice(wxEVT_MENU, kIdCheckUpdates);
  window->ProcessWindowEvent(choice);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, wxS("Your version is up to date."));
  EXPECT_EQ(atBox.enabled, std::vector<bool>{false});
  EXPECT_TRUE(window->IsEnabled());
  EXPECT_EQ(window->ProgressLabel->GetLabel(), wxEmptyString);
  EXPECT_FALSE(window->ProgressGauge->IsShown());
}

// The menu's check reads no more of an answer than a version can be: a megabyte announced is
// refused before its body comes, one that trickles in without a length (40 bytes a second for
// 10 s) once 65 bytes have come; either is a failed check.
TEST_F(WeatherDisplayTest, CheckForUpdatesRefusesAnAnswerLongerThanAnyVersion) {
  std::string megabyte;
  while (megabyte.size() < (1u << 20)) megabyte += "1.";
  megabyte += "1";
  const testpeers::HttpRoute cases[] = {
      {"/checkVersionNubivanelite.php", 200, megabyte},
      {"/checkVersionNubivanelite.php", 200, "1.", false, SIZE_MAX, false, 0, true, 50, 200},
  };
  PutCatalogues();
  Open();
  for (const testpeers::HttpRoute& route : cases) {
    SCOPED_TRACE(route.announceLength ? "a megabyte announced" : "a trickle without a length");
    testpeers::HttpPeer host({route});
    ScopedUpdateHost updateHost(host.BaseUrl());
    dialogs.boxes.clear();
    const auto start = std::chrono::steady_clock::now();
    wxCommandEvent choice(wxEVT_MENU, kIdCheckUpdates);
    window->ProcessWindowEvent(choice);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].caption, wxS("ERROR"));
    EXPECT_EQ(dialogs.boxes[0].message, wxS("Couldn't connect to Update Server"));
  }
}

TEST_F(WeatherDisplayTest, AtStartUpAnUnreachableHostSaysSo) {
  std::unique_ptr<ScopedUpdateHost> updateHost;
  {
    testpeers::HttpPeer gone({});
    updateHost = std::make_unique<ScopedUpdateHost>(gone.BaseUrl());
  }
  WriteBytes("Nubivane.ini", "[General]\nCheckUpdateStartup=1\n");
  PutCatalogues();
  Open();
  bool seen = false;
  for (const guitest::SeenBox& box : dialogs.boxes) {
    seen = seen || (box.caption == wxS("ERROR") && box.message == wxS("Couldn't connect to Update Server"));
  }
  EXPECT_TRUE(seen);
}

}  // namespace
