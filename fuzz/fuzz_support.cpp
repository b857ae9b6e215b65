#include "fuzz_support.h"

#include <wx/debug.h>
#include <wx/init.h>

#include <cstdio>
#include <cstdlib>

#include "reports/report_text.h"

namespace {

// The program shows a library assert as a box in front of the user: here it is a finding.
void AbortOnAssert(const wxString& file, int line, const wxString& function, const wxString& condition,
                   const wxString& message) {
  std::fprintf(stderr, "library assert at %s:%d in %s: %s %s\n", file.utf8_str().data(), line,
               function.utf8_str().data(), condition.utf8_str().data(), message.utf8_str().data());
  std::abort();
}

}  // namespace

void StartLibrary() {
  static const bool started = wxInitialize();
  if (!started) {
    std::fprintf(stderr, "cannot start wxBase\n");
    std::abort();
  }
  wxSetAssertHandler(&AbortOnAssert);
}

wxString InputText(const std::uint8_t* data, std::size_t size) {
  return Latin1ToString(reinterpret_cast<const char*>(data), size);
}

wxString CataloguePath(const char* name) { return wxString::FromUTF8(NUB_CATALOGUE_DIR "/") + name; }

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}
