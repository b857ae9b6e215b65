#include "app/manual_weather_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/test_paths.h"
#include "dialog_test_env.h"
#include "gui_common/dialog_recorder.h"
#include "platform/test_knobs.h"
#include "sim_stub.h"
#include "simlink/ipc_client.h"

namespace {

using dialogtest::Ending;

// The dialog over the main window, with the simulator's stand-in in this process and the link
// open as the writer thread would keep it.
class ManualWeatherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::SetEnvironment("NUBIVANE_IPC_DIR", dir.Path());
    SetPlatformTimeScale(0.1);
    frame = new wxFrame(nullptr, wxID_ANY, wxS("Nubivane lite"), wxPoint(100, 100), wxSize(743, 417));
    frame->Show();
  }
  void TearDown() override {
    dialog.reset();
    FSUIPC_Close();
    stub.reset();
    frame->Destroy();
    dialogtest::Settle();
    SetPlatformTimeScale(1.0);
    testsupport::UnsetEnvironment("NUBIVANE_IPC_DIR");
  }

  void ConnectSimulator(SimStubScript script = {}) {
    stub = std::make_unique<SimStub>(script);
    ASSERT_TRUE(stub->Start());
    std::uint32_t result = 0xFFFFFFFF;
    ASSERT_TRUE(FSUIPC_Open(0, &result)) << result;
  }

  NubivaneSetFSWX& Open() {
    dialog = std::make_unique<NubivaneSetFSWX>(frame);
    return *dialog;
  }

  std::vector<SimStubEvent> Received(const std::string& kind) const {
    std::vector<SimStubEvent> found;
    for (const SimStubEvent& event : stub->Events()) {
      if (event.kind == kind) found.push_back(event);
    }
    return found;
  }

  bool ReceivedRecord() const {
    return dialogtest::WaitUntil([this] { return !Received("record").empty(); }, 3000);
  }

  // The bytes of the record the form stands for, as the simulator must receive them.
  static std::vector<std::uint8_t> RecordBytes(const ManualWeatherForm& form) {
    NewWeather record;
    wxString problem;
    EXPECT_TRUE(BuildManualWeather(form, &record, &problem)) << problem;
    const NewWeatherBytes bytes = ToBytes(record);
    return {bytes.begin(), bytes.end()};
  }

  testsupport::ScopedWorkDir dir;
  guitest::DialogRecorder boxes;
  wxFrame* frame = nullptr;
  std::unique_ptr<SimStub> stub;
  std::unique_ptr<NubivaneSetFSWX> dialog;
};

TEST_F(ManualWeatherTest, ApplyAsItOpensWritesItsRecordByteForByte) {
  ConnectSimulator();
  NubivaneSetFSWX& setWeather = Open();
  bool written = false;
  guitest::RunModal(&setWeather, [&] {
    dialogtest::Click(setWeather.ApplyButton);
    written = ReceivedRecord() && setWeather.IsShown();
    dialogtest::Click(setWeather.CancelButton);
  });
  ASSERT_TRUE(written);
  const std::vector<SimStubEvent> records = Received("record");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].icao, "GLOB");
  EXPECT_EQ(records[0].bytes, RecordBytes(ManualWeatherForm()));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ManualWeatherTest, TypedValuesReachTheSimulator) {
  ConnectSimulator();
  NubivaneSetFSWX& setWeather = Open();
  guitest::RunModal(&setWeather, [&] {
    dialogtest::TypeInto(setWeather.StationText, "eddb");
    dialogtest::TypeInto(setWeather.WindDirText, "270");
    dialogtest::TypeInto(setWeather.SpeedText, "25");
    dialogtest::TypeInto(setWeather.TempText1, "-5");
    dialogtest::TypeInto(setWeather.TempText2, "99");  // rows 2 to 4 are not read
    dialogtest::TypeInto(setWeather.CloudLowerText, "500");
    dialogtest::Click(setWeather.OkButton);
  });
  EXPECT_FALSE(setWeather.IsShown());
  ManualWeatherForm expected;
  expected.Station = wxS("eddb");
  expected.WindDirection = wxS("270");
  expected.WindSpeed = wxS("25");
  expected.Temperature = wxS("-5");
  expected.CloudLower = wxS("500");
  ASSERT_TRUE(ReceivedRecord());
  const std::vector<SimStubEvent> records = Received("record");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].icao, "EDDB");
  EXPECT_EQ(records[0].bytes, RecordBytes(expected));
}

TEST_F(ManualWeatherTest, ClearWxIsCommandThreeAndLeavesTheDialogOpen) {
  ConnectSimulator();
  NubivaneSetFSWX& setWeather = Open();
  bool cleared = false;
  guitest::RunModal(&setWeather, [&] {
    dialogtest::Click(setWeather.ClearWXButton);
    cleared = dialogtest::WaitUntil([&] { return !Received("command").empty(); }) && setWeather.IsShown();
    dialogtest::Click(setWeather.CancelButton);
  });
  EXPECT_TRUE(cleared);
  const std::vector<SimStubEvent> commands = Received("command");
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].value, 3u);
  EXPECT_EQ(commands[0].offset, 0xC800u);
  EXPECT_TRUE(Received("record").empty());
}

struct RefusedCase {
  const char* what;
  wxTextCtrl* NubivaneSetFSWX::*field;
  const char* typed;
  bool pasted;  // the simulated keyboard types ASCII only; other text comes in as a paste would
  const char* boxStart;
};

// A field the record cannot carry, or a record out of the simulator's range: the "Message" box
// says why and nothing is written.
TEST_F(ManualWeatherTest, RefusedRecordsAreNotWritten) {
  const RefusedCase cases[] = {
      {"wrapped visibility", &NubivaneSetFSWX::VisibilityText, "99999", false,
       "Visibility in m: \"99999\" is not a whole number from 0 to 65535."},
      {"wrapped spare", &NubivaneSetFSWX::SpareText, "300", false,
       "Spare: \"300\" is not a whole number from 0 to 255."},
      {"station of another alphabet", &NubivaneSetFSWX::StationText, "\xc3\xa9t\xc3\xa9", true,
       "Station: \"\xc3\xa9t\xc3\xa9\" is not"},
      {"speed beyond the range check", &NubivaneSetFSWX::SpeedText, "250", false,
       "\r\nWrite: Station GLOB\r\n"},
  };
  ConnectSimulator();
  for (const RefusedCase& c : cases) {
    boxes.boxes.clear();
    NubivaneSetFSWX& setWeather = Open();
    wxTextCtrl* field = setWeather.*(c.field);
    guitest::RunModal(&setWeather, [&] {
      if (c.pasted) {
        field->ChangeValue(wxString::FromUTF8(c.typed));
      } else {
        dialogtest::TypeInto(field, c.typed);
      }
      dialogtest::Click(setWeather.ApplyButton);
      dialogtest::WaitUntil([&] { return !boxes.boxes.empty(); });
      dialogtest::Click(setWeather.CancelButton);
    });
    ASSERT_EQ(boxes.boxes.size(), 1u) << c.what;
    EXPECT_EQ(boxes.boxes[0].caption, wxS("Message")) << c.what;
    EXPECT_TRUE(boxes.boxes[0].message.StartsWith(wxString::FromUTF8(c.boxStart)))
        << c.what << ": " << boxes.boxes[0].message.utf8_string();
  }
  EXPECT_TRUE(Received("record").empty());
  EXPECT_NE(testsupport::ReadBytes("FSUIPC.err").find("Write: Station GLOB"), std::string::npos);
}

TEST_F(ManualWeatherTest, WithoutTheLinkTheBoxSaysSoAndOkStillCloses) {
  NubivaneSetFSWX& setWeather = Open();
  guitest::RunModal(&setWeather, [&] {
    dialogtest::Click(setWeather.ApplyButton);
    dialogtest::WaitUntil([&] { return boxes.boxes.size() == 1; });
    dialogtest::Click(setWeather.ClearWXButton);
    dialogtest::WaitUntil([&] { return boxes.boxes.size() == 2; });
    dialogtest::Click(setWeather.OkButton);
  });
  EXPECT_FALSE(setWeather.IsShown());
  ASSERT_EQ(boxes.boxes.size(), 3u);
  for (const guitest::SeenBox& box : boxes.boxes) {
    EXPECT_EQ(box.caption, wxS("FSUIPC-Error"));
    EXPECT_EQ(box.message, wxS("Call cannot execute, link not Open"));
    EXPECT_NE(box.style & wxICON_ERROR, 0);
  }
}

// A module that never acknowledges holds the window only for the bounded wait.
TEST_F(ManualWeatherTest, AnUnacknowledgedRecordDoesNotHoldTheWindow) {
  SimStubScript script;
  script.acknowledge = false;
  ConnectSimulator(script);
  NubivaneSetFSWX& setWeather = Open();
  guitest::RunModal(&setWeather, [&] { dialogtest::Click(setWeather.OkButton); });
  EXPECT_EQ(Received("record").size(), 1u);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(ManualWeatherTest, EveryWayOutEndsTheDialog) {
  for (Ending ending : {Ending::kCancel, Ending::kEscape, Ending::kCloseBox}) {
    NubivaneSetFSWX& setWeather = Open();
    const int result = guitest::RunModal(&setWeather, [&] {
      dialogtest::End(&setWeather, ending, setWeather.OkButton, setWeather.CancelButton);
    });
    EXPECT_FALSE(setWeather.IsShown()) << dialogtest::Name(ending);
    EXPECT_EQ(result, wxID_CANCEL) << dialogtest::Name(ending);
  }
  EXPECT_TRUE(boxes.boxes.empty());  // nothing was sent, so no link error either
}

TEST_F(ManualWeatherTest, NothingIsClippedAndThePictureIsKept) {
  NubivaneSetFSWX& setWeather = Open();
  // The widest each field takes.
  setWeather.StationText->ChangeValue(wxS("WWWW"));
  for (wxTextCtrl* field :
       {setWeather.VisibilityText, setWeather.HeightText1, setWeather.HeightText4, setWeather.CloudLowerText,
        setWeather.CloudUpperText, setWeather.PrecipBaseText}) {
    field->ChangeValue(wxS("88888"));
  }
  for (wxTextCtrl* field : {setWeather.WindDirText, setWeather.SpeedText, setWeather.TempText1,
                            setWeather.DewText4, setWeather.SpareText, setWeather.TopShapeText}) {
    field->ChangeValue(wxS("888"));
  }
  setWeather.VarSpin->SetValue(360);
  setWeather.CloudTypeChoice->SetSelection(3);
  EXPECT_GE(setWeather.GetSize().x, 700);
  EXPECT_GE(setWeather.GetSize().y, 302);
  guitest::RunModal(&setWeather, [&] {
    dialogtest::ExpectWholeAndKeepPicture(&setWeather, wxS("manual_weather_dialog"), setWeather.CancelButton);
  });
}

}  // namespace
