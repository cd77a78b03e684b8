// qmscan on Linux: lists the add-ons of a Windows system that is not
// running (--offline ROOT, --hive KIND=PATH) as CSV or JSON, or compares
// them with a saved listing. The run itself is ScanRun; this is the POSIX
// edge: UTF-8 arguments in, UTF-8 text out, files opened without following
// links. There is no live machine here: --offline or --hive is needed.
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <string>
#include <vector>

#include "core/Strings.h"
#include "engine/files/AuthenticodeOpenSsl.h"
#include "engine/files/ImageFileSource.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryText.h"
#include "ozcore/FormatText.h"
#include "ozcore/Utf8Text.h"
#include "qmscan/ScanRun.h"
#include "qmscan/linux/PosixHostFile.h"
#include "qmscan/qmscanStrings.h"

namespace {

// All of text to a descriptor, made safe for a terminal, as UTF-8.
bool WriteText(int fd, const std::wstring& text) {
  const std::string bytes = utf8text::ToUtf8(inventory::TerminalSafe(text));
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}
void Error(const std::wstring& text) { WriteText(STDERR_FILENO, text); }

// Case folding (towupper) needs a UTF-8 locale: the environment's when it
// is one, else C.UTF-8.
bool UseUtf8Locale() {
  const auto isUtf8 = [] { return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0; };
  if (std::setlocale(LC_ALL, "") && isUtf8()) return true;
  return std::setlocale(LC_ALL, "C.UTF-8") && isUtf8();
}

std::unique_ptr<engine::FileSource> OpenImage(const std::wstring& root) {
  const std::string native = utf8text::ToUtf8(root);
  if (utf8text::FromUtf8(native) != root) return nullptr;
  auto image = std::make_unique<engine::ImageFileSource>(native);
  if (!image->List(L"C:\\")) return nullptr;  // not a folder that can be opened
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (!UseUtf8Locale()) Error(LoadStr(IDS_QMSCAN_NO_LOCALE));
  try {
    std::vector<std::wstring> args;
    for (int i = 1; i < argc; ++i) args.push_back(utf8text::FromUtf8(argv[i]));
    qmscan::Options options;
    std::wstring culprit;
    if (qmscan::ParseArguments(args, options, culprit) == qmscan::ArgumentError::None && !options.help &&
        !options.Offline()) {
      Error(LoadStr(IDS_QMSCAN_OFFLINE_ONLY));
      return qmscan::kExitBadArguments;
    }
    qmscan::ScanIo io;
    io.list = [](const discovery::AddonKind&) { return std::optional<CResultNodes>(); };  // never asked
    io.readFile = &qmscan::ReadListingFile;
    io.out = [](const std::wstring& text) { return WriteText(STDOUT_FILENO, text); };
    io.error = &Error;
    io.text = &LoadStr;
    io.openImage = &OpenImage;
    io.openHostFile = &qmscan::OpenHostFile;
    io.checkSignature = [](engine::OpenFile* file) {
      return engine::authenticode::SignatureText(file, &engine::authenticode::CheckWithOpenSsl);
    };
    io.writeOutput = [](const std::wstring& file, const std::wstring& text) {
      return qmscan::ReplaceFileWith(file, utf8text::ToUtf8(inventory::TerminalSafe(text)));
    };
    return qmscan::RunScan(args, io);
  } catch (const std::exception& e) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_FAILED), {discovery::text::VisibleText(utf8text::FromUtf8(e.what()))}));
    return qmscan::kExitCannotRun;
  }
}
