#pragma once

// SHA-256 (FIPS 180-4) without any toolkit, for the register's hashes and the certificate's
// footer alike.

#include <string>
#include <string_view>

namespace mensuro {

// The SHA-256 of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace mensuro
