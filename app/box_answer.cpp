#include "app/box_answer.h"

#include <wx/msgdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

std::unique_ptr<BoxAnswer> BoxAnswer::FromEnvironment() {
  const char* answer = std::getenv("NUBIVANE_BOX_ANSWER");
  if (answer == nullptr || (std::strcmp(answer, "yes") != 0 && std::strcmp(answer, "no") != 0))
    return nullptr;
  auto hook = std::make_unique<BoxAnswer>(std::strcmp(answer, "yes") == 0);
  hook->Register();
  return hook;
}

int BoxAnswer::Enter(wxDialog* dialog) {
  auto* box = dynamic_cast<wxMessageDialog*>(dialog);
  if (box == nullptr) return wxID_NONE;  // the program's own dialogs are shown as they are
  wxString text = box->GetMessage();
  text.Replace(wxS("\r"), wxString());
  std::fprintf(stderr, "[box] %s: %s\n", static_cast<const char*>(box->GetCaption().utf8_str()),
               static_cast<const char*>(text.utf8_str()));
  std::fflush(stderr);
  const long style = box->GetMessageDialogStyle();
  if (style & wxYES_NO) return yes_ ? wxID_YES : wxID_NO;
  if (style & wxCANCEL) return yes_ ? wxID_OK : wxID_CANCEL;
  return wxID_OK;
}
