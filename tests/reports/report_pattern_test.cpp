#include "reports/report_pattern.h"

#include <gtest/gtest.h>
#include <wx/log.h>

namespace {

// A pattern that does not compile matches nothing: every decoder step reads it as a group that
// is not there, without asking first.
TEST(ReportPattern, PatternThatDoesNotCompileMatchesNothing) {
  wxLogNull quiet;  // the library reports the bad pattern
  const ReportPattern broken(wxS("(AAXX"));
  EXPECT_FALSE(broken.Search(wxS("AAXX 12181 10015")));
  std::size_t start = 0, length = 0;
  EXPECT_FALSE(broken.Group(0, &start, &length));
  EXPECT_EQ(broken.GroupText(wxS("AAXX"), 0), wxString());
  EXPECT_EQ(broken.End(), wxString::npos);
}

TEST(ReportPattern, GroupsOfTheLastSearch) {
  const ReportPattern marker(wxS("(AAXX[[:space:]]*([0-9/]{5}))|NNNN"));
  const wxString bulletin = wxS("ZCZC AAXX 12181 10015");
  ASSERT_TRUE(marker.Search(bulletin));
  EXPECT_EQ(marker.GroupText(bulletin, 2), wxS("12181"));
  EXPECT_EQ(marker.End(), 15u);
  EXPECT_EQ(marker.End(2), 15u);

  const wxString end = wxS("10015 41480= NNNN");
  ASSERT_TRUE(marker.Search(end));
  EXPECT_EQ(marker.GroupText(end, 0), wxS("NNNN"));
  EXPECT_EQ(marker.GroupText(end, 2), wxString());  // took no part
  EXPECT_EQ(marker.End(2), wxString::npos);
  EXPECT_EQ(marker.End(), end.length());
}

}  // namespace
