// The digest the gateway expects in UID and PWD.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::sim {

// Lower-case hexadecimal MD5 of the credential as the component digests it: one byte per UTF-16
// code unit, its low 8 bits (the Windows-1252 byte for every Latin-1 character).
std::string CredentialDigest(std::string_view utf8_text);

}  // namespace orvulink::sim
