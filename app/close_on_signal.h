#pragma once

// SIGTERM, SIGINT and SIGHUP close the main window the way its close box does, so that the
// threads are joined, the ini is saved and the log ends with its "Close" line. The library runs
// the handler from its event loop, not inside the signal. The main window is the application's
// top window.
void CloseMainWindowOnSignals();

// Runs at once the close a signal that has come asks for. For a wait of the GUI thread outside
// any event loop (the start-up's reading of the previous log and its mail), which would
// otherwise run it only once the loop runs.
void ServeCaughtSignals();
