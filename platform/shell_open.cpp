#include "platform/shell_open.h"

#include <utility>

#include "platform/shell_open_default.h"

namespace platform {
namespace {

ShellOpenHandler& CurrentHandler() {
  static ShellOpenHandler handler;
  return handler;
}

ShellOpenHandler& CurrentUrlHandler() {
  static ShellOpenHandler handler;
  return handler;
}

}  // namespace

void ShellOpenFile(const wxString& file) {
  const ShellOpenHandler& handler = CurrentHandler();
  if (handler) {
    handler(file);
  } else {
    OpenWithDefaultHandler(file);
  }
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
  ShellOpenHandler previous = std::move(CurrentHandler());
  CurrentHandler() = std::move(handler);
  return previous;
}

void OpenUrl(const wxString& url) {
  const ShellOpenHandler& handler = CurrentUrlHandler();
  if (handler) {
    handler(url);
  } else {
    OpenUrlWithDefaultHandler(url);
  }
}

ShellOpenHandler SetUrlOpenHandler(ShellOpenHandler handler) {
  ShellOpenHandler previous = std::move(CurrentUrlHandler());
  CurrentUrlHandler() = std::move(handler);
  return previous;
}

}  // namespace platform
