#pragma once

#include <functional>

class wxDialog;

namespace guitest {

// The recorder and the watchdog answer every modal dialog at once; the dialog a test is about
// must run its modal loop for real. While an object of this class lives, they let that one
// dialog through (the watchdog still ends its loop when it outlives the limit).
class RealModal {
 public:
  explicit RealModal(wxDialog* dialog);
  ~RealModal();
  RealModal(const RealModal&) = delete;
  RealModal& operator=(const RealModal&) = delete;

  static bool IsLetThrough(const wxDialog* dialog);
};

// Shows the dialog modally for real and, once it stands painted on the screen, runs inside in
// its loop (a simulated user, say). Returns what ShowModal returned.
int RunModal(wxDialog* dialog, const std::function<void()>& inside);

}  // namespace guitest
