#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/about_dialog.h"
#include "app/main_window/weather_test_env.h"
#include "app/manual_weather_dialog.h"
#include "app/option_dialog.h"
#include "dialog_test_env.h"
#include "gui_common/real_modal.h"
#include "gui_common/screenshot.h"
#include "manual_weather_bytes.h"
#include "options/option_ini.h"
#include "sim_stub.h"
#include "simlink/fsuipc_worker.h"

namespace {

using apptest::SettleUntil;

// The dialogs as the main window's menu opens them.
class MenuTest : public apptest::WeatherTest {
 protected:
  void Choose(int item) {
    wxCommandEvent choice(wxEVT_MENU, item);
    choice.SetEventObject(window);
    window->ProcessWindowEvent(choice);
  }
};

TEST_F(MenuTest, OptionStoresIntoTheBlockTheWindowWorksWith) {
  PutCatalogues();
  Open();
  guitest::RealModal person(guitest::DialogsOf<ClOption>(), [](wxDialog* shown) {
    auto* option = static_cast<ClOption*>(shown);
    dialogtest::TypeInto(option->RangeSpin, "1000");
    dialogtest::Click(option->UpperairCheck);
    dialogtest::Click(option->OkButton);
  });
  Choose(kIdOption);
  EXPECT_EQ(window->Options.wxRange, 1000);
  EXPECT_TRUE(window->Options.DwlUpperair);
  EXPECT_TRUE(window->Options.AlignUpperWinds);  // not the dialog's: it stays as the start-up set it
  OptionData stored;
  ASSERT_TRUE(LoadIni(&stored));
  EXPECT_EQ(stored.wxRange, 1000);

  // The window's end stores its place through the same dialog: where the library says the frame
  // stands once the window manager has put it.
  ASSERT_TRUE(apptest::PutFrame(window, wxRect(50, 70, 910, 610)));
  const wxRect frame = window->GetRect();
  Close();
  ASSERT_TRUE(LoadIni(&stored));
  EXPECT_EQ(stored.wxRange, 1000);
  EXPECT_EQ(stored.FramePosX, frame.x);
  EXPECT_EQ(stored.FramePosY, frame.y);
  EXPECT_EQ(stored.FrameSizeX, frame.width);
  EXPECT_EQ(stored.FrameSizeY, frame.height);
}

TEST_F(MenuTest, F1OpensTheAboutDialog) {
  PutCatalogues();
  Open();
  bool shown = false;
  guitest::RealModal person(guitest::DialogsOf<NubivaneAbout>(), [&](wxDialog* about) {
    shown = true;
    dialogtest::Click(static_cast<NubivaneAbout*>(about)->OkButton);
  });
  guitest::PaintNow(window);
  dialogtest::Click(window->StationList);
  wxUIActionSimulator keys;
  keys.Char(WXK_F1);
  EXPECT_TRUE(dialogtest::WaitUntil([&] { return shown; }, 10000));
  // Deleted when it closed: no About dialog is left.
  EXPECT_TRUE(dialogtest::WaitUntil(
      [] {
        for (wxWindow* w : wxTopLevelWindows)
          if (dynamic_cast<NubivaneAbout*>(w) != nullptr) return false;
        return true;
      },
      10000));
}

// The dialog shares the link the writer thread keeps open with the simulator's stand-in.
TEST_F(MenuTest, SetFsWeatherWritesThroughTheWritersLink) {
  SimStubScript script;
  script.offset333E = 2;  // the writer leaves the simulator's weather alone when it first connects
  SimStub stub(script);
  ASSERT_TRUE(stub.Start());
  PutCatalogues();
  Open();
  ASSERT_TRUE(
      SettleUntil([&] { return window->Writer->State() == kWriterConnected; }, std::chrono::seconds(20)));

  const auto received = [&stub](const char* kind) {
    std::vector<SimStubEvent> found;
    for (const SimStubEvent& event : stub.Events())
      if (event.kind == kind) found.push_back(event);
    return found;
  };
  guitest::RealModal person(guitest::DialogsOf<NubivaneSetFSWX>(), [&](wxDialog* shown) {
    auto* setWeather = static_cast<NubivaneSetFSWX*>(shown);
    dialogtest::Click(setWeather->ClearWXButton);
    dialogtest::WaitUntil([&] { return !received("command").empty(); });
    dialogtest::TypeInto(setWeather->StationText, "EDDB");
    dialogtest::Click(setWeather->OkButton);
  });
  wxCommandEvent choice(wxEVT_MENU, window->WeatherMenu->FindItem(wxS("Set FS Weather")));
  window->ProcessWindowEvent(choice);

  const std::vector<SimStubEvent> commands = received("command");
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].value, 3u);
  ASSERT_TRUE(SettleUntil([&] { return !received("record").empty(); }));
  const std::vector<SimStubEvent> records = received("record");
  ASSERT_EQ(records.size(), 1u);
  const std::vector<std::uint8_t> expected = manualbytes::Record({{8, {'E', 'D', 'D', 'B'}}});
  EXPECT_EQ(records[0].bytes, expected) << manualbytes::Differences(records[0].bytes, expected);
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
