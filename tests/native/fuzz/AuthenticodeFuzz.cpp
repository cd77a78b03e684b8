// Any bytes as a program file whose embedded signature is checked: never a
// crash; the bytes digested lie inside the file before its certificate
// table, no more of them than the file holds, and all of them reach the
// digest; only a file whose layout holds a signature is said to be signed.
// The seed is a fixture DLL signed by osslsigncode with a throwaway
// P-256 key (certificate "CN=Fuzz Seed").
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/files/AuthenticodeOpenSsl.h"
#include "engine/files/MemoryFileSource.h"

namespace authenticode = engine::authenticode;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  engine::MemoryFileSource files;
  files.AddFile(L"C:\\x.dll", std::vector<std::uint8_t>(data, data + size));
  const auto file = files.Open(L"C:\\x.dll");
  const authenticode::SignedLayout layout = authenticode::ReadSignedLayout(*file);
  using Kind = authenticode::SignedLayout::Kind;
  std::uint64_t digested = 0;
  if (layout.kind == Kind::Signed) {
    if (layout.signedData.empty() || layout.signedData.size() > authenticode::kMaxCertificateTableBytes) std::abort();
    const std::uint64_t tableAt = size - layout.signedData.size() - 8;  // at least the first entry follows
    for (const auto& range : layout.digested) {
      if (range.offset > tableAt || range.length > tableAt - range.offset) std::abort();
      digested += range.length;
    }
    if (digested > size) std::abort();
  } else if (!layout.digested.empty() || !layout.signedData.empty()) {
    std::abort();
  }

  std::uint64_t fed = 0;
  bool asked = false;
  const auto counting = [&](const std::vector<std::uint8_t>& signedData, const authenticode::DigestFeed& feed) {
    asked = true;
    if (!feed([&](const std::uint8_t*, std::size_t n) { fed += n; }) || fed != digested) std::abort();
    return authenticode::CheckWithOpenSsl(signedData, feed);
  };
  const authenticode::Finding finding = authenticode::CheckFile(*file, counting);
  if (asked != (layout.kind == Kind::Signed)) std::abort();
  if ((finding.verdict == authenticode::Verdict::NotSigned) != (layout.kind == Kind::NotSigned)) std::abort();
  return 0;
}
