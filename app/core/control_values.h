#pragma once

#include <wx/string.h>

// What a spin control's text stands for: the number at its start (blanks before it and a sign
// allowed), brought into low..high; a text that does not start with a number gives low.
int SpinTextValue(const wxString& text, int low, int high);
