#pragma once

// Signals the program answers. The library runs the handlers from its event loop, not inside the
// signal; the main window is the application's top window.
// - SIGTERM and SIGINT close the main window the way its close box does, so that the threads are
//   joined, the ini is saved and the log ends with its "Close" line.
// - SIGUSR1, when NUBIVANE_SNAPSHOT names a file, prints the progress label and the four status
//   fields to the standard output and writes a picture of the main window to that file: for
//   scripts that run the program without a person.
void InstallProgramSignals();
