// A small executable that carries a version block of the numbers it is built with, or none.
#include "platform/version_block_layout.h"

#ifdef PROBE_VERSION_MAJOR
NUB_DEFINE_VERSION_BLOCK(probeVersionBlock, PROBE_VERSION_MAJOR, PROBE_VERSION_MINOR, PROBE_VERSION_BUILD,
                         PROBE_VERSION_REVISION);
#endif

int main() { return 0; }
