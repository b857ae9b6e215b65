#include "support/gui/redraw_yield.h"

#include <wx/evtloop.h>
#include <wx/toplevel.h>

#include <memory>

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>

#include <algorithm>
#include <utility>
#include <vector>
#endif

namespace {

#ifdef __WXMSW__

// Alt is down while the key was pressed.
constexpr LPARAM kAltDownFlag = LPARAM{1} << 29;

// The system menu's Close (what the system posts for the close box and Alt+F4, and wine for a
// window manager's close), a press on the close box, Alt+F4 itself.
bool AsksToClose(const MSG& msg) {
  switch (msg.message) {
    case WM_SYSCOMMAND:
      return (msg.wParam & 0xFFF0) == SC_CLOSE;
    case WM_NCLBUTTONDOWN:
      return msg.wParam == HTCLOSE;
    case WM_SYSKEYDOWN:
      return msg.wParam == VK_F4 && (msg.lParam & kAltDownFlag) != 0;
    default:
      return false;
  }
}

// The top-level windows asked to close during the running yield.
std::vector<HWND>* closeAsked = nullptr;

// The yield looks at every message and takes those it holds back out of the queue: each is seen
// here on its way, once or more.
LRESULT CALLBACK NoteCloseRequests(int code, WPARAM removal, LPARAM message) {
  if (code == HC_ACTION && closeAsked != nullptr) {
    const MSG& msg = *reinterpret_cast<const MSG*>(message);
    if (msg.hwnd != nullptr && AsksToClose(msg)) {
      const HWND top = ::GetAncestor(msg.hwnd, GA_ROOT);
      if (std::find(closeAsked->begin(), closeAsked->end(), top) == closeAsked->end())
        closeAsked->push_back(top);
    }
  }
  return ::CallNextHookEx(nullptr, code, removal, message);
}

// As the close box would: not for a window a modal dialog has disabled.
void CloseWindows(const std::vector<HWND>& handles) {
  for (const HWND handle : handles) {
    for (wxWindow* window : wxTopLevelWindows) {
      if (window->GetHWND() == handle && window->IsEnabled() && !window->IsBeingDeleted()) {
        window->Close();
        break;
      }
    }
  }
}

#endif

}  // namespace

void YieldForRedraws() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  // The start-up runs before the application's loop: without a loop of its own nothing would be
  // drawn, and a signal would wait for the end of the download.
  std::unique_ptr<wxEventLoop> startUp;
  if (loop == nullptr) {
    startUp = std::make_unique<wxEventLoop>();
    loop = startUp.get();
  }
#ifdef __WXMSW__
  std::vector<HWND> asked;
  std::vector<HWND>* const outer = std::exchange(closeAsked, &asked);
  const HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, NoteCloseRequests, nullptr, ::GetCurrentThreadId());
  loop->YieldFor(wxEVT_CATEGORY_UI);
  if (hook != nullptr) ::UnhookWindowsHookEx(hook);
  closeAsked = outer;
  CloseWindows(asked);
#else
  loop->YieldFor(wxEVT_CATEGORY_UI);
#endif
}
