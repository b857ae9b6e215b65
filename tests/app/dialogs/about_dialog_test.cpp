#include "app/about_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/hyperlink.h>
#include <wx/uiaction.h>

#include <memory>
#include <string>
#include <vector>

#include "dialog_test_env.h"
#include "gui_common/dialog_recorder.h"
#include "platform/shell_open.h"

namespace {

using dialogtest::Ending;

class AboutDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { frame = dialogtest::ShowMainWindowStandIn(); }
  void TearDown() override {
    frame->Destroy();
    dialogtest::Settle();
  }

  guitest::DialogRecorder boxes;
  wxFrame* frame = nullptr;
};

TEST_F(AboutDialogTest, ShowsTheProgramsVersion) {
  NubivaneAbout about(frame);
  EXPECT_EQ(about.GetTitle(), wxS("About Nubivane lite"));
  EXPECT_EQ(about.VersionText->GetLabel(), wxS("Version: " NUB_PROJECT_VERSION_DOTTED " BETA"));
  EXPECT_EQ(about.NameText->GetLabel(), wxS("Nubivane lite"));
}

// Without a version the line keeps both blanks around the missing number.
TEST(AboutVersionLine, WithAndWithoutAVersion) {
  EXPECT_EQ(AboutVersionLine(wxS("0.90.1")), wxS("Version: 0.90.1 BETA"));
  EXPECT_EQ(AboutVersionLine(wxString()), wxS("Version:  BETA"));
}

// OK, Escape and the close box all end it; nothing is asked or stored.
TEST_F(AboutDialogTest, EveryWayOutEndsTheDialog) {
  for (Ending ending : {Ending::kOk, Ending::kEscape, Ending::kCloseBox}) {
    NubivaneAbout about(frame);
    guitest::RunModal(&about, [&] { dialogtest::End(&about, ending, about.OkButton, about.OkButton); });
    EXPECT_FALSE(about.IsShown()) << dialogtest::Name(ending);
  }
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(boxes.others, 0);
}

// Enter right after the dialog opens presses OK: the keyboard is on OK, not on the first link.
TEST_F(AboutDialogTest, EnterAtOnceEndsItWithOkAndFollowsNoLink) {
  NubivaneAbout about(frame);
  EXPECT_EQ(about.GetDefaultItem(), about.OkButton);
  std::vector<wxString> followed;
  about.Bind(wxEVT_HYPERLINK, [&](wxHyperlinkEvent& event) { followed.push_back(event.GetURL()); });
  wxWindow* focus = nullptr;
  const int answer = guitest::RunModal(&about, [&] {
    focus = wxWindow::FindFocus();
    wxUIActionSimulator person;
    person.Char(WXK_RETURN);
    EXPECT_TRUE(dialogtest::WaitUntil([&] { return !about.IsShown() || !followed.empty(); }));
    if (about.IsShown()) about.EndModal(wxID_CANCEL);
  });
  EXPECT_EQ(focus, about.OkButton) << (focus != nullptr ? focus->GetClassInfo()->GetClassName() : L"none");
  EXPECT_EQ(answer, wxID_OK);
  EXPECT_EQ(followed, std::vector<wxString>());
}

// A click on a link hands its address to the opener that does not wait for the browser; the
// library's own launch, which waits on the desktop's services, is not run.
TEST_F(AboutDialogTest, ALinkGoesToTheOpenerThatDoesNotWait) {
  std::vector<wxString> opened;
  const platform::ShellOpenHandler previous =
      platform::SetUrlOpenHandler([&opened](const wxString& url) { opened.push_back(url); });
  NubivaneAbout about(frame);
  about.WebLink->SendEvent();
  about.ForumLink->SendEvent();
  platform::SetUrlOpenHandler(previous);
  EXPECT_EQ(opened, (std::vector<wxString>{about.WebLink->GetURL(), about.ForumLink->GetURL()}));
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(AboutDialogTest, NothingIsClippedAndThePictureIsKept) {
  NubivaneAbout about(frame);
  EXPECT_GE(about.GetSize().x, 286);
  EXPECT_GE(about.GetSize().y, 270);
  guitest::RunModal(
      &about, [&] { dialogtest::ExpectWholeAndKeepPicture(&about, wxS("about_dialog"), about.OkButton); });
}

}  // namespace
