#include "win32/PeExports.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "win32/Scoped.h"

namespace win32 {
namespace {

// Reads structures out of the file's bytes, refusing anything that lies outside them.
class Image {
public:
    explicit Image(const std::string& bytes) : bytes_(bytes) {}

    template <class T>
    bool Read(size_t offset, T& out) const {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return false;
        std::memcpy(&out, bytes_.data() + offset, sizeof(T));
        return true;
    }

    // The file offset of a relative virtual address, through the section table.
    bool OffsetOf(DWORD rva, size_t& offset) const {
        for (const IMAGE_SECTION_HEADER& s : sections_) {
            const DWORD size = std::max(s.Misc.VirtualSize, s.SizeOfRawData);
            if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size) {
                offset = size_t(s.PointerToRawData) + (rva - s.VirtualAddress);
                return offset < bytes_.size();
            }
        }
        return false;
    }

    bool NameAt(DWORD rva, const std::string& wanted) const {
        size_t offset = 0;
        if (!OffsetOf(rva, offset) || bytes_.size() - offset < wanted.size() + 1) return false;
        return bytes_.compare(offset, wanted.size(), wanted) == 0 && bytes_[offset + wanted.size()] == '\0';
    }

    bool LoadSections(size_t at, WORD count) {
        for (WORD i = 0; i < count; ++i) {
            IMAGE_SECTION_HEADER section;
            if (!Read(at + i * sizeof(section), section)) return false;
            sections_.push_back(section);
        }
        return true;
    }

private:
    const std::string& bytes_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

bool ExportDirectory(Image& image, IMAGE_EXPORT_DIRECTORY& exports) {
    IMAGE_DOS_HEADER dos;
    if (!image.Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return false;
    const size_t nt = size_t(DWORD(dos.e_lfanew));
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (!image.Read(nt, signature) || signature != IMAGE_NT_SIGNATURE || !image.Read(nt + 4, file)) return false;
    const size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
    WORD magic = 0;
    if (!image.Read(optional, magic)) return false;
    IMAGE_DATA_DIRECTORY directory;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 header;
        if (!image.Read(optional, header) || header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT) return false;
        directory = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    } else if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 header;
        if (!image.Read(optional, header) || header.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT) return false;
        directory = header.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    } else {
        return false;
    }
    if (!image.LoadSections(optional + file.SizeOfOptionalHeader, file.NumberOfSections)) return false;
    size_t at = 0;
    return directory.VirtualAddress != 0 && image.OffsetOf(directory.VirtualAddress, at) && image.Read(at, exports);
}

}  // namespace

bool PeBytesExport(const std::string& bytes, const std::string& function) {
    Image image(bytes);
    IMAGE_EXPORT_DIRECTORY exports;
    if (!ExportDirectory(image, exports)) return false;
    size_t names = 0;
    if (!image.OffsetOf(exports.AddressOfNames, names)) return false;
    for (DWORD i = 0; i < exports.NumberOfNames; ++i) {
        DWORD nameRva = 0;
        if (!image.Read(names + size_t(i) * sizeof(DWORD), nameRva)) return false;
        if (image.NameAt(nameRva, function)) return true;
    }
    return false;
}

bool PeExports(const std::string& path, const std::string& function) {
    OwnedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    // A help library is a few hundred kilobytes; anything huge is not one.
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 64 * 1024 * 1024) return false;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr) || read != bytes.size()) return false;
    return PeBytesExport(bytes, function);
}

}  // namespace win32
