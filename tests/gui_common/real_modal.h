#pragma once

#include <wx/modalhook.h>

#include <functional>

class wxDialog;

namespace guitest {

// The recorder and the watchdog answer every modal dialog at once; the dialog a test is about
// must run its modal loop for real. While an object of this class lives, they let the dialogs
// it matches through (the watchdog still ends a loop that outlives its limit), and inside runs
// in each one's loop once it stands painted on the screen (a simulated user, say).
class RealModal : public wxModalDialogHook {
 public:
  using Match = std::function<bool(const wxDialog*)>;
  using Inside = std::function<void(wxDialog*)>;

  RealModal(Match matches, Inside inside);
  ~RealModal() override;
  RealModal(const RealModal&) = delete;
  RealModal& operator=(const RealModal&) = delete;

  static bool IsLetThrough(const wxDialog* dialog);

 protected:
  int Enter(wxDialog* dialog) override;
  void Exit(wxDialog*) override {}

 private:
  Match matches_;
  Inside inside_;
};

// The dialogs of one class, say those a window's menu item creates itself.
template <typename Dialog>
RealModal::Match DialogsOf() {
  return [](const wxDialog* dialog) { return dynamic_cast<const Dialog*>(dialog) != nullptr; };
}

// Shows the dialog modally for real and runs inside in its loop as above. Returns what
// ShowModal returned.
int RunModal(wxDialog* dialog, const std::function<void()>& inside);

}  // namespace guitest
