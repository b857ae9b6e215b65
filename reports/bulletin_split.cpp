#include "reports/bulletin_split.h"

#include <wx/tokenzr.h>

std::vector<wxString> SplitBulletinPieces(const wxString& text) {
  std::vector<wxString> pieces;
  wxStringTokenizer tokens(text, wxS("="), wxTOKEN_DEFAULT);
  while (tokens.HasMoreTokens()) pieces.push_back(tokens.GetNextToken());
  return pieces;
}
