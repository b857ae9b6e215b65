#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/progdlg.h>
#include <wx/toplevel.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "common/test_paths.h"
#include "gui_common/dialog_recorder.h"
#include "peers/http_peer.h"
#include "peers/loopback_listener.h"
#include "peers/update_doubles.h"
#include "platform/shell_open.h"
#include "support/gui/gui_support_ui.h"
#include "support/log_file.h"
#include "support/updater.h"

namespace {

using guitest::DialogRecorder;
using testsupport::ReadBytes;
using testsupport::ScopedWorkDir;
using testsupport::WriteBytes;

constexpr char kSetupPath[] = "/source/Nubivane%20Lite%20Setup.exe";

class ScopedGui {
 public:
  ScopedGui() : previous_(InstallSupportUi(&gui_)) {}
  ~ScopedGui() { InstallSupportUi(previous_); }

 private:
  GuiSupportUi gui_;
  SupportUi* previous_;
};

// Lets the library show what its error log has gathered and delete windows it was asked to.
void SettleWindows() {
  wxLog::FlushActive();
  wxTheApp->ProcessPendingEvents();
  wxTheApp->ProcessIdle();
}

std::vector<wxGenericProgressDialog*> ProgressDialogs() {
  std::vector<wxGenericProgressDialog*> found;
  for (wxWindow* window : wxTopLevelWindows) {
    if (auto* dialog = dynamic_cast<wxGenericProgressDialog*>(window)) {
      found.push_back(dialog);
    }
  }
  return found;
}

TEST(SupportWindows, FirstRunOfTheLogShowsNoWindow) {
  ScopedWorkDir dir;
  ScopedGui gui;
  DialogRecorder dialogs;
  {
    ClLog log("nubivane.log");
    log.WriteToFile("Nubivane Start");
  }
  SettleWindows();
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.others, 0);
}

TEST(SupportWindows, UnwritableLogShowsItsOneBox) {
  ScopedWorkDir dir;
  ASSERT_TRUE(std::filesystem::create_directory("nubivane.log"));
  ScopedGui gui;
  DialogRecorder dialogs;
  ClLog log("nubivane.log");
  log.WriteToFile("Main: still running");
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Cloud't open file nubivane.log");
  EXPECT_EQ(dialogs.boxes[0].caption, "Log Error");
  EXPECT_TRUE(dialogs.boxes[0].style & wxOK);
}

TEST(SupportWindows, ErrorLineReachesTheErrorBoxWithItsPercentSigns) {
  ScopedWorkDir dir;
  ScopedGui gui;
  DialogRecorder dialogs;
  ClLog log("nubivane.log");
  log.WriteToFileAndErrorBox("Error: FSUIPC - 100% %s %d");
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].message.Find(" - Error: FSUIPC - 100% %s %d"), wxNOT_FOUND)
      << dialogs.boxes[0].message;
}

// A worker thread never touches a window: a box it asks for is shown by the GUI thread.
TEST(SupportWindows, BoxAskedForByAWorkerThreadIsShownByTheGuiThread) {
  ScopedGui gui;
  DialogRecorder dialogs;
  std::thread worker(
      [] { CurrentSupportUi().ShowMessage("Can not open airport.dat", "Error", wxOK | wxCENTRE, nullptr); });
  worker.join();
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Can not open airport.dat");
  EXPECT_EQ(dialogs.boxes[0].caption, "Error");
  EXPECT_TRUE(dialogs.boxes[0].onGuiThread);
}

// The worker's parent is taken when the box is shown, and only while it still stands.
TEST(SupportWindows, WorkerBoxKeepsAStandingParent) {
  ScopedGui gui;
  DialogRecorder dialogs;
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Nubivane lite");
  frame->Show();
  std::thread worker(
      [frame] { CurrentSupportUi().ShowMessage("Can not open airport.dat", "Error", wxOK, frame); });
  worker.join();
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].parent, frame);
  frame->Destroy();
  SettleWindows();
}

TEST(SupportWindows, WorkerBoxWhoseParentWentIsShownWithoutIt) {
  ScopedGui gui;
  DialogRecorder dialogs;
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Nubivane lite");
  frame->Show();
  const auto goneAddress = reinterpret_cast<std::uintptr_t>(frame);
  std::thread worker(
      [frame] { CurrentSupportUi().ShowMessage("Can not open airport.dat", "Error", wxOK, frame); });
  worker.join();
  delete frame;  // gone before the GUI thread gets to the box
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Can not open airport.dat");
  EXPECT_NE(reinterpret_cast<std::uintptr_t>(dialogs.boxes[0].parent), goneAddress);
  EXPECT_EQ(dialogs.boxes[0].parent, nullptr);
}

// While the dialog stands the other windows are disabled; they are enabled again once it goes,
// whether or not the download reached its end.
TEST(SupportWindows, ProgressDialogDisablesTheOtherWindowsWhileItStands) {
  ScopedGui gui;
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Nubivane lite");
  frame->Show();
  {
    std::unique_ptr<ProgressView> view = CurrentSupportUi().ShowProgress(
        "Updater", "Download f 0KB from 8KB", 8192, frame, wxPD_APP_MODAL | wxPD_AUTO_HIDE);
    view->Update(4096, "Download f 4KB from 8KB");
    EXPECT_FALSE(frame->IsEnabled());
  }
  EXPECT_TRUE(frame->IsEnabled());
  frame->Destroy();
  SettleWindows();
}

TEST(SupportWindows, ProgressDialogFollowsTheDownloadAndGoes) {
  ScopedGui gui;
  const int style = wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME | wxPD_ESTIMATED_TIME | wxPD_SMOOTH |
                    wxPD_REMAINING_TIME;
  {
    std::unique_ptr<ProgressView> view =
        CurrentSupportUi().ShowProgress("Updater", "Download f 0KB from 8KB", 8192, nullptr, style);
    const auto dialogs = ProgressDialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    wxGenericProgressDialog* dialog = dialogs[0];
    EXPECT_EQ(dialog->GetTitle(), "Updater");
    EXPECT_EQ(dialog->GetMessage(), "Download f 0KB from 8KB");
    EXPECT_EQ(dialog->GetRange(), 8192);
    EXPECT_TRUE(dialog->IsShown());
    view->Update(4096, "Download f 4KB from 8KB");
    EXPECT_EQ(dialog->GetValue(), 4096);
    EXPECT_EQ(dialog->GetMessage(), "Download f 4KB from 8KB");
    view->Update(9000, "Download f 8KB from 8KB");  // beyond the maximum: held at it
    EXPECT_EQ(dialog->GetValue(), 8192);
    EXPECT_FALSE(dialog->IsShown());  // hides itself at its maximum
  }
  EXPECT_TRUE(ProgressDialogs().empty());
}

TEST(SupportWindows, UpdaterDownloadsWithItsDialogAndStartsTheFile) {
  ScopedWorkDir dir;
  ScopedGui gui;
  ShellRecorder shell;
  DialogRecorder dialogs;
  const std::string body(5000, 's');
  testpeers::HttpPeer peer({{kSetupPath, 200, body}});
  ScopedUpdateHost host(peer.BaseUrl());
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Nubivane lite");
  frame->Show();
  {
    ClUpdater updater(frame);
    EXPECT_TRUE(updater.Run());
  }
  frame->Destroy();
  SettleWindows();
  EXPECT_TRUE(ReadBytes("Nubivane Lite Setup.exe") == body);
  EXPECT_EQ(shell.opened, std::vector<wxString>{"Nubivane Lite Setup.exe"});
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_TRUE(ProgressDialogs().empty());
}

TEST(SupportWindows, UnreachableUpdateHostShowsTheUploadErrorBox) {
  ScopedWorkDir dir;
  WriteBytes("Nubivane Lite Setup.exe", "old");
  ScopedGui gui;
  ShellRecorder shell;
  DialogRecorder dialogs;
  ScopedUpdateHost host("http://127.0.0.1:" + std::to_string(testpeers::ClosedLoopbackPort()));
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Nubivane lite");
  frame->Show();  // a box takes a hidden window for no parent at all
  {
    ClUpdater updater(frame);
    EXPECT_FALSE(updater.Run());
  }
  frame->Destroy();
  SettleWindows();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].message, "Error: File Nubivane Lite Setup.exe cannot be downloaded!");
  EXPECT_EQ(dialogs.boxes[0].caption, "Upload Error");
  EXPECT_TRUE(dialogs.boxes[0].style & wxICON_ERROR);
  EXPECT_EQ(dialogs.boxes[0].parent, frame);
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_EQ(ReadBytes("Nubivane Lite Setup.exe"), "old");
}

}  // namespace
