// A protocol handler for the shell tests. Registered with the open command
//   "<this program>" "<record file>" "%1"
// it writes the whole command line it was started with into the record file, through a file
// beside it that it then renames, so a test polling for the record never reads half of it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 2) return 2;
    const std::string record = __argv[1];
    const std::string partial = record + ".part";
    const std::string commandLine = GetCommandLineA();
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) return 1;
    const bool written = std::fwrite(commandLine.data(), 1, commandLine.size(), file) == commandLine.size();
    if (std::fclose(file) != 0 || !written) return 1;
    return MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
