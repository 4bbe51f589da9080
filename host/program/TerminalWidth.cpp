#include "host/program/TerminalWidth.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
// The host interfaces have an operation of this name; the SDK maps it to
// GetClassNameA (a unit may join this file with others that use it).
#undef GetClassName
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace telva_host {

namespace {

std::size_t ColumnsVariable() {
    const char* text = std::getenv("COLUMNS");
    if (text == nullptr) return 0;
    const long columns = std::strtol(text, nullptr, 10);
    return columns > 0 ? static_cast<std::size_t>(columns) : 0;
}

}  // namespace

std::size_t StandardOutputWidth() {
#ifdef _WIN32
    if (!_isatty(_fileno(stdout))) return 0;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    }
#else
    if (!isatty(STDOUT_FILENO)) return 0;
    struct winsize size;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
    return ColumnsVariable();
}

}  // namespace telva_host
