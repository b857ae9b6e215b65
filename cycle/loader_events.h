#pragma once

#include <wx/event.h>

// The events the loader posts to its sink (the main window), one type per kind.
wxDECLARE_EVENT(EVT_LOADER_PROGRESS, wxThreadEvent);  // a new LoaderProgress waits in the mailbox
wxDECLARE_EVENT(EVT_LOADER_MESSAGE, wxThreadEvent);   // a box: GetString() its text, caption "Error"
wxDECLARE_EVENT(EVT_LOADER_LISTS, wxThreadEvent);     // a split's lists are published
wxDECLARE_EVENT(EVT_LOADER_LOG, wxThreadEvent);       // a line for the log: GetString()
