#pragma once

#include <string>

#include "platform/win_ipc.h"

// The atom's name, empty when there is no such atom.
inline std::string AtomName(WinAtom atom) {
  char buffer[256] = {};
  return GlobalGetAtomNameA(atom, buffer, sizeof buffer) == 0 ? std::string() : std::string(buffer);
}
