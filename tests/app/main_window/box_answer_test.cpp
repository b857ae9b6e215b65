#include "app/box_answer.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/test_paths.h"

namespace {

// Standard error goes to a file while the object lives.
class CapturedStderr {
 public:
  CapturedStderr() : path_(testing::TempDir() + "box_answer_stderr.txt") {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    std::FILE* file = std::fopen(path_.c_str(), "w");
    dup2(fileno(file), STDERR_FILENO);
    std::fclose(file);
  }
  ~CapturedStderr() { Restore(); }
  std::string Text() {
    Restore();
    std::string text = testsupport::ReadBytes(path_);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // Windows' text mode adds CR
    return text;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }
  std::string path_;
  int saved_ = -1;
};

TEST(BoxAnswer, AnswersEveryBoxAndWritesItToStandardError) {
  const struct {
    const char* answer;
    long style;
    int result;
  } cases[] = {
      {"yes", wxYES_NO, wxYES},          {"no", wxYES_NO, wxNO}, {"yes", wxOK, wxOK}, {"no", wxOK, wxOK},
      {"no", wxOK | wxCANCEL, wxCANCEL},
  };
  for (const auto& c : cases) {
    testsupport::SetEnvironment("NUBIVANE_BOX_ANSWER", c.answer);
    const std::unique_ptr<BoxAnswer> hook = BoxAnswer::FromEnvironment();
    ASSERT_NE(hook, nullptr);
    CapturedStderr captured;
    EXPECT_EQ(wxMessageBox(wxS("Couldn't connect .\r\nTry again!"), wxS("ERROR"), c.style), c.result)
        << c.answer;
    EXPECT_EQ(captured.Text(), "[box] ERROR: Couldn't connect .\nTry again!\n");
  }
  testsupport::SetEnvironment("NUBIVANE_BOX_ANSWER", "maybe");
  EXPECT_EQ(BoxAnswer::FromEnvironment(), nullptr);
  testsupport::UnsetEnvironment("NUBIVANE_BOX_ANSWER");
  EXPECT_EQ(BoxAnswer::FromEnvironment(), nullptr);
}

}  // namespace
