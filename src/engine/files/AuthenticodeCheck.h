#pragma once
// The signature embedded in a Windows program file (a PE image), read by
// our own code from the file's bytes: where its certificate table is, the
// table's first entry (a PKCS#7 SignedData), and which bytes of the file the
// signed digest covers. The cryptography (the SignedData's parts, the
// digest, the signature) is the caller's: OpenSSL on Linux
// (AuthenticodeOpenSsl). Every offset and length from the file is checked
// against the file before it is used. Platform-free.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/files/FileSource.h"

namespace engine::authenticode {

// The most of a certificate table read: a signature with its certificates
// and a timestamp takes a few kilobytes.
constexpr std::uint32_t kMaxCertificateTableBytes = 1024 * 1024;

struct ByteRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
};

struct SignedLayout {
  enum class Kind { NotSigned, Signed, Malformed, Unreadable };
  Kind kind = Kind::NotSigned;
  // Signed: the bytes the file's digest is taken over, in order: the
  // headers without the checksum and the certificate table's directory
  // entry, each section's data in the order of their file offsets, then
  // what follows the sections up to the certificate table.
  std::vector<ByteRange> digested;
  // Signed: the certificate table's first entry, a PKCS#7 SignedData (DER).
  std::vector<std::uint8_t> signedData;
};

// Not a PE image, or one without a certificate table: NotSigned. A table or
// a layout the digest cannot be taken over (outside the file, over 1 MB,
// not at the file's end, sections outside the file's data): Malformed.
SignedLayout ReadSignedLayout(OpenFile& file);

using DigestSink = std::function<void(const std::uint8_t* data, std::size_t size)>;
// Hands the bytes of ranges to sink in order, in reads of at most 1 MB;
// false when a read fails or comes back short.
bool FeedRanges(OpenFile& file, const std::vector<ByteRange>& ranges, const DigestSink& sink);

enum class Verdict { NotSigned, Signed, DoesNotMatch, Malformed, Unreadable };
struct Finding {
  Verdict verdict = Verdict::NotSigned;
  std::wstring signer;  // Signed: the signer certificate's name, when it has one
};

// Pushes the digested bytes into a sink; false when the file could not be read.
using DigestFeed = std::function<bool(const DigestSink& sink)>;
// What checks a SignedData against the bytes it signs: the platform's cryptography.
using SignedDataCheck = std::function<Finding(const std::vector<std::uint8_t>& signedData, const DigestFeed& feed)>;

// The file's embedded signature, checked with check.
Finding CheckFile(OpenFile& file, const SignedDataCheck& check);

// As a listing shows it: "Signed by NAME (trust not checked offline)", "Not
// signed", "Signature does not match the file", "Not checked (malformed
// signature)"; a file that could not be opened (null) or read: "Not checked
// (no file)", "Not checked (read error)".
std::wstring SignatureText(OpenFile* file, const SignedDataCheck& check);

}  // namespace engine::authenticode
