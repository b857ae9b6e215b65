#include "app/program_icon.h"

#include "app/amain.xpm"

wxIcon ProgramIcon(const wxString& name) {
  if (name == wxS("amain")) return wxIcon(amain_xpm);
  return wxIcon();
}
