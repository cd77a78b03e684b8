// Embedded signatures checked without the platform, against an independent
// verifier: DLLs signed here by osslsigncode with a key made for the test
// (in the build tree) give the answer `osslsigncode verify` gives, read
// through the image's file source; a signature cut short or broken is
// reported as malformed.
#include <gtest/gtest.h>

#include <regex>

#include "HiveTestFiles.h"
#include "core/Strings.h"
#include "engine/files/AuthenticodeOpenSsl.h"
#include "engine/files/ImageFileSource.h"
#include "ozcore/FormatText.h"
#include "ozcore/Utf8Text.h"

namespace {

namespace fs = std::filesystem;
using qlmtest::Bytes;

enum class Oracle { Signed, NotSigned, Fails, NotAsked };

std::string Verify(const std::string& file, const std::string& trusted) {
  return qlmtest::Run("osslsigncode verify -CAfile '" + trusted + "' -in '" + file + "' 2>&1; echo \"exit $?\"");
}
Oracle VerdictOf(const std::string& report) {
  if (report.ends_with("exit 0\n")) return Oracle::Signed;
  return report.find("No signature found") != std::string::npos ? Oracle::NotSigned : Oracle::Fails;
}
// A digest the verifier printed ("Current message digest : 12AB...") as bytes.
Bytes PrintedDigest(const std::string& report, const std::string& which) {
  std::smatch hex;
  if (!std::regex_search(report, hex, std::regex(which + " message digest *: ([0-9A-F]+)"))) return {};
  const std::string digits = hex[1].str();
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return bytes;
}
void Replace(Bytes& in, const Bytes& what, const Bytes& with, std::size_t from = 0) {
  const auto at = std::search(in.begin() + static_cast<std::ptrdiff_t>(from), in.end(), what.begin(), what.end());
  ASSERT_FALSE(what.empty() || at == in.end());
  std::copy(with.begin(), with.end(), at);
}
Bytes Le32(std::size_t value) {
  Bytes bytes(4);
  qlmtest::Put32(bytes, 0, value);
  return bytes;
}
void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Case {
  std::string name;
  Bytes bytes;
  Oracle oracle;
  std::wstring shown;
};

// Fixture DLLs signed in dir by a key made there for signer, and the same
// altered after signing.
std::vector<Case> SignedCases(const std::string& dir, const std::string& signer) {
  qlmtest::Run("cd '" + dir + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 "
               "-utf8 -subj '/CN=" + signer + "/O=Quillmoor Tests' 2>/dev/null");
  const auto sign = [&](const std::string& seed, const std::string& hash) {
    const std::string out = dir + seed + "." + hash;
    qlmtest::Run("osslsigncode sign -certs '" + dir + "cert.pem' -key '" + dir + "key.pem' -h " + hash + " -in '" +
                 QLM_CORPUS "/PeResourcesFuzz/" + seed + "' -out '" + out + "' >/dev/null 2>&1");
    return qlmtest::ReadBytes(out);
  };
  const Bytes plain = qlmtest::ReadBytes(QLM_CORPUS "/PeResourcesFuzz/fx_strings.dll");
  const Bytes signed256 = sign("fx_strings.dll", "sha256");
  if (signed256.size() < plain.size() + 16) return {};  // the table follows the file as it was
  const Bytes table = Le32(plain.size()), entry = Le32(signed256.size() - plain.size());
  const std::size_t der = plain.size() + 8, derEnd = der + 4 + (signed256[der + 2] << 8 | signed256[der + 3]);

  Bytes altered = signed256, badSignature = signed256, notDer = signed256;
  altered[plain.size() / 2] ^= 1;
  // Altered, and the signed content made to name the altered file's digest:
  // only the signer's own digest of that content can tell.
  Write(dir + "altered.dll", altered);
  const std::string report = Verify(dir + "altered.dll", dir + "cert.pem");
  Bytes repointed = altered;
  Replace(repointed, PrintedDigest(report, "Current"), PrintedDigest(report, "Calculated"), plain.size());
  badSignature[derEnd - 1] ^= 1;
  notDer[der] ^= 0xFF;
  Bytes pastTheEnd(signed256.begin(), signed256.begin() + static_cast<std::ptrdiff_t>(der + 100));
  // Cut inside the SignedData, with the table's sizes made to agree.
  Bytes cutShort = pastTheEnd;
  Replace(cutShort, Cat(table, entry), Cat(table, Le32(108)));
  Replace(cutShort, entry, Le32(108), plain.size());

  const std::wstring signedBy = formattext::Format(LoadStr(IDS_SIGNED_OFFLINE), {utf8text::FromUtf8(signer)});
  const std::wstring badDigest = LoadStr(IDS_SIGNATURE_BAD_DIGEST), malformed = LoadStr(IDS_SIGNATURE_MALFORMED);
  return {{"unsigned", plain, Oracle::NotSigned, LoadStr(IDS_NOT_SIGNED)},
          {"sha256", signed256, Oracle::Signed, signedBy},
          {"pe32-sha1", sign("fx_company32.dll", "sha1"), Oracle::Signed, signedBy},
          {"altered", altered, Oracle::Fails, badDigest},
          {"repointed", repointed, Oracle::Fails, badDigest},
          {"bad-signature", badSignature, Oracle::Fails, badDigest},
          {"not-der", notDer, Oracle::NotAsked, malformed},
          {"past-the-end", pastTheEnd, Oracle::NotAsked, malformed},
          {"cut-short", cutShort, Oracle::NotAsked, malformed}};
}

TEST(NativeAuthenticode, SignedUnsignedAndAlteredFilesAnswerAsTheIndependentVerifier) {
  const std::string dir = (fs::current_path() / "authenticode-fixtures/").string();
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::vector<Case> cases = SignedCases(dir, "\xC3\x86r\xC3\xB8 Test Signer");  // beyond ASCII
  ASSERT_EQ(cases.size(), 9u);
  engine::ImageFileSource image(dir);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = dir + c.name + ".dll";
    Write(file, c.bytes);
    const auto open = image.Open(L"C:\\" + utf8text::FromUtf8(c.name) + L".dll");
    EXPECT_EQ(engine::authenticode::SignatureText(open.get(), &engine::authenticode::CheckWithOpenSsl), c.shown);
    if (c.oracle != Oracle::NotAsked) EXPECT_EQ(VerdictOf(Verify(file, dir + "cert.pem")), c.oracle);
  }
}

}  // namespace
