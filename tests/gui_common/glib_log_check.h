#pragma once

// GLib's and GTK's warnings and criticals (a control laid out with a negative size, say) become
// failures of the running test; they still go to the standard error output as before. GTK only.
namespace guitest {

void FailOnGlibWarnings();
// How many came while no test was running (start-up and shut-down of the suite).
int GlibWarningsOutsideTests();

}  // namespace guitest
