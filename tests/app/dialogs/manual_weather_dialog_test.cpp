#include "app/manual_weather_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/test_paths.h"
#include "dialog_test_env.h"
#include "gui_common/dialog_recorder.h"
#include "manual_weather_bytes.h"
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
    frame = dialogtest::ShowMainWindowStandIn();
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

  NubivaneSetFSWX& OpenWithLog() {
    dialog = std::make_unique<NubivaneSetFSWX>(
        frame, [this](const wxString& line) { logged.push_back(line.utf8_string()); });
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

  // Every pause of the window's waits for the link, in the program's milliseconds, taken at once.
  std::uint32_t& CountPauses(NubivaneSetFSWX& setWeather) {
    setWeather.SetLinkPause([this](std::uint32_t ms) { pausedMs += ms; });
    return pausedMs;
  }

  testsupport::ScopedWorkDir dir;
  guitest::DialogRecorder boxes;
  wxFrame* frame = nullptr;
  std::unique_ptr<SimStub> stub;
  std::unique_ptr<NubivaneSetFSWX> dialog;
  std::uint32_t pausedMs = 0;
  std::vector<std::string> logged;
};

using Step = std::function<void(NubivaneSetFSWX&)>;

// Each step waits until its input has arrived (it travels through the window system), so that
// the next step's focus does not take keys still on their way; shown: what the field then holds.
Step Type(wxTextCtrl* NubivaneSetFSWX::*field, const char* text, const char* shown = nullptr) {
  return [=](NubivaneSetFSWX& setWeather) {
    wxTextCtrl* control = setWeather.*field;
    dialogtest::TypeInto(control, text);
    const wxString wanted = wxString::FromUTF8(shown != nullptr ? shown : text);
    dialogtest::WaitUntil([&] { return control->GetValue() == wanted; }, 2000);
  };
}

Step Type(wxSpinCtrl* NubivaneSetFSWX::*spin, const char* text) {
  return [=](NubivaneSetFSWX& setWeather) {
    wxSpinCtrl* control = setWeather.*spin;
    dialogtest::TypeInto(control, text);
    dialogtest::WaitUntil([&] { return control->GetTextValue() == wxString::FromUTF8(text); }, 2000);
  };
}

Step Choose(wxChoice* NubivaneSetFSWX::*choice, int item) {
  return [=](NubivaneSetFSWX& setWeather) {
    wxChoice* control = setWeather.*choice;
    dialogtest::ChooseWithKeys(control, item);
    const int last = static_cast<int>(control->GetCount()) - 1;
    dialogtest::WaitUntil([&] { return control->GetSelection() == std::min(item, last); }, 2000);
  };
}

struct RecordCase {
  const char* what;
  std::vector<Step> steps;
  std::vector<manualbytes::Run> changed;  // over the record as the dialog opens
};

// What a person sets in the controls, Apply, and the bytes the simulator receives.
TEST_F(ManualWeatherTest, ApplyWritesWhatThePersonSet) {
  using D = NubivaneSetFSWX;
  const RecordCase cases[] = {
      {"as it opens", {}, {}},
      {"typed station, wind and temperature; rows 2 to 4 are not read",
       {Type(&D::StationText, "eddb"), Type(&D::WindDirText, "270"), Type(&D::SpeedText, "25"),
        Type(&D::TempText1, "-5"), Type(&D::DewText1, "-12"), Type(&D::HeightText1, "3000"),
        Type(&D::TempText2, "99"), Type(&D::DewText3, "50"), Type(&D::HeightText4, "500"),
        Type(&D::CloudLowerText, "500")},
       {{8, {'E', 'D', 'D', 'B'}},
        {254, {0x19, 0x00}},
        {258, {0x00, 0xC0}},
        {56, {0x92, 0x03}},
        {58, {0xFB, 0xFF}},
        {62, {0xF4, 0xFF}},
        {642, {0x98, 0x00}}}},
      {"a short station is padded with zero bytes", {Type(&D::StationText, "ab")}, {{8, {'A', 'B', 0, 0}}}},
      {"typing stops at each field's length",
       {Type(&D::StationText, "EDDBX", "EDDB"), Type(&D::GustText, "123", "12"),
        Type(&D::VisibilityText, "123456", "12345")},
       {{8, {'E', 'D', 'D', 'B'}}, {256, {0x0C, 0x00}}, {48, {0x39, 0x30}}}},
      {"wind turbulence, shear, a full turn of direction and variance",
       {Type(&D::TurbSpin, "4"), Type(&D::ShearSpin, "3"), Type(&D::VarSpin, "360"),
        Type(&D::WindDirText, "360")},
       {{258, {0x00, 0x00}}, {260, {0x04}}, {261, {0x03}}, {262, {0x00, 0x00}}}},
      {"thunderstorm 8/8 with turbulence 3 and icing 1",
       {Type(&D::CloudUpperText, "20000"), Choose(&D::CloudTypeChoice, 3), Choose(&D::CoverChoice, 8),
        Type(&D::CloudTurbSpin, "3"), Type(&D::IcingSpin, "1"), Type(&D::TopShapeText, "7"),
        Type(&D::SpareText, "9")},
       {{640, {0xCF, 0x17}},
        {646, {0x08}},
        {647, {0x0A}},
        {648, {0x03}},
        {649, {0x01}},
        {654, {0x07}},
        {655, {0x09}}}},
      {"stratus 4/8, snow at rate 5 from -6000 ft",
       {Type(&D::PrecipBaseText, "-6000"), Choose(&D::CloudTypeChoice, 1), Choose(&D::CoverChoice, 4),
        Choose(&D::PrecipTypeChoice, 2), Type(&D::RateSpin, "5")},
       {{646, {0x04}}, {647, {0x08}}, {650, {0xDC, 0xF8}}, {652, {0x02}}, {653, {0x05}}}},
  };
  ConnectSimulator();
  for (const RecordCase& c : cases) {
    const std::size_t before = Received("record").size();
    NubivaneSetFSWX& setWeather = Open();
    bool written = false;
    guitest::RunModal(&setWeather, [&] {
      for (const Step& step : c.steps) step(setWeather);
      dialogtest::Click(setWeather.ApplyButton);
      written = dialogtest::WaitUntil([&] { return Received("record").size() > before; }, 3000) &&
                setWeather.IsShown();
      dialogtest::Click(setWeather.CancelButton);
    });
    ASSERT_TRUE(written) << c.what;
    const std::vector<SimStubEvent> records = Received("record");
    ASSERT_EQ(records.size(), before + 1) << c.what;
    const std::vector<std::uint8_t> expected = manualbytes::Record(c.changed);
    EXPECT_EQ(records.back().bytes, expected)
        << c.what << ": " << manualbytes::Differences(records.back().bytes, expected);
  }
  EXPECT_TRUE(boxes.boxes.empty());
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

// A module that never acknowledges holds the window only for the bounded wait: the record is
// written, so there is no box, and the log says it was not acknowledged.
TEST_F(ManualWeatherTest, AnUnacknowledgedRecordDoesNotHoldTheWindow) {
  SimStubScript script;
  script.acknowledge = false;
  ConnectSimulator(script);
  NubivaneSetFSWX& setWeather = OpenWithLog();
  const std::uint32_t& waitedMs = CountPauses(setWeather);
  guitest::RunModal(&setWeather, [&] { dialogtest::Click(setWeather.OkButton); });
  EXPECT_EQ(Received("record").size(), 1u);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_GE(waitedMs, 900u);  // it did wait for the answer, about a second
  EXPECT_LE(waitedMs, 1000u);
  EXPECT_EQ(logged, std::vector<std::string>{"Set FS Weather: weather written, not acknowledged in time"});
}

// The record went out; only the reads of the answer fail. A box would call a written record an
// error: the log has it instead.
TEST_F(ManualWeatherTest, AnAcknowledgementThatCannotBeReadIsLoggedNotShown) {
  ConnectSimulator();
  NubivaneSetFSWX& setWeather = OpenWithLog();
  // From the first pause after the write on, the module refuses every request.
  setWeather.SetLinkPause([this](std::uint32_t) { stub->SetReplyValue(0); });
  guitest::RunModal(&setWeather, [&] { dialogtest::Click(setWeather.OkButton); });
  EXPECT_EQ(Received("record").size(), 1u);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(logged, std::vector<std::string>{"Set FS Weather: weather written, its acknowledgement not read: "
                                             "IPC request contains bad data"});
}

// Holds the link as the writer does through an exchange with a module that does not answer,
// until released (or a bound, so that a window blocked on the link gets it in the end).
class LinkHeldElsewhere {
 public:
  LinkHeldElsewhere() : thread_([this] { Hold(); }) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return held_; });
  }
  ~LinkHeldElsewhere() {
    Release();
    thread_.join();
  }
  void Release() {
    std::lock_guard<std::mutex> guard(lock_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  void Hold() {
    std::lock_guard<std::recursive_mutex> link(FSUIPC_Lock());
    std::unique_lock<std::mutex> guard(lock_);
    held_ = true;
    changed_.notify_all();
    changed_.wait_for(guard, std::chrono::seconds(10), [this] { return released_; });
  }

  std::mutex lock_;
  std::condition_variable changed_;
  bool held_ = false;
  bool released_ = false;
  std::thread thread_;
};

// The window waits for the link about a second and then leaves it: nothing is written, later
// neither, and the box says why.
TEST_F(ManualWeatherTest, WhileTheWriterHoldsTheLinkNothingIsWrittenAndABoxSaysSo) {
  ConnectSimulator();
  NubivaneSetFSWX& setWeather = Open();
  const std::uint32_t& waitedMs = CountPauses(setWeather);
  std::uint32_t waitedForRecordMs = 0;
  {
    LinkHeldElsewhere writer;
    guitest::RunModal(&setWeather, [&] {
      dialogtest::Click(setWeather.ApplyButton);
      dialogtest::WaitUntil([&] { return boxes.boxes.size() == 1; });
      waitedForRecordMs = std::exchange(pausedMs, 0);
      dialogtest::Click(setWeather.ClearWXButton);
      dialogtest::WaitUntil([&] { return boxes.boxes.size() == 2; });
      dialogtest::Click(setWeather.CancelButton);
    });
  }
  EXPECT_TRUE(Received("record").empty());
  EXPECT_TRUE(Received("command").empty());
  ASSERT_EQ(boxes.boxes.size(), 2u);
  for (const guitest::SeenBox& box : boxes.boxes) {
    EXPECT_EQ(box.caption, wxS("FSUIPC-Error"));
    EXPECT_EQ(box.message, wxS("The simulator link is busy: nothing was written. Please try again."));
  }
  for (const std::uint32_t ms : {waitedForRecordMs, waitedMs}) {
    EXPECT_GE(ms, 900u);
    EXPECT_LE(ms, 1000u);
  }
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
