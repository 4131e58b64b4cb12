// The arguments on Windows: read as UTF-16 and turned into UTF-8, since the
// narrow ones come in the ANSI code page. The console shows UTF-8 output.
#include <windows.h>

#include <shellapi.h>

#include "commands.h"
#include "runtime/wide_text.h"

namespace vostel::tool {

Args commandLine(int argc, char** argv) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return Args(argv, argv + argc);
    Args args;
    for (int i = 0; i < count; ++i) args.push_back(narrow(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace vostel::tool
