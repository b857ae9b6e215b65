#include "app/program_icon.h"

#ifdef __WINDOWS__
#include <wx/log.h>
#else
#include "app/amain.xpm"
#endif

// Windows keeps a program's icons among the executable's resources, by name (as the library's
// wxICON does); elsewhere they are pictures in the code.
wxIcon ProgramIcon(const wxString& name) {
#ifdef __WINDOWS__
  wxLogNull quiet;  // an unknown name is an invalid icon, not an error box
  return wxIcon(name, wxBITMAP_TYPE_ICO_RESOURCE, 32, 32);
#else
  if (name == wxS("amain")) return wxIcon(amain_xpm);
  return wxIcon();
#endif
}
