#include "gui_common/window_manager.h"

#include <wx/toplevel.h>

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

namespace guitest {

#ifdef __WXGTK__

wxRect WindowManagerFrame(wxTopLevelWindow* window) {
  // GDK's own functions, looked up in the running process: the suites are built without GTK's
  // headers.
  struct GdkRectangle {
    int x, y, width, height;
  };
  using GetWindow = void* (*)(void* widget);
  using GetFrameExtents = void (*)(void* gdkWindow, GdkRectangle* rect);
  static const auto getWindow = reinterpret_cast<GetWindow>(::dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static const auto getFrame =
      reinterpret_cast<GetFrameExtents>(::dlsym(RTLD_DEFAULT, "gdk_window_get_frame_extents"));
  if (getWindow == nullptr || getFrame == nullptr || window->GetHandle() == nullptr) return wxRect();
  void* gdkWindow = getWindow(window->GetHandle());
  if (gdkWindow == nullptr) return wxRect();
  GdkRectangle frame{};
  getFrame(gdkWindow, &frame);
  return wxRect(frame.x, frame.y, frame.width, frame.height);
}

#else

wxRect WindowManagerFrame(wxTopLevelWindow* window) { return window->GetRect(); }

#endif

}  // namespace guitest
