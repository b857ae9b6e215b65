#include "app/dialog_fit.h"

#include <wx/control.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/toplevel.h>

#include <algorithm>

void WidenToShow(wxControl* control, const wxString& text) {
  wxSize minimum = control->GetMinSize();
  minimum.x = std::max(minimum.x, control->GetSizeFromText(text).x);
  control->SetMinSize(minimum);
}

void AtLeastBest(wxWindow* control) {
  control->InvalidateBestSize();
  const wxSize best = control->GetBestSize();
  const wxSize minimum = control->GetMinSize();
  control->SetMinSize(wxSize(std::max(minimum.x, best.x), std::max(minimum.y, best.y)));
}

void WidenForDigits(std::initializer_list<wxControl*> controls, int digits) {
  for (wxControl* control : controls) WidenToShow(control, wxString(wxS('8'), digits));
}

namespace {

// Pixels between a static box's frame and what lies beside it, inside or outside.
constexpr int kFrameMargin = 5;

void AddMargin(wxSizerItem* item, int sides) {
  const int missing = sides & ~item->GetFlag();
  if (missing == 0 && item->GetBorder() >= kFrameMargin) return;
  item->SetFlag(item->GetFlag() | sides);
  item->SetBorder(std::max(item->GetBorder(), kFrameMargin));
}

// The sides of a box's item that face the box's frame.
int SidesFacingFrame(const wxStaticBoxSizer& box, std::size_t index, std::size_t count) {
  if (box.GetOrientation() == wxVERTICAL) return wxLEFT | wxRIGHT | (index + 1 == count ? wxBOTTOM : 0);
  return wxBOTTOM | (index == 0 ? wxLEFT : 0) | (index + 1 == count ? wxRIGHT : 0);
}

}  // namespace

void ClearStaticBoxFrames(wxSizer* sizer) {
#ifdef __WXGTK__
  auto* box = dynamic_cast<wxStaticBoxSizer*>(sizer);
  const wxSizerItemList& items = sizer->GetChildren();
  std::size_t index = 0;
  for (wxSizerItem* item : items) {
    if (box != nullptr) AddMargin(item, SidesFacingFrame(*box, index, items.size()));
    if (wxSizer* inner = item->GetSizer()) {
      if (dynamic_cast<wxStaticBoxSizer*>(inner) != nullptr) AddMargin(item, wxALL);
      ClearStaticBoxFrames(inner);
    }
    ++index;
  }
#else
  (void)sizer;
#endif
}

namespace {

// The best sizes measured before the window stood on the screen are stale once it does.
void ForgetBestSizes(wxWindow* window) {
  window->InvalidateBestSize();
  for (wxWindow* child : window->GetChildren()) ForgetBestSizes(child);
}

void GrowToBest(wxDialog* dialog, const wxSize& wanted) {
  dialog->InvalidateBestSize();
  const wxSize best = dialog->GetBestSize();
  dialog->SetMinSize(best);
  const wxSize now = dialog->GetSize();
  const wxSize size(std::max({wanted.x, best.x, now.x}), std::max({wanted.y, best.y, now.y}));
  if (size != now) dialog->SetSize(size);
  dialog->Layout();
  if (!dialog->IsShown()) ShowAtOnce(dialog);
}

}  // namespace

void KeepFitted(wxDialog* dialog, const wxSize& wanted, std::function<void()> fitControls) {
  fitControls();
  GrowToBest(dialog, wanted);
  dialog->Bind(wxEVT_SHOW, [dialog, fitControls](wxShowEvent& event) {
    event.Skip();
    if (!event.IsShown()) return;
    ForgetBestSizes(dialog);
    fitControls();
    GrowToBest(dialog, wxDefaultSize);
  });
}

void ShowAtOnce(wxTopLevelWindow* window) {
#ifdef __WXGTK__
  window->SetClientSize(window->GetClientSize());
#else
  (void)window;
#endif
}

void EndDialogRun(wxDialog* dialog, int code) {
  if (dialog->IsModal()) {
    dialog->EndModal(code);
  } else {
    dialog->Hide();
  }
}
