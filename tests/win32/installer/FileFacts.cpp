// FileFacts.exe FILE: prints what Windows itself reads from a program file, one "name=value" line
// each: its Authenticode signature as WinVerifyTrust judges it, the number of icons in the file
// (through ExtractIconEx), and the version resource's fixed version and its texts (through
// GetFileVersionInfo). Exit code 1 when the file has no version resource. The installer and
// signature tests run it on installed files and installers.
#include <windows.h>
#include <shellapi.h>
#include <softpub.h>
#include <wintrust.h>

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

// "ok", "none" (unsigned), "bad digest" (changed since it was signed), or another result in hex;
// without a user interface or revocation checks (a test has no network).
void PrintSignature(const char* file) {
    wchar_t path[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file, -1, path, MAX_PATH);
    WINTRUST_FILE_INFO fileInfo = {sizeof fileInfo, path, nullptr, nullptr};
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HRESULT result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (result == S_OK || result == TRUST_E_NOSIGNATURE || result == TRUST_E_BAD_DIGEST) {
        std::printf("Signature=%s\n", result == S_OK ? "ok" : result == TRUST_E_NOSIGNATURE ? "none" : "bad digest");
    } else {
        std::printf("Signature=0x%08lx\n", static_cast<unsigned long>(result));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: FileFacts.exe FILE\n");
        return 2;
    }
    const char* file = argv[1];
    PrintSignature(file);
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
