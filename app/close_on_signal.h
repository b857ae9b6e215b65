#pragma once

// SIGTERM, SIGINT and SIGHUP close the main window the way its close box does, so that the
// threads are joined, the ini is saved and the log ends with its "Close" line. The library runs
// the handler from its event loop, not inside the signal. The main window is the application's
// top window.
void CloseMainWindowOnSignals();
