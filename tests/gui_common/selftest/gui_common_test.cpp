#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>

#include <chrono>

#include "gui_common/dialog_recorder.h"
#include "gui_common/modal_watchdog.h"
#include "gui_common/real_modal.h"
#include "gui_common/screenshot.h"

namespace {

using guitest::DialogRecorder;

TEST(Screenshot, WritesTheClientAreaAsPng) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Screenshot", wxDefaultPosition, wxSize(240, 160));
  auto* panel = new wxPanel(frame);
  panel->SetBackgroundColour(*wxRED);
  auto* square = new wxPanel(panel, wxID_ANY, wxPoint(20, 20), wxSize(40, 30));
  square->SetBackgroundColour(*wxBLUE);
  frame->Show();

  const wxString path = guitest::SaveScreenshot(panel, "gui_common_red_panel");
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(wxFileName(path).GetFullPath().StartsWith(wxFileName(NUB_BUILD_DIR, "").GetFullPath())) << path;
  wxImage image;
  ASSERT_TRUE(image.LoadFile(path, wxBITMAP_TYPE_ANY));
  EXPECT_EQ(image.GetSize(), panel->GetClientSize());
  const auto colourAt = [&image](int x, int y) {
    return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
  };
  EXPECT_EQ(colourAt(image.GetWidth() - 10, image.GetHeight() - 10), *wxRED);
  EXPECT_EQ(colourAt(30, 30), *wxBLUE);  // the child where it stands
  EXPECT_EQ(colourAt(65, 30), *wxRED);
  frame->Destroy();
  wxTheApp->ProcessIdle();
}

TEST(Screenshot, HiddenWindowOfNoSizeGivesNoFile) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Empty", wxDefaultPosition, wxSize(0, 0));
  auto* panel = new wxPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(0, 0));
  EXPECT_TRUE(guitest::SaveScreenshot(panel, "gui_common_empty").empty());
  frame->Destroy();
  wxTheApp->ProcessIdle();
}

TEST(FailingAssertHandler, AnAssertionFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(wxFAIL_MSG("deliberate for the handler's test"),
                          "deliberate for the handler's test");
}

// The suite's watchdog is registered before any test's recorder, so a recorder answers first.
TEST(ModalWatchdog, RecordersAnswerBeforeTheWatchdog) {
  DialogRecorder dialogs(wxID_YES);
  EXPECT_EQ(wxMessageBox("Download?", "Update", wxYES_NO), wxYES);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Update");
}

int unansweredResult = 0;

TEST(ModalWatchdog, DialogNothingAnswersIsCancelledAndFailsTheTest) {
  EXPECT_NONFATAL_FAILURE(unansweredResult = wxMessageBox("left alone", "Selftest", wxOK | wxCANCEL),
                          "Selftest: left alone");
  EXPECT_EQ(unansweredResult, wxCANCEL);
}

TEST(ModalWatchdog, EndsAnEventLoopThatRunsTooLong) {
  guitest::ModalWatchdog watchdog(std::chrono::milliseconds(300));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NONFATAL_FAILURE(
      {
        wxEventLoop loop;
        loop.Run();
      },
      "ended by the watchdog");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

}  // namespace

namespace {

// The dialog under test runs its own loop; the recorder still answers the boxes it shows.
TEST(RealModal, TheDialogUnderTestRunsWhileBoxesAreAnswered) {
  DialogRecorder dialogs(wxID_YES);
  wxDialog dialog(nullptr, wxID_ANY, "Under test");
  int answer = 0;
  const int result = guitest::RunModal(&dialog, [&] {
    answer = wxMessageBox("Sure?", "Question", wxYES_NO, &dialog);
    dialog.EndModal(wxID_APPLY);
  });
  EXPECT_EQ(result, wxID_APPLY);
  EXPECT_EQ(answer, wxYES);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].caption, "Question");
  EXPECT_EQ(dialogs.others, 0);
  // Once it is done, the same dialog is answered like any other.
  EXPECT_EQ(dialog.ShowModal(), wxID_YES);
  EXPECT_EQ(dialogs.others, 1);
}

}  // namespace
