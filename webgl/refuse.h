#pragma once

// What the layer cannot honour must not pass unseen: in a debug build a
// call or argument it does not support names itself on standard error and
// stops the program; a release build goes on without it.

namespace webgl {

#ifdef NDEBUG
inline void Unsupported(const char*, const char*, unsigned) {}
inline void Misused(const char*, const char*) {}
inline void CheckWebGlErrors(const char*) {}
#else
// "call: what 0xvalue is not supported", then abort.
[[noreturn]] void Unsupported(const char* call, const char* what, unsigned value);
// "call: why", then abort: a call out of its place.
[[noreturn]] void Misused(const char* call, const char* why);
// Any error WebGL has recorded since the last check, blamed on this call.
void CheckWebGlErrors(const char* call);
#endif

} // namespace webgl
