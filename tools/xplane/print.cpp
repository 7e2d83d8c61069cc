#include "xplane/print.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace tarnwell::tools::xplane {
namespace {

std::mutex printMutex;

}  // namespace

void Print(const char* format, ...) {
    const std::lock_guard<std::mutex> lock(printMutex);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

}  // namespace tarnwell::tools::xplane
