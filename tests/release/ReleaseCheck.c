/* Asks Windows itself about release files, one line per file:
     ReleaseCheck.exe trust FILE...     the trust API's verdict on the file's
                                        signature: code and name
     ReleaseCheck.exe version FILE...   the file's version resource: fixed
                                        file and product version, and the
                                        FileVersion and ProductVersion texts
   Fields are separated by tabs, the file comes last. Exit code 0 when every
   file could be asked about, 1 otherwise, 2 on bad arguments. */
#include <windows.h>
#include <softpub.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <wintrust.h>

typedef struct {
  LONG code;
  const char* name;
} TrustName;

static const TrustName kTrustNames[] = {
    {ERROR_SUCCESS, "trusted"},
    {(LONG)TRUST_E_NOSIGNATURE, "TRUST_E_NOSIGNATURE"},
    {(LONG)TRUST_E_SUBJECT_FORM_UNKNOWN, "TRUST_E_SUBJECT_FORM_UNKNOWN"},
    {(LONG)TRUST_E_PROVIDER_UNKNOWN, "TRUST_E_PROVIDER_UNKNOWN"},
    {(LONG)TRUST_E_BAD_DIGEST, "TRUST_E_BAD_DIGEST"},
    {(LONG)TRUST_E_SUBJECT_NOT_TRUSTED, "TRUST_E_SUBJECT_NOT_TRUSTED"},
    {(LONG)TRUST_E_EXPLICIT_DISTRUST, "TRUST_E_EXPLICIT_DISTRUST"},
    {(LONG)TRUST_E_CERT_SIGNATURE, "TRUST_E_CERT_SIGNATURE"},
    {(LONG)CERT_E_UNTRUSTEDROOT, "CERT_E_UNTRUSTEDROOT"},
    {(LONG)CERT_E_UNTRUSTEDTESTROOT, "CERT_E_UNTRUSTEDTESTROOT"},
    {(LONG)CERT_E_CHAINING, "CERT_E_CHAINING"},
    {(LONG)CERT_E_EXPIRED, "CERT_E_EXPIRED"},
    {(LONG)CERT_E_WRONG_USAGE, "CERT_E_WRONG_USAGE"},
    {(LONG)CRYPT_E_FILE_ERROR, "CRYPT_E_FILE_ERROR"},
};

static const char* TrustCodeName(LONG code) {
  for (size_t i = 0; i < sizeof kTrustNames / sizeof kTrustNames[0]; ++i) {
    if (kTrustNames[i].code == code) return kTrustNames[i].name;
  }
  return "other";
}

/* The generic Authenticode policy, no user interface, no revocation check
   and no network fetch: the answer depends on the file and the machine's
   certificate stores only. */
static LONG VerifyFile(const wchar_t* path) {
  WINTRUST_FILE_INFO file = {0};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path;
  WINTRUST_DATA data = {0};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust((HWND)INVALID_HANDLE_VALUE, &action, &data);
  return result;
}

static int PrintTrust(const wchar_t* path) {
  const LONG code = VerifyFile(path);
  wprintf(L"0x%08lX\t%hs\t%ls\n", (unsigned long)code, TrustCodeName(code), path);
  return 1;
}

static const wchar_t* VersionText(void* block, const wchar_t* name) {
  wchar_t query[128];
  swprintf(query, sizeof query / sizeof query[0], L"\\StringFileInfo\\040904B0\\%ls", name);
  wchar_t* text = NULL;
  UINT length = 0;
  if (!VerQueryValueW(block, query, (void**)&text, &length) || !text || length == 0) return L"-";
  return text;
}

static int PrintVersion(const wchar_t* path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  void* block = size ? malloc(size) : NULL;
  if (!block || !GetFileVersionInfoW(path, 0, size, block)) {
    free(block);
    wprintf(L"none\t%ls\n", path);
    return 0;
  }
  VS_FIXEDFILEINFO* fixed = NULL;
  UINT length = 0;
  if (!VerQueryValueW(block, L"\\", (void**)&fixed, &length) || !fixed || length < sizeof *fixed) {
    free(block);
    wprintf(L"none\t%ls\n", path);
    return 0;
  }
  wprintf(L"%u.%u.%u.%u\t%u.%u.%u.%u\t%ls\t%ls\t%ls\n",
          HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
          HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
          HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
          HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS),
          VersionText(block, L"FileVersion"), VersionText(block, L"ProductVersion"), path);
  free(block);
  return 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: ReleaseCheck.exe trust|version FILE...\n");
    return 2;
  }
  int (*check)(const wchar_t*) = NULL;
  if (wcscmp(argv[1], L"trust") == 0) check = PrintTrust;
  if (wcscmp(argv[1], L"version") == 0) check = PrintVersion;
  if (!check) return 2;
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    if (!check(argv[i])) status = 1;
  }
  return status;
}
