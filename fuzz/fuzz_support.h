#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Shared by the fuzz targets: each is one program that libFuzzer calls with input after input.

// Starts the wxBase library once, before the first input.
void StartLibrary();

// The input bytes as text, each byte the character of the same code (ISO 8859-1), as the
// program reads its feeds and catalogues.
wxString InputText(const std::uint8_t* data, std::size_t size);

// A shipped catalogue ("station.dat", "airport.dat").
wxString CataloguePath(const char* name);

// Ends the run as a finding when a property that must hold does not.
void Require(bool condition, const char* what);
