#include "app/option_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <clocale>
#include <memory>
#include <string>

#include "common/test_paths.h"
#include "dialog_test_env.h"
#include "gui_common/dialog_recorder.h"
#include "options/option_ini.h"

namespace {

using dialogtest::Ending;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// The main window stands behind the dialog, which is centred on it.
class OptionDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, wxS("Nubivane lite"), wxPoint(100, 100), wxSize(743, 417));
    frame->Show();
  }
  void TearDown() override {
    dialog.reset();
    frame->Destroy();
    dialogtest::Settle();
  }

  ClOption& Open() {
    dialog = std::make_unique<ClOption>(frame, &options);
    return *dialog;
  }

  testsupport::ScopedWorkDir dir;
  guitest::DialogRecorder boxes;
  wxFrame* frame = nullptr;
  OptionData options;
  std::unique_ptr<ClOption> dialog;
};

TEST_F(OptionDialogTest, WithoutAnIniTheDefaultsAreShown) {
  ClOption& option = Open();
  EXPECT_TRUE(option.VatsimRadio->GetValue());
  EXPECT_EQ(option.UpdateSlider->GetValue(), 20);
  EXPECT_EQ(option.RangeSpin->GetValue(), 300);
  EXPECT_EQ(option.CloudLayersSpin->GetValue(), 3);
  EXPECT_EQ(option.WindShiftSpin->GetValue(), 90);
  EXPECT_TRUE(option.CirrusCheck->GetValue());
  EXPECT_FALSE(option.UpperairCheck->GetValue());
  EXPECT_FALSE(option.IvaoRadio->IsEnabled());
  EXPECT_EQ(options.wxRange, 300);
}

struct FeedCase {
  const char* ini;
  const char* selected;
  int afterOk;
};

TEST_F(OptionDialogTest, TheFeedOfTheIniIsSelected) {
  const FeedCase cases[] = {
      {"[General]\nMetar=2\n", "IVAO", 2},  // the disabled button, kept by OK
      {"[General]\nMetar=7\n", "NOAA", 3},
      {"[General]\nMetar=1\n", "VATSIM", 1},
  };
  for (const FeedCase& c : cases) {
    WriteBytes("Nubivane.ini", c.ini);
    ClOption& option = Open();
    const char* selected = option.VatsimRadio->GetValue() ? "VATSIM"
                           : option.IvaoRadio->GetValue() ? "IVAO"
                           : option.NoaaRadio->GetValue() ? "NOAA"
                                                          : "none";
    EXPECT_STREQ(selected, c.selected) << c.ini;
    EXPECT_FALSE(option.IvaoRadio->IsEnabled());
    guitest::RunModal(&option, [&] { dialogtest::Click(option.OkButton); });
    EXPECT_EQ(options.Metar, c.afterOk) << c.ini;
  }
}

TEST_F(OptionDialogTest, OkStoresWhatThePersonTyped) {
  ClOption& option = Open();
  guitest::RunModal(&option, [&] {
    dialogtest::TypeInto(option.RangeSpin, "5000");
    dialogtest::TypeInto(option.WindShiftSpin, "abc");
    dialogtest::Click(option.UpperairCheck);
    dialogtest::Click(option.NoaaRadio);
    dialogtest::Click(option.WindSmoothingCheck);
    dialogtest::Click(option.OkButton);
  });
  EXPECT_EQ(options.wxRange, 3000);
  EXPECT_EQ(options.MaxWindShift, 10);
  EXPECT_TRUE(options.DwlUpperair);
  EXPECT_EQ(options.Metar, 3);
  EXPECT_TRUE(options.FSUIPCWindSmoothing);

  OptionData stored;
  ASSERT_TRUE(LoadIni(&stored));
  EXPECT_EQ(stored.wxRange, 3000);
  EXPECT_EQ(stored.Metar, 3);
  EXPECT_TRUE(stored.DwlUpperair);
  const std::string ini = ReadBytes("Nubivane.ini");
  for (const char* key :
       {"Metar=3", "Weatherupdate=20", "DwlUpperair=1", "DwlAddWeather=0", "DwlStartup=0", "FramePosX=10",
        "FramePosY=10", "FrameSizeX=630", "FrameSizeY=360", "CheckUpdateStartup=0", "wxRange=3000",
        "GenerateCirus=1", "Cloudmixed=0", "Cloudlayer=3", "SurfaceWindGust=0", "TurbulenceCloud=0",
        "FSUIPCWindSmoothing=1", "MaxWindShift=10"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << " in\n" << ini;
  }
}

TEST_F(OptionDialogTest, EveryWayOutEndsTheDialog) {
  ClOption& option = Open();
  for (Ending ending : {Ending::kOk, Ending::kCancel, Ending::kEscape, Ending::kCloseBox}) {
    const int result = guitest::RunModal(
        &option, [&] { dialogtest::End(&option, ending, option.OkButton, option.CancelButton); });
    EXPECT_FALSE(option.IsShown()) << dialogtest::Name(ending);
    EXPECT_EQ(result, ending == Ending::kOk ? wxID_OK : wxID_CANCEL) << dialogtest::Name(ending);
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(boxes.others, 0);
}

// What Cancel leaves: the block and the file as they were, the controls as the person left them.
TEST_F(OptionDialogTest, CancelKeepsTheEditsInTheControlsOnly) {
  ClOption& option = Open();
  guitest::RunModal(&option, [&] { dialogtest::Click(option.OkButton); });
  const std::string before = ReadBytes("Nubivane.ini");
  guitest::RunModal(&option, [&] {
    dialogtest::Click(option.MixedCloudsCheck);
    dialogtest::Click(option.GustyWindCheck);
    dialogtest::Click(option.CancelButton);
  });
  EXPECT_FALSE(options.Cloudmixed);
  EXPECT_FALSE(options.SurfaceWindGust);
  EXPECT_EQ(ReadBytes("Nubivane.ini"), before);
  EXPECT_TRUE(option.MixedCloudsCheck->GetValue());
  EXPECT_TRUE(option.GustyWindCheck->GetValue());

  guitest::RunModal(&option, [&] { dialogtest::Click(option.OkButton); });
  EXPECT_TRUE(options.Cloudmixed);
  EXPECT_TRUE(options.SurfaceWindGust);
}

TEST_F(OptionDialogTest, ApplyStoresAndStaysOpen) {
  ClOption& option = Open();
  const auto stored = [] { return ReadBytes("Nubivane.ini").find("TurbulenceCloud=1") != std::string::npos; };
  bool appliedOpen = false;
  bool appliedAgain = false;
  guitest::RunModal(&option, [&] {
    dialogtest::Click(option.TurbulenceCheck);
    dialogtest::Click(option.ApplyButton);
    appliedOpen = dialogtest::WaitUntil(stored) && option.IsShown() && options.TurbulenceCloud;
    // A second Apply writes the file again, also without a change.
    ::remove("Nubivane.ini");
    dialogtest::Click(option.ApplyButton);
    appliedAgain = dialogtest::WaitUntil(stored) && option.IsShown();
    dialogtest::Click(option.CancelButton);
  });
  EXPECT_TRUE(appliedOpen);
  EXPECT_TRUE(appliedAgain);
  EXPECT_TRUE(options.TurbulenceCloud);
  EXPECT_TRUE(stored());
}

TEST_F(OptionDialogTest, DeletingTheDialogWritesTheIni) {
  Open();
  options.FramePosX = 321;  // what the main window stores just before
  dialog.reset();
  OptionData stored;
  ASSERT_TRUE(LoadIni(&stored));
  EXPECT_EQ(stored.FramePosX, 321);
}

TEST_F(OptionDialogTest, LabelsKeepTheirDegreeSignInTheCLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  ClOption& option = Open();
  EXPECT_EQ(option.WindShiftLabel->GetLabel(), wxString::FromUTF8("max. Wind Shift in \xc2\xb0:"));
  std::setlocale(LC_ALL, previous.c_str());
}

TEST_F(OptionDialogTest, NothingIsClippedAndThePictureIsKept) {
  WriteBytes("Nubivane.ini", "[Weather]\nwxRange=3000\n[Wind]\nMaxWindShift=180\n[Cloud]\nCloudlayer=16\n");
  ClOption& option = Open();
  guitest::RunModal(&option, [&] {
    dialogtest::ExpectWholeAndKeepPicture(&option, wxS("option_dialog"), option.CancelButton);
  });
}

}  // namespace
