#include "platform/console.h"

namespace platform {

void UseBinaryStandardStreams() {}

}  // namespace platform
