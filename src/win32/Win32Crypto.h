// The system's cryptography (CNG, bcrypt.dll from the system folder, loaded at the first use) as
// platform::Crypto: SHA-256 and the verification of ECDSA P-256 signatures.
#pragma once

namespace win32 {

// Puts the process's one cryptography service into platform::Current().crypto.
void InstallCrypto();

}  // namespace win32
