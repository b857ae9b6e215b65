#pragma once

namespace platform {

// Standard input and output carry the bytes as they are: without it the Windows C runtime writes
// CR LF for every line feed and reads CR LF back as LF, so the tools' output would differ from
// one platform to the other. Nothing to do elsewhere.
void UseBinaryStandardStreams();

}  // namespace platform
