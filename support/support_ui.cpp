#include "support/support_ui.h"

#include <atomic>
#include <cstdio>

namespace {

class NullProgress : public ProgressView {
 public:
  void Update(int, const wxString&) override {}
  void Pulse(const wxString&) override {}
};

class ConsoleSupportUi : public SupportUi {
 public:
  void ShowMessage(const wxString& text, const wxString& caption, long, wxWindow*) override {
    std::fprintf(stderr, "%s: %s\n", caption.utf8_str().data(), text.utf8_str().data());
  }
  std::unique_ptr<ProgressView> ShowProgress(const wxString&, const wxString&, int, wxWindow*, int) override {
    return std::make_unique<NullProgress>();
  }
};

ConsoleSupportUi& DefaultUi() {
  static ConsoleSupportUi ui;
  return ui;
}

// Read by whichever thread asks for a box.
std::atomic<SupportUi*>& InstalledUi() {
  static std::atomic<SupportUi*> ui{nullptr};
  return ui;
}

}  // namespace

SupportUi& CurrentSupportUi() {
  SupportUi* ui = InstalledUi().load();
  return ui != nullptr ? *ui : DefaultUi();
}

SupportUi* InstallSupportUi(SupportUi* ui) { return InstalledUi().exchange(ui); }
