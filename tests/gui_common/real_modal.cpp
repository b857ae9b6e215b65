#include "gui_common/real_modal.h"

#include <wx/dialog.h>

#include <algorithm>
#include <vector>

#include "gui_common/screenshot.h"

namespace guitest {
namespace {

std::vector<const wxDialog*>& LetThrough() {
  static std::vector<const wxDialog*> dialogs;
  return dialogs;
}

}  // namespace

RealModal::RealModal(wxDialog* dialog) { LetThrough().push_back(dialog); }

RealModal::~RealModal() { LetThrough().pop_back(); }

bool RealModal::IsLetThrough(const wxDialog* dialog) {
  const auto& dialogs = LetThrough();
  return std::find(dialogs.begin(), dialogs.end(), dialog) != dialogs.end();
}

int RunModal(wxDialog* dialog, const std::function<void()>& inside) {
  RealModal real(dialog);
  dialog->CallAfter([dialog, inside] {
    PaintNow(dialog);
    inside();
  });
  return dialog->ShowModal();
}

}  // namespace guitest
