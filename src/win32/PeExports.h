// Whether a program library exports a function, read from its file without loading it.
#pragma once

#include <string>

namespace win32 {

// True when the file is a Windows program library (PE) whose export table names the function.
bool PeExports(const std::string& path, const std::string& function);
// The same for the bytes of such a file held in memory.
bool PeBytesExport(const std::string& bytes, const std::string& function);

}  // namespace win32
