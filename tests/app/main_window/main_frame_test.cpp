#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/menu.h>

#include <string>
#include <vector>

#include "app/dialog_fit.h"
#include "app/nubivane_frame.h"
#include "gui_common/screenshot.h"

namespace {

// The rightmost column of what the control shows on the screen that holds text: a pixel far darker
// than the background. -1 when there is none.
int LastTextColumn(wxWindow* control) {
  const wxSize size = control->GetClientSize();
  if (size.x <= 0 || size.y <= 0) return -1;
  wxBitmap picture(size);
  {
    wxClientDC source(control);
    wxMemoryDC target(picture);
    target.Blit(0, 0, size.x, size.y, &source, 0, 0);
  }
  const wxImage image = picture.ConvertToImage();
  for (int x = size.x - 1; x >= 0; --x) {
    for (int y = 0; y < size.y; ++y) {
      if (image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 100) return x;
    }
  }
  return -1;
}

// The frame and its children go when the library next deletes pending windows.
void Dispose(wxFrame* frame) {
  frame->Destroy();
  wxTheApp->ProcessIdle();
}

// True when some handler consumed the event; a handler that skips leaves it unhandled.
bool Consumed(wxFrame* frame, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  event.SetEventObject(frame);
  return frame->ProcessWindowEvent(event);
}

struct ItemCase {
  const char* menu;
  const char* label;  // with its accelerator
  const char* help;
  bool enabled;
};

TEST(MainFrameLayout, MenusAsTheLayoutGivesThem) {
  auto* frame = new NubivaneFrame(nullptr);
  const ItemCase cases[] = {
      {"&Nubivane", "Download WX", "Download weather from server", true},
      {"&Nubivane", "Sent wx to FS", "", false},
      {"&Nubivane", "Option", "", true},
      {"&Nubivane", "E&xit\tAlt+F4", "Exit the application", true},
      {"WX", "Set FS Weather", "", true},
      {"WX", "Find WX", "", false},
      {"&Info", "&About\tF1", "Show info about this application", true},
      {"&Info", "&Help\tShift+F1", "", true},
      {"&Info", "Check for updates", "", true},
  };
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&Nubivane");
  EXPECT_EQ(bar->GetMenuLabel(1), "WX");
  EXPECT_EQ(bar->GetMenuLabel(2), "&Info");
  for (const ItemCase& c : cases) {
    wxMenu* menu = bar->GetMenu(bar->FindMenu(c.menu));
    wxMenuItem* found = nullptr;
    for (wxMenuItem* item : menu->GetMenuItems()) {
      if (item->GetItemLabel() == c.label) found = item;
    }
    ASSERT_NE(found, nullptr) << c.label;
    EXPECT_EQ(found->GetHelp(), c.help) << c.label;
    EXPECT_EQ(found->IsEnabled(), c.enabled) << c.label;
    EXPECT_FALSE(found->IsCheckable()) << c.label;
  }
  EXPECT_EQ(frame->MainMenu->FindItem(kIdSendWxToFs)->GetItemLabel(), "Sent wx to FS");
  EXPECT_EQ(frame->MainMenu->GetMenuItemCount(), 5u);  // the separator before "E&xit"
  Dispose(frame);
}

TEST(MainFrameLayout, ProductFrameSetsTitleColumnsAndStatusFields) {
  auto* frame = new NubivaneFrame(nullptr);
  EXPECT_EQ(frame->GetTitle(), "Nubivane lite");
  EXPECT_EQ(frame->GetName(), "frame");
  EXPECT_EQ(frame->GetSize(), wxSize(743, 417));
  EXPECT_EQ(frame->StatusBar->GetFieldsCount(), 4);
  EXPECT_EQ(frame->StatusBar->GetName(), "status_line");
  // Two fixed fields of at least 130 and 220 pixels, wide enough for their longest texts, and two
  // that share the rest.
  EXPECT_GE(frame->StatusBar->GetStatusWidth(0), 130);
  EXPECT_GE(frame->StatusBar->GetStatusWidth(0), frame->StatusBar->GetTextExtent("Update in 99999s").x);
  EXPECT_GE(frame->StatusBar->GetStatusWidth(1), 220);
  EXPECT_GE(frame->StatusBar->GetStatusWidth(1),
            frame->StatusBar->GetTextExtent("Metar: 99999 Upperair: 9999 Synop: 99999").x);
  EXPECT_EQ(frame->StatusBar->GetStatusWidth(2), -1);
  EXPECT_EQ(frame->StatusBar->GetStatusWidth(3), -1);

  struct Column {
    const char* heading;
    int alignment;
    int width;
  };
  const Column columns[] = {{"Level", wxLIST_FORMAT_LEFT, wxLIST_DEFAULT_COL_WIDTH},
                            {"Press", wxLIST_FORMAT_LEFT, 50},
                            {"Dir", wxLIST_FORMAT_LEFT, 37},
                            {"Speed", wxLIST_FORMAT_LEFT, 45},
                            {"Temp", wxLIST_FORMAT_RIGHT, 55},
                            {"Dew", wxLIST_FORMAT_RIGHT, 55},
                            {"Humidity", wxLIST_FORMAT_LEFT, wxLIST_DEFAULT_COL_WIDTH}};
  ASSERT_EQ(frame->UpperairList->GetColumnCount(), 7);
  EXPECT_EQ(frame->UpperairList->GetId(), kIdUpperairList);
  for (int i = 0; i < 7; ++i) {
    wxListItem column;
    column.SetMask(wxLIST_MASK_TEXT | wxLIST_MASK_FORMAT | wxLIST_MASK_WIDTH);
    ASSERT_TRUE(frame->UpperairList->GetColumn(i, column));
    EXPECT_EQ(column.GetText(), columns[i].heading);
    EXPECT_EQ(column.GetAlign(), columns[i].alignment) << columns[i].heading;
    EXPECT_EQ(frame->UpperairList->GetColumnWidth(i), columns[i].width) << columns[i].heading;
  }
  Dispose(frame);
}

TEST(MainFrameLayout, IcaoFieldStartsWithEddbAndTakesFourCharacters) {
  auto* frame = new NubivaneFrame(nullptr);
  EXPECT_EQ(frame->IcaoText->GetId(), kIdIcaoText);
  EXPECT_EQ(frame->IcaoText->GetValue(), "EDDB");
  frame->IcaoText->Clear();
  for (const char* typed : {"K", "J", "F", "K", "X"}) frame->IcaoText->WriteText(typed);
  EXPECT_EQ(frame->IcaoText->GetValue(), "KJFK");  // the fifth character does not go in
  EXPECT_TRUE(frame->ProgressLabel->GetLabel().empty());
  EXPECT_EQ(frame->ProgressGauge->GetRange(), 100);
  EXPECT_EQ(frame->ProgressGauge->GetValue(), 0);
  EXPECT_EQ(frame->StationList->GetCount(), 0u);
  EXPECT_TRUE(frame->ReportText->GetValue().empty());
  EXPECT_TRUE(frame->ReportText->HasFlag(wxTE_READONLY));
  Dispose(frame);
}

// The generated layer only skips; the product class consumes the items whose work lies in the
// logic class, and "Find WX" reaches nobody.
TEST(MainFrameLayout, HandlersSkipInTheLayoutAndAreEmptyInTheProduct) {
  auto* layout =
      new MainFrame(nullptr, wxID_ANY, "layout", wxDefaultPosition, wxDefaultSize, wxDEFAULT_FRAME_STYLE);
  auto* product = new NubivaneFrame(nullptr);
  const int ids[] = {kIdDownloadWx, kIdSendWxToFs, kIdOption, kIdCheckUpdates};
  for (int id : ids) {
    EXPECT_FALSE(Consumed(layout, id)) << id;
    EXPECT_TRUE(Consumed(product, id)) << id;
  }
  const int help = product->GetMenuBar()->FindMenuItem("&Info", "Help");
  ASSERT_NE(help, wxNOT_FOUND);
  EXPECT_TRUE(Consumed(product, help));  // does nothing, and the window stays
  EXPECT_FALSE(product->IsBeingDeleted());
  const int findWx = product->GetMenuBar()->FindMenuItem("WX", "Find WX");
  ASSERT_NE(findWx, wxNOT_FOUND);
  EXPECT_FALSE(Consumed(product, findWx));

  wxCommandEvent enter(wxEVT_TEXT_ENTER, kIdIcaoText);
  enter.SetEventObject(layout->IcaoText);
  EXPECT_FALSE(layout->IcaoText->ProcessWindowEvent(enter));
  enter.SetEventObject(product->IcaoText);
  EXPECT_TRUE(product->IcaoText->ProcessWindowEvent(enter));
  Dispose(layout);
  Dispose(product);
}

TEST(MainFrameLayout, ExitAndTheCloseBoxDestroyTheFrame) {
  auto* byMenu = new NubivaneFrame(nullptr);
  EXPECT_TRUE(Consumed(byMenu, kIdExit));
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(byMenu));
  auto* byCloseBox = new NubivaneFrame(nullptr);
  EXPECT_TRUE(byCloseBox->Close());
  EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(byCloseBox));
  wxTheApp->ProcessIdle();
  for (wxWindow* window : wxTopLevelWindows) {
    EXPECT_NE(window, byMenu);
    EXPECT_NE(window, byCloseBox);
  }
}

// The progress label shows each of its texts whole, the gauge beside it or not: its text ends
// before the label's right edge, and the label inside the panel.
TEST(MainFrameLayout, TheProgressLabelShowsItsTextsWhole) {
  const char* const texts[] = {"Success! All Stations written", "No station within 10000 km of the aircraft",
                               "Connecting to weatherserver....", "Download NOAA-Metar 9999 KB from 9999 KB"};
  auto* frame = new NubivaneFrame(nullptr);
  // As the program shows it: at once at its size, not first laid out at the window manager's 2x1.
  ShowAtOnce(frame);
  frame->Show();
  for (const bool gauge : {false, true}) {
    frame->ProgressGauge->Show(gauge);
    frame->Panel->Layout();
    for (const char* text : texts) {
      // As the main window shows a progress that leaves the gauge as it is: no new layout.
      frame->ProgressLabel->SetLabel(wxString::FromUTF8(text));
      ASSERT_TRUE(guitest::PaintNow(frame)) << text;
      const wxRect label = frame->ProgressLabel->GetRect();
      const int lastColumn = LastTextColumn(frame->ProgressLabel);
      const std::string where = std::string(text) + (gauge ? ", gauge shown" : ", gauge hidden") +
                                ": label " + std::to_string(label.width) + " px, text to column " +
                                std::to_string(lastColumn);
      EXPECT_GE(lastColumn, 0) << where;
      EXPECT_LT(lastColumn, label.width - 1) << where;
      EXPECT_LE(label.GetRight(), frame->Panel->GetClientSize().x) << where;
      if (gauge) {
        EXPECT_LT(label.GetRight(), frame->ProgressGauge->GetPosition().x) << where;
      }
    }
  }
  Dispose(frame);
}

TEST(MainFrameLayout, ExtraHeightGoesToTheLowerPartAndWidthIsShared) {
  auto* frame = new NubivaneFrame(nullptr);
  frame->Show();
  frame->SetSize(800, 500);
  frame->Layout();
  frame->Panel->Layout();
  const wxSize listBefore = frame->StationList->GetSize();
  const wxSize reportBefore = frame->ReportText->GetSize();
  const wxSize tableBefore = frame->UpperairList->GetSize();
  const wxSize icaoBefore = frame->IcaoText->GetSize();
  const wxSize labelBefore = frame->ProgressLabel->GetSize();
  const wxSize gaugeBefore = frame->ProgressGauge->GetSize();

  frame->SetSize(1100, 700);
  frame->Layout();
  frame->Panel->Layout();
  EXPECT_EQ(frame->StationList->GetSize().y, listBefore.y);
  EXPECT_EQ(frame->ReportText->GetSize().y - reportBefore.y, 200);
  EXPECT_EQ(frame->UpperairList->GetSize().y - tableBefore.y, 200);
  const int reportWider = frame->ReportText->GetSize().x - reportBefore.x;
  const int tableWider = frame->UpperairList->GetSize().x - tableBefore.x;
  EXPECT_NEAR(reportWider, 300 * 2 / 5, 1);
  EXPECT_NEAR(tableWider, 300 * 3 / 5, 1);
  EXPECT_EQ(frame->IcaoText->GetSize(), icaoBefore);
  EXPECT_NEAR(frame->ProgressLabel->GetSize().x - labelBefore.x, 200, 1);
  EXPECT_NEAR(frame->ProgressGauge->GetSize().x - gaugeBefore.x, 100, 1);
  Dispose(frame);
}

}  // namespace
