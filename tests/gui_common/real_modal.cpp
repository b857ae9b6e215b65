#include "gui_common/real_modal.h"

#include <wx/dialog.h>

#include <algorithm>
#include <vector>

#include "gui_common/screenshot.h"

namespace guitest {
namespace {

std::vector<const RealModal::Match*>& Active() {
  static std::vector<const RealModal::Match*> matches;
  return matches;
}

}  // namespace

RealModal::RealModal(Match matches, Inside inside)
    : matches_(std::move(matches)), inside_(std::move(inside)) {
  Active().push_back(&matches_);
  Register();
}

RealModal::~RealModal() {
  Unregister();
  auto& active = Active();
  active.erase(std::remove(active.begin(), active.end(), &matches_), active.end());
}

bool RealModal::IsLetThrough(const wxDialog* dialog) {
  const auto& active = Active();
  return std::any_of(active.begin(), active.end(),
                     [dialog](const Match* matches) { return (*matches)(dialog); });
}

int RealModal::Enter(wxDialog* dialog) {
  if (matches_(dialog) && inside_) {
    dialog->CallAfter([dialog, inside = inside_] {
      PaintNow(dialog);
      inside(dialog);
    });
  }
  return wxID_NONE;
}

int RunModal(wxDialog* dialog, const std::function<void()>& inside) {
  RealModal real([dialog](const wxDialog* shown) { return shown == dialog; },
                 [inside](wxDialog*) { inside(); });
  return dialog->ShowModal();
}

}  // namespace guitest
