// FileFacts.exe FILE: prints what Windows itself reads from a program file, one "name=value" line
// each: the version resource's fixed version and its texts (through GetFileVersionInfo), and the
// number of icons in the file (through ExtractIconEx). Exit code 1 when the file has no version
// resource. The installer tests run it on the installed Quodo.exe.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

namespace {

const char* const kTextNames[] = {"ProductName", "ProductVersion", "FileVersion", "FileDescription",
                                  "CompanyName", "LegalCopyright"};

struct Translation {
    WORD language;
    WORD codePage;
};

void PrintTexts(std::vector<char>& info) {
    Translation* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation)) {
        return;
    }
    std::printf("Translation=%04x%04x\n", translations[0].language, translations[0].codePage);
    for (const char* name : kTextNames) {
        char path[128];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translations[0].language,
                      translations[0].codePage, name);
        char* text = nullptr;
        if (VerQueryValueA(info.data(), path, reinterpret_cast<void**>(&text), &size) && size > 0) {
            std::printf("%s=%s\n", name, text);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: FileFacts.exe FILE\n");
        return 2;
    }
    const char* file = argv[1];
    std::printf("Icons=%u\n", ExtractIconExA(file, -1, nullptr, nullptr, 0));
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0) return 1;
    std::vector<char> info(size);
    if (!GetFileVersionInfoA(file, 0, size, info.data())) return 1;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixedSize >= sizeof *fixed) {
        std::printf("FixedFileVersion=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                    HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    }
    PrintTexts(info);
    return 0;
}
