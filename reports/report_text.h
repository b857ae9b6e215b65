#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

#include "base/ascii.h"

// Small text rules shared by the report decoders and the catalogue readers.

// Leading blanks skipped, an optional sign, digits up to the first other character; no digits
// give 0. Saturates rather than wraps on absurdly long digit runs.
std::int64_t ReadWholeNumber(const wxString& text);

// The same with an optional decimal point ("12.5", "-0.45"); no digits give 0.
double ReadDecimalNumber(const wxString& text);

// Deletes the ASCII white space at the start of the text.
void TrimLeading(wxString& text);

// Cuts a text into lines at carriage returns and line feeds; a run of them is one break, so
// empty lines produce nothing.
std::vector<wxString> SplitLines(const wxString& text);

// Appends a file's bytes to text, each byte the character of the same code (ISO 8859-1).
// False when the file cannot be opened or a read fails (a folder of that name); the library
// reports either to its error log.
bool AppendLatin1File(const wxString& path, wxString& text);

// Far beyond any real catalogue (the shipped ones hold a few megabytes): a larger file is no
// catalogue, and reading it whole would hold the start or the loader for minutes.
constexpr std::uint64_t kMaxCatalogueBytes = 32u * 1024 * 1024;

// AppendLatin1File for a catalogue: false also when the file holds more than kMaxCatalogueBytes,
// told by its size before any reading and by the bytes read (a file that grows meanwhile, a
// pipe); text is then left as it was and *problem (CatalogueTooLargeText) says why.
bool AppendCatalogueFile(const wxString& path, wxString& text, wxString* problem = nullptr);

// "airport.dat is larger than 32 MB (33554432 bytes), the most a catalogue may hold: not read",
// with the file's name.
wxString CatalogueTooLargeText(const wxString& path);

// Decodes bytes as ISO 8859-1.
wxString Latin1ToString(const char* bytes, std::size_t length);
