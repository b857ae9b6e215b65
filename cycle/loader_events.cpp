#include "cycle/loader_events.h"

wxDEFINE_EVENT(EVT_LOADER_PROGRESS, wxThreadEvent);
wxDEFINE_EVENT(EVT_LOADER_MESSAGE, wxThreadEvent);
wxDEFINE_EVENT(EVT_LOADER_LISTS, wxThreadEvent);
wxDEFINE_EVENT(EVT_LOADER_LOG, wxThreadEvent);
