#include "app/option_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <clocale>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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
  void SetUp() override { frame = dialogtest::ShowMainWindowStandIn(); }
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

// The person moves the slider to its right end with the keyboard.
void SlideToTheEnd(wxSlider* slider) {
  dialogtest::Click(slider);
  slider->SetFocus();
  wxUIActionSimulator person;
  person.Char(WXK_END);
}

// The ini file's lines, each "key=value".
// Typed into the wind-shift spin (10 to 180): a text that does not start with a number gives the
// lower end. Windows' spin field takes no letters, so there the person types a number under the
// range, which gives the same.
#ifdef __WXMSW__
constexpr const char* kNotANumber = "5";
#else
constexpr const char* kNotANumber = "abc";
#endif

std::set<std::string> IniLines() {
  std::set<std::string> lines;
  std::istringstream ini(ReadBytes("Nubivane.ini"));
  for (std::string line; std::getline(ini, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows line ends
    lines.insert(line);
  }
  return lines;
}

// Every key of the file after OK: each control the person changed away from its default, and
// check boxes of a pair set apart, so that no control is stored under another's key.
TEST_F(OptionDialogTest, OkStoresWhatThePersonTyped) {
  struct Case {
    const char* name;
    std::function<void(ClOption&)> person;
    std::vector<std::string> keys;
  };
  const Case cases[] = {
      {"every control changed",
       [](ClOption& o) {
         dialogtest::Click(o.NoaaRadio);
         SlideToTheEnd(o.UpdateSlider);
         for (wxWindow* check :
              std::initializer_list<wxWindow*>{o.UpperairCheck, o.AddWeatherCheck, o.StartupUpdateCheck,
                                               o.StartupDownloadCheck, o.CirrusCheck, o.MixedCloudsCheck,
                                               o.GustyWindCheck, o.TurbulenceCheck, o.WindSmoothingCheck}) {
           dialogtest::Click(check);
         }
         dialogtest::TypeInto(o.RangeSpin, "5000");
         dialogtest::TypeInto(o.CloudLayersSpin, "7");
         dialogtest::TypeInto(o.WindShiftSpin, kNotANumber);
       },
       {"Metar=3", "Weatherupdate=100", "DwlUpperair=1", "DwlAddWeather=1", "DwlStartup=1",
        "CheckUpdateStartup=1", "wxRange=3000", "GenerateCirus=0", "Cloudmixed=1", "Cloudlayer=7",
        "SurfaceWindGust=1", "TurbulenceCloud=1", "FSUIPCWindSmoothing=1", "MaxWindShift=10"}},
      {"one of each pair",
       [](ClOption& o) {
         dialogtest::Click(o.AddWeatherCheck);
         dialogtest::Click(o.StartupUpdateCheck);
         dialogtest::Click(o.TurbulenceCheck);
         dialogtest::TypeInto(o.RangeSpin, "1234");
       },
       {"Metar=1", "Weatherupdate=20", "DwlUpperair=0", "DwlAddWeather=1", "DwlStartup=0",
        "CheckUpdateStartup=1", "wxRange=1234", "GenerateCirus=1", "Cloudmixed=0", "Cloudlayer=3",
        "SurfaceWindGust=0", "TurbulenceCloud=1", "FSUIPCWindSmoothing=0", "MaxWindShift=90"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::remove("Nubivane.ini");
    ClOption& option = Open();
    guitest::RunModal(&option, [&] {
      c.person(option);
      dialogtest::Click(option.OkButton);
    });
    std::vector<std::string> keys = c.keys;
    // The frame's place has no control: it stays as it was.
    keys.insert(keys.end(), {"FramePosX=10", "FramePosY=10", "FrameSizeX=630", "FrameSizeY=360"});
    const std::set<std::string> lines = IniLines();
    for (const std::string& key : keys) {
      EXPECT_EQ(lines.count(key), 1u) << key << " in\n" << ReadBytes("Nubivane.ini");
    }
    OptionData stored;
    ASSERT_TRUE(LoadIni(&stored));
    EXPECT_EQ(stored.wxRange, options.wxRange);
    EXPECT_EQ(stored.Weatherupdate, options.Weatherupdate);
    EXPECT_EQ(stored.CheckUpdateStartup, options.CheckUpdateStartup);
    EXPECT_EQ(stored.DwlStartup, options.DwlStartup);
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

// What Cancel, Escape and the close box leave: the block and the file as they were, and the next
// showing shows the block, so that an OK without a touch stores nothing that was dismissed.
TEST_F(OptionDialogTest, EveryShowingShowsTheBlockWhateverWasDismissed) {
  WriteBytes("Nubivane.ini", "[General]\nMetar=1\nWeatherupdate=30\n[Weather]\nwxRange=200\n");
  ClOption& option = Open();
  guitest::RunModal(&option, [&] { dialogtest::Click(option.OkButton); });
  const std::string before = ReadBytes("Nubivane.ini");
  for (Ending ending : {Ending::kCancel, Ending::kEscape, Ending::kCloseBox}) {
    SCOPED_TRACE(dialogtest::Name(ending));
    guitest::RunModal(&option, [&] {
      dialogtest::Click(option.NoaaRadio);
      SlideToTheEnd(option.UpdateSlider);
      dialogtest::Click(option.UpperairCheck);
      dialogtest::Click(option.StartupUpdateCheck);
      dialogtest::Click(option.MixedCloudsCheck);
      dialogtest::TypeInto(option.RangeSpin, "400");
      dialogtest::TypeInto(option.WindShiftSpin, kNotANumber);
      dialogtest::End(&option, ending, option.OkButton, option.CancelButton);
    });
    EXPECT_EQ(options.Metar, 1);
    EXPECT_EQ(options.wxRange, 200);
    EXPECT_FALSE(options.DwlUpperair);
    EXPECT_EQ(ReadBytes("Nubivane.ini"), before);

    bool shown = false;
    guitest::RunModal(&option, [&] {
      EXPECT_TRUE(option.VatsimRadio->GetValue());
      EXPECT_FALSE(option.NoaaRadio->GetValue());
      EXPECT_EQ(option.UpdateSlider->GetValue(), 30);
      EXPECT_FALSE(option.UpperairCheck->GetValue());
      EXPECT_FALSE(option.StartupUpdateCheck->GetValue());
      EXPECT_FALSE(option.MixedCloudsCheck->GetValue());
      EXPECT_EQ(option.RangeSpin->GetTextValue(), "200");
      EXPECT_EQ(option.WindShiftSpin->GetTextValue(), "90");
      shown = true;
      dialogtest::Click(option.OkButton);
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(ReadBytes("Nubivane.ini"), before);
  }
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

// A save that fails is logged each time; OK and Apply, where the person waits for it, also say
// it once in a box, and the deletion at the end says it in the log only.
TEST_F(OptionDialogTest, AFailedSaveIsLoggedAndOkAndApplySayItInABox) {
  const std::string old = "[General]\nMetar=3\n";
  WriteBytes("Nubivane.ini", old);
  namespace fs = std::filesystem;
  fs::permissions("Nubivane.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  std::vector<wxString> logged;
  dialog = std::make_unique<ClOption>(frame, &options,
                                      [&logged](const wxString& line) { logged.push_back(line); });
  ClOption& option = *dialog;
  const wxString text = wxS("Can't save Nubivane.ini: the file is read-only");
  bool boxAfterApply = false;
  guitest::RunModal(&option, [&] {
    dialogtest::Click(option.ApplyButton);
    boxAfterApply = dialogtest::WaitUntil([&] { return boxes.boxes.size() == 1; }) && option.IsShown();
    dialogtest::Click(option.OkButton);
  });
  EXPECT_TRUE(boxAfterApply);
  ASSERT_EQ(boxes.boxes.size(), 2u);
  for (const guitest::SeenBox& box : boxes.boxes) {
    EXPECT_EQ(box.message, text);
    EXPECT_EQ(box.caption, wxS("Nubivane Error"));
  }
  dialog.reset();
  EXPECT_EQ(boxes.boxes.size(), 2u);
  EXPECT_EQ(logged, std::vector<wxString>(3, wxS("Error: ") + text));
  fs::permissions("Nubivane.ini", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadBytes("Nubivane.ini"), old);
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
