#pragma once
// The cryptography of an embedded signature, by OpenSSL (libcrypto): the
// SignedData must hold the indirect data of a PE image (the digest's
// algorithm and value) and exactly one signer whose certificate it carries;
// the file's digest is taken with that algorithm and compared; then the
// signer's message digest over the indirect data and the signature over
// the signed attributes are verified with the signer certificate's key.
// The certificate's chain and its trust are not checked: there is no
// system to trust it offline. Builds where OpenSSL does (Linux).
#include "engine/files/AuthenticodeCheck.h"

namespace engine::authenticode {

// A SignedDataCheck. Signed names the signer certificate's subject as the
// Windows build shows it: its common name, else its organisational unit,
// organisation or e-mail address; cut at a NUL.
Finding CheckWithOpenSsl(const std::vector<std::uint8_t>& signedData, const DigestFeed& feed);

}  // namespace engine::authenticode
