#include "engine/files/AuthenticodeCheck.h"

#include <algorithm>
#include <optional>

#include "core/Strings.h"
#include "ozcore/FormatText.h"

namespace engine::authenticode {

namespace {

// The layout of a PE file, offsets in bytes.
constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::size_t kDosHeaderBytes = 64;
constexpr std::size_t kNewHeaderAt = 0x3C;
constexpr std::size_t kFileHeaderBytes = 4 + 20;  // signature and file header
constexpr std::uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr std::size_t kSizeOfHeadersAt = 60, kChecksumAt = 64;  // in the optional header, either form
constexpr std::size_t kPe32Directories = 96, kPe32PlusDirectories = 112;
constexpr std::size_t kCertificateDirectory = 4;  // index in the data directories
constexpr std::size_t kSectionBytes = 40;
// A certificate table entry: length, revision, type, then the certificate.
constexpr std::size_t kEntryHeaderBytes = 8;
constexpr std::uint16_t kRevision1 = 0x0100, kRevision2 = 0x0200;
constexpr std::uint16_t kPkcsSignedData = 0x0002;
constexpr std::size_t kFeedChunkBytes = 1024 * 1024;

using Bytes = std::vector<std::uint8_t>;
using Kind = SignedLayout::Kind;

// Little-endian, whatever the machine; the caller has checked the bounds.
std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

struct Section {
  std::uint32_t offset = 0, size = 0;
};

// Reads for the layout: a part outside the file is no error of the file
// system, a failed read inside it is (and is remembered).
class LayoutReader {
 public:
  explicit LayoutReader(OpenFile& file) : file_(file), size_(file.Size()) {}

  SignedLayout Read();

 private:
  std::optional<Bytes> Exact(std::uint64_t offset, std::uint64_t length) {
    if (offset > size_ || length > size_ - offset || length > kMaxFileReadBytes) return std::nullopt;
    auto bytes = file_.Read(offset, static_cast<std::size_t>(length));
    if (!bytes || bytes->size() != length) {
      failed_ = true;
      return std::nullopt;
    }
    return bytes;
  }
  SignedLayout Answer(Kind kind) const { return SignedLayout{failed_ ? Kind::Unreadable : kind, {}, {}}; }
  bool ReadSections(std::uint64_t at, std::size_t count, std::vector<Section>& sections);
  Kind ReadDigested(std::uint64_t optionalAt, std::uint64_t entryAt, std::uint32_t headersEnd,
                    const std::vector<Section>& sections, SignedLayout& layout) const;
  Kind ReadFirstEntry(SignedLayout& layout);

  OpenFile& file_;
  std::uint64_t size_ = 0;
  bool failed_ = false;
  std::uint32_t tableAt_ = 0, tableSize_ = 0;
};

SignedLayout LayoutReader::Read() {
  const auto dos = Exact(0, kDosHeaderBytes);
  if (!dos || U16(*dos, 0) != kDosMagic) return Answer(Kind::NotSigned);
  const std::uint64_t pe = U32(*dos, kNewHeaderAt);
  const auto head = Exact(pe, kFileHeaderBytes);
  if (!head || U32(*head, 0) != kPeSignature) return Answer(Kind::NotSigned);
  const std::size_t sectionCount = U16(*head, 6), optionalSize = U16(*head, 20);
  const std::uint64_t optionalAt = pe + kFileHeaderBytes;
  const auto optional = Exact(optionalAt, std::min<std::size_t>(optionalSize, kPe32PlusDirectories + 16 * 8));
  if (!optional || optional->size() < 2) return Answer(Kind::NotSigned);
  const std::uint16_t magic = U16(*optional, 0);
  if (magic != kPe32 && magic != kPe32Plus) return Answer(Kind::NotSigned);
  const std::size_t directories = magic == kPe32 ? kPe32Directories : kPe32PlusDirectories;
  const std::size_t entry = directories + kCertificateDirectory * 8;
  // The count of data directories is the field just before them.
  if (optional->size() < entry + 8 || U32(*optional, directories - 4) <= kCertificateDirectory)
    return Answer(Kind::NotSigned);
  tableAt_ = U32(*optional, entry);
  tableSize_ = U32(*optional, entry + 4);
  if (tableSize_ == 0) return Answer(Kind::NotSigned);
  // Nothing after the table could be covered by the signature: it ends the file.
  if (tableAt_ == 0 || tableSize_ < kEntryHeaderBytes || tableSize_ > kMaxCertificateTableBytes ||
      std::uint64_t{tableAt_} + tableSize_ != size_)
    return Answer(Kind::Malformed);
  std::vector<Section> sections;
  if (!ReadSections(optionalAt + optionalSize, sectionCount, sections)) return Answer(Kind::Malformed);
  SignedLayout layout;
  const std::uint32_t headersEnd = U32(*optional, kSizeOfHeadersAt);
  const std::uint64_t sectionTableEnd = optionalAt + optionalSize + sectionCount * kSectionBytes;
  // The digest must cover the section table: it says where the sections are.
  Kind kind = sectionTableEnd > headersEnd ? Kind::Malformed
                                           : ReadDigested(optionalAt, optionalAt + entry, headersEnd, sections, layout);
  if (kind == Kind::Signed) kind = ReadFirstEntry(layout);
  if (kind != Kind::Signed || failed_) return Answer(kind);
  layout.kind = Kind::Signed;
  return layout;
}

bool LayoutReader::ReadSections(std::uint64_t at, std::size_t count, std::vector<Section>& sections) {
  const auto table = Exact(at, count * kSectionBytes);
  if (!table) return false;
  for (std::size_t i = 0; i < count; ++i)
    sections.push_back(Section{U32(*table, i * kSectionBytes + 20), U32(*table, i * kSectionBytes + 16)});
  return true;
}

// The headers less the checksum and the table's directory entry, the
// sections' data by file offset, then the rest up to the table. Sections
// lie between the headers and the table, and together hold no more than
// that span, so no byte is digested twice over unless the file says so and
// the work stays within the file's size.
Kind LayoutReader::ReadDigested(std::uint64_t optionalAt, std::uint64_t entryAt, std::uint32_t headersEnd,
                                const std::vector<Section>& sections, SignedLayout& layout) const {
  const std::uint64_t checksumAt = optionalAt + kChecksumAt;
  if (headersEnd < entryAt + 8 || headersEnd > tableAt_) return Kind::Malformed;
  layout.digested = {{0, checksumAt}, {checksumAt + 4, entryAt - checksumAt - 4}, {entryAt + 8, headersEnd - entryAt - 8}};
  std::vector<Section> filled;
  std::uint64_t digestedEnd = headersEnd;
  for (const auto& section : sections) {
    if (section.size == 0) continue;
    if (section.offset < headersEnd || std::uint64_t{section.offset} + section.size > tableAt_) return Kind::Malformed;
    digestedEnd += section.size;
    if (digestedEnd > tableAt_) return Kind::Malformed;
    filled.push_back(section);
  }
  std::stable_sort(filled.begin(), filled.end(), [](const Section& a, const Section& b) { return a.offset < b.offset; });
  for (const auto& section : filled) layout.digested.push_back({section.offset, section.size});
  if (digestedEnd < tableAt_) layout.digested.push_back({digestedEnd, tableAt_ - digestedEnd});
  return Kind::Signed;
}

// The table's first entry must be a PKCS#7 SignedData; later ones are not read.
Kind LayoutReader::ReadFirstEntry(SignedLayout& layout) {
  auto table = Exact(tableAt_, tableSize_);
  if (!table) return Kind::Malformed;
  const std::uint32_t length = U32(*table, 0);
  const std::uint16_t revision = U16(*table, 4), type = U16(*table, 6);
  if (length <= kEntryHeaderBytes || length > table->size() || (revision != kRevision1 && revision != kRevision2) ||
      type != kPkcsSignedData)
    return Kind::Malformed;
  table->resize(length);
  table->erase(table->begin(), table->begin() + kEntryHeaderBytes);
  layout.signedData = std::move(*table);
  return Kind::Signed;
}

}  // namespace

SignedLayout ReadSignedLayout(OpenFile& file) { return LayoutReader(file).Read(); }

bool FeedRanges(OpenFile& file, const std::vector<ByteRange>& ranges, const DigestSink& sink) {
  for (const auto& range : ranges) {
    for (std::uint64_t done = 0; done < range.length;) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(range.length - done, kFeedChunkBytes));
      const auto bytes = file.Read(range.offset + done, want);
      if (!bytes || bytes->size() != want) return false;
      sink(bytes->data(), bytes->size());
      done += want;
    }
  }
  return true;
}

Finding CheckFile(OpenFile& file, const SignedDataCheck& check) {
  const SignedLayout layout = ReadSignedLayout(file);
  switch (layout.kind) {
    case Kind::NotSigned: return {Verdict::NotSigned, {}};
    case Kind::Malformed: return {Verdict::Malformed, {}};
    case Kind::Unreadable: return {Verdict::Unreadable, {}};
    case Kind::Signed: break;
  }
  return check(layout.signedData, [&](const DigestSink& sink) { return FeedRanges(file, layout.digested, sink); });
}

std::wstring SignatureText(OpenFile* file, const SignedDataCheck& check) {
  if (!file) return LoadStr(IDS_SIGNATURE_NO_FILE);
  const Finding finding = CheckFile(*file, check);
  switch (finding.verdict) {
    case Verdict::NotSigned: return LoadStr(IDS_NOT_SIGNED);
    case Verdict::Signed:
      return formattext::Format(LoadStr(IDS_SIGNED_OFFLINE),
                                {finding.signer.empty() ? LoadStr(IDS_SIGNER_UNKNOWN) : finding.signer});
    case Verdict::DoesNotMatch: return LoadStr(IDS_SIGNATURE_BAD_DIGEST);
    case Verdict::Malformed: return LoadStr(IDS_SIGNATURE_MALFORMED);
    case Verdict::Unreadable: break;
  }
  return LoadStr(IDS_SIGNATURE_READ_ERROR);
}

}  // namespace engine::authenticode
