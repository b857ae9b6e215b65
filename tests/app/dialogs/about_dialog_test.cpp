#include "app/about_dialog.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

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
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, wxS("Nubivane lite"), wxPoint(100, 100), wxSize(743, 417));
    frame->Show();
  }
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
