// Downloads the URL given as its argument as text in a process of its own, so that a test can
// give it an environment from the start (the library reads HTTP_PROXY when it starts up).
// Prints the result code on the first line, then the text as UTF-8.
#include <wx/init.h>

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "support/download.h"

int main(int argc, char** argv) {
  if (argc != 2 || !wxInitialize()) {
    return 2;
  }
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);  // the text exactly, without line ends made CR LF
#endif
  DownloadOptions options;
  options.limits = {std::chrono::seconds(5), std::chrono::seconds(10), 1 << 20};
  wxString text;
  const DownloadResult result = DownloadText(wxString::FromUTF8(argv[1]), text, options);
  std::printf("%d\n%s", static_cast<int>(result), text.utf8_str().data());
  wxUninitialize();
  return 0;
}
