// The fuzz process answers every name lookup itself (see offline.cpp).
#pragma once

namespace zrfuzz {

// True when the name lookups of the process reach the answers of offline.cpp.
bool offlineLookups();
// Lookups answered so far.
int lookupsAnswered();

}  // namespace zrfuzz
