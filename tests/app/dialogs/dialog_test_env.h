#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/spinctrl.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <functional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <wx/msw/wrapwin.h>
#else
#include <dlfcn.h>
#endif

#include "gui_common/real_modal.h"
#include "gui_common/screenshot.h"

// A simulated person in front of the dialogs: clicks, keys and the close box go through the
// window system, as a person's do.
namespace dialogtest {

inline void Settle() {
  wxTheApp->ProcessPendingEvents();
  wxLog::FlushActive();
  wxTheApp->ProcessIdle();
}

// Lets the simulated person's input arrive (it travels through the window system) until the
// condition holds; false after the bound. Runs inside a dialog's modal loop too.
inline bool WaitUntil(const std::function<bool()>& done, int boundMs = 5000) {
  const wxLongLong end = wxGetLocalTimeMillis() + boundMs;
#ifdef __WXMSW__
  // Outside a running loop Yield hands keys to the window without the loop's own steps (menu
  // shortcuts, a dialog's keys): wait in a loop of our own, as the program's keys arrive.
  if (wxEventLoopBase::GetActive() == nullptr) {
    wxEventLoop loop;
    wxTimer check;
    check.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
      if (done() || wxGetLocalTimeMillis() > end) loop.ScheduleExit();
    });
    check.Start(2);
    loop.Run();
    return done();
  }
#endif
  while (!done()) {
    if (wxGetLocalTimeMillis() > end) return false;
    wxTheApp->Yield(true);
    wxMilliSleep(2);
  }
  return true;
}

// The window the dialogs open over, on the screen before any of them: a window manager stacks a
// window mapped later above the others, a modal dialog's parent included.
inline wxFrame* ShowMainWindowStandIn() {
  auto* frame = new wxFrame(nullptr, wxID_ANY, wxS("Nubivane lite"), wxPoint(100, 100), wxSize(743, 417));
  frame->Show();
  EXPECT_TRUE(guitest::PaintNow(frame)) << "the main window's stand-in never stood on the screen";
  return frame;
}

inline wxPoint Middle(wxWindow* window) {
  const wxRect rect = window->GetScreenRect();
  return {rect.x + rect.width / 2, rect.y + rect.height / 2};
}

// A click also gives its window the keyboard, as the window manager does for a person's click
// (the simulated one may come before the manager has given the window the focus).
inline void Click(wxWindow* window) {
  wxWindow* top = wxGetTopLevelParent(window);
  if (!static_cast<wxTopLevelWindow*>(top)->IsActive()) top->Raise();
  wxUIActionSimulator person;
  person.MouseMove(Middle(window));
  person.MouseClick();
}

// Clicks into the field, selects what it holds and types text over it.
inline void TypeInto(wxWindow* field, const char* text) {
  Click(field);
  field->SetFocus();
  wxUIActionSimulator person;
  // Home and Shift+End select a line's text in every edit control; Ctrl+A does not in Windows' own.
  person.Char(WXK_HOME);
  person.Char(WXK_END, wxMOD_SHIFT);
  person.Text(text);
}

// Picks an item of a list with the keyboard, as a person can without opening it: the list takes
// the keyboard, Home goes to its first item and every Down one further (no further than the last).
inline void ChooseWithKeys(wxChoice* choice, int item) {
  wxWindow* top = wxGetTopLevelParent(choice);
  if (!static_cast<wxTopLevelWindow*>(top)->IsActive()) top->Raise();
  choice->SetFocus();
  wxUIActionSimulator person;
  person.Char(WXK_HOME);
  for (int i = 0; i < item; ++i) person.Char(WXK_DOWN);
}

inline void PressEscape(wxWindow* inside) {
  wxUIActionSimulator person;
  person.MouseMove(Middle(inside));
  inside->SetFocus();
  person.Char(WXK_ESCAPE);
}

// What the window manager's close button does: GTK's own request to close the window, which
// reaches the dialog as its delete event (on Windows the system command the caption's close box
// sends). Where the window manager draws the button differs from one manager to the next, so the
// request is made directly.
inline void PressCloseBox(wxDialog* dialog) {
#ifdef _WIN32
  ASSERT_TRUE(::PostMessageW(static_cast<HWND>(dialog->GetHandle()), WM_SYSCOMMAND, SC_CLOSE, 0));
#else
  using CloseFunction = void (*)(void*);
  static const auto close = reinterpret_cast<CloseFunction>(::dlsym(RTLD_DEFAULT, "gtk_window_close"));
  ASSERT_NE(close, nullptr) << "GTK's gtk_window_close is not in the process";
  close(dialog->GetHandle());
#endif
}

enum class Ending { kOk, kCancel, kEscape, kCloseBox };

inline const char* Name(Ending ending) {
  switch (ending) {
    case Ending::kOk:
      return "OK";
    case Ending::kCancel:
      return "Cancel";
    case Ending::kEscape:
      return "Escape";
    case Ending::kCloseBox:
      return "close box";
  }
  return "?";
}

inline void End(wxDialog* dialog, Ending ending, wxWindow* ok, wxWindow* cancel) {
  switch (ending) {
    case Ending::kOk:
      return Click(ok);
    case Ending::kCancel:
      return Click(cancel);
    case Ending::kEscape:
      return PressEscape(dialog);
    case Ending::kCloseBox:
      return PressCloseBox(dialog);
  }
}

// What a text field needs to show its text whole, measured on a fresh twin beside it: GTK
// measures a field that already stands in a layout from the room it was given.
inline wxSize NeededForText(wxWindow* parent, const wxString& text) {
  auto* twin = new wxTextCtrl(parent, wxID_ANY, text);
  const wxSize needed(twin->GetSizeFromText(text).x, twin->GetBestSize().y);
  twin->Destroy();
  return needed;
}

inline wxSize NeededForSpin(wxSpinCtrl* spin) {
  auto* twin = new wxSpinCtrl(spin->GetParent(), wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                              wxSP_ARROW_KEYS, spin->GetMin(), spin->GetMax(), spin->GetValue());
  const wxSize needed(twin->GetSizeFromText(spin->GetTextValue()).x, twin->GetBestSize().y);
  twin->Destroy();
  return needed;
}

// What a slider with the same range and style needs: the best size of one given no size, since
// the given height stands in the real one's best size.
inline wxSize NeededForSlider(wxSlider* slider) {
  auto* twin = new wxSlider(slider->GetParent(), wxID_ANY, slider->GetValue(), slider->GetMin(),
                            slider->GetMax(), wxDefaultPosition, wxDefaultSize, slider->GetWindowStyleFlag());
  const wxSize needed = twin->GetBestSize();
  twin->Destroy();
  return needed;
}

// The frames static boxes draw must show whole: a box's contents and the box itself stand a few
// pixels clear of the lines (GTK draws a box's frame a pixel beside the rectangle it reports, and
// reports its contents from below its label).
constexpr int kFrameClearance = 3;

inline bool InsideFrameOf(wxStaticBox* box, const wxRect& rect) {
  int top = 0;
  int other = 0;
  box->GetBordersForSizer(&top, &other);
  const wxSize size = box->GetSize();
  return rect.x >= kFrameClearance - 1 && rect.y >= 0 && rect.GetRight() < size.x - kFrameClearance &&
         rect.GetBottom() < size.y - top - kFrameClearance;
}

// Controls cut short by their parent or smaller than their text needs, by their label or value.
inline std::vector<std::string> ClippedControls(wxWindow* top) {
  std::vector<std::string> clipped;
  const std::function<void(wxWindow*)> visit = [&](wxWindow* parent) {
    const wxSize room = parent->GetClientSize();
    const wxWindowList children = parent->GetChildren();
    for (wxWindow* child : children) {
      if (!child->IsShown()) continue;
      wxRect rect = child->GetRect();
      if (auto* slider = dynamic_cast<wxSlider*>(child)) {
        // Windows reports the extent of the slider's drawn parts, not the room it was given.
        wxSizer* sizer = slider->GetContainingSizer();
        if (wxSizerItem* item = sizer != nullptr ? sizer->GetItem(slider) : nullptr) rect = item->GetRect();
      }
      wxString name =
          child->GetLabel().empty() ? wxString(child->GetClassInfo()->GetClassName()) : child->GetLabel();
      bool inside = rect.x >= 0 && rect.y >= 0 && rect.GetRight() < room.x && rect.GetBottom() < room.y;
#ifdef __WXGTK__
      // GTK draws a static box's frame inside the room its children get; Windows places them
      // clear of it.
      if (auto* box = dynamic_cast<wxStaticBox*>(parent)) {
        inside = InsideFrameOf(box, rect);
      } else if (dynamic_cast<wxStaticBox*>(child) != nullptr) {
        inside = inside && rect.GetRight() < room.x - kFrameClearance &&
                 rect.GetBottom() < room.y - kFrameClearance;
      }
#endif
      wxSize needed = child->GetBestSize();
      if (auto* text = dynamic_cast<wxTextCtrl*>(child)) {
        name = text->GetValue();
        needed = NeededForText(parent, text->GetValue());
      } else if (auto* spin = dynamic_cast<wxSpinCtrl*>(child)) {
        name = spin->GetTextValue();
        needed = NeededForSpin(spin);
      } else if (auto* slider = dynamic_cast<wxSlider*>(child)) {
        needed = NeededForSlider(slider);
      }
      if (!inside || rect.width < needed.x || rect.height < needed.y) {
        clipped.push_back(name.utf8_string() + " (" + std::to_string(rect.width) + "x" +
                          std::to_string(rect.height) + ", needs " + std::to_string(needed.x) + "x" +
                          std::to_string(needed.y) + (inside ? ")" : ", outside its parent)"));
      }
      visit(child);
    }
  };
  visit(top);
  return clipped;
}

// Run inside the dialog's modal loop: every control whole, the dialog at least its best size,
// and its picture kept under the build folder as name; then the person closes it.
inline void ExpectWholeAndKeepPicture(wxDialog* dialog, const wxString& name, wxWindow* close) {
  EXPECT_EQ(ClippedControls(dialog), std::vector<std::string>());
  EXPECT_GE(dialog->GetSize().x, dialog->GetBestSize().x);
  EXPECT_GE(dialog->GetSize().y, dialog->GetBestSize().y);
  EXPECT_FALSE(guitest::SaveScreenshot(dialog, name).empty());
  Click(close);
}

}  // namespace dialogtest
