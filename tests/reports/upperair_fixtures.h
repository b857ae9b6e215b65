#pragma once

#include <string>
#include <vector>

#include "common/test_paths.h"
#include "common/upper_level.h"
#include "reports/bulletin_split.h"

// The TEMP fixtures and the small catalogue that holds their stations.
namespace upperairtest {

inline const char* kCatalogue = "station_catalogue_small.dat";

inline wxString CataloguePath() { return wxString(testsupport::FixturePath(kCatalogue)); }

// The piece of a fixture that holds word and station, e.g. ("TTAA", "72201").
inline wxString Piece(const char* fixture, const char* word, const char* station) {
  for (const wxString& piece :
       SplitBulletinPieces(testsupport::ReadLatin1(testsupport::FixturePath(fixture)))) {
    if (piece.Contains(word) && piece.Contains(station)) return piece;
  }
  return wxString();
}

}  // namespace upperairtest
