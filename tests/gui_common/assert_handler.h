#pragma once

// The GUI library's assertions become failures of the running test, with the library's file and
// line, instead of a modal box that nobody answers. Any thread may assert.
namespace guitest {

void InstallFailingAssertHandler();

}  // namespace guitest
