#pragma once

// Draws what has changed and answers the window system, dispatching no input and no timer of the
// program's own (GTK lets timers through: a caller that must not see a tick holds it). A request to
// close one of the program's windows is not held back with the input: its window is closed as its
// close box closes it. GTK delivers that request with the redraws; Windows counts the close box
// and Alt+F4 as input, which the library's yield posts back without its window, so it would be
// lost. GUI thread only; before the application's loop runs, a loop of its own does it.
void YieldForRedraws();
