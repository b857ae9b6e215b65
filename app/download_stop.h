#pragma once

#include <functional>

class DownloadStop;

// Ends the download the main window is running at once, and keeps the rest of its download step
// from starting another or showing a box: for a close request or a stop signal. Any thread.
void StopWindowDownloads();

// A step of the main window that downloads on the GUI thread (the download step, the update
// check). The first step to begin lowers the window's stop; a stop raised while a step runs stays
// raised until the last one has ended, so that the rest of a stopped step starts nothing. GUI
// thread.
class WindowDownloadStep {
 public:
  WindowDownloadStep();
  ~WindowDownloadStep();
  WindowDownloadStep(const WindowDownloadStep&) = delete;
  WindowDownloadStep& operator=(const WindowDownloadStep&) = delete;

  // The stop of the window's downloads, which StopWindowDownloads raises.
  const DownloadStop* Stop() const;
};

// A waiting hook for a download on the GUI thread: draws the windows and answers the window
// system (signals included, no input) whenever 50 ms have passed since it last did, also before
// the application's event loop runs (the start-up's update check).
std::function<void()> KeepWindowsDrawn();
