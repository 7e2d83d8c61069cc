#pragma once

// The stand-in's printed lines: each goes out whole and at once, so that a
// test reading the pipe sees each as it happens.

namespace tarnwell::tools::xplane {

#ifdef __GNUC__
__attribute__((format(printf, 1, 2)))
#endif
void Print(const char* format, ...);

}  // namespace tarnwell::tools::xplane
