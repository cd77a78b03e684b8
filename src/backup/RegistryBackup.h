#pragma once
// The registry backup file: the browser's add-on keys of the machine and of
// every loaded user, and the explorer-bar category entries, in one registry
// export file that merging puts back.
#include <windows.h>

#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "ozcore/CRegistry.h"

namespace RegistryBackup {

// The add-on key trees, in the order the file holds them (the kinds'
// machine and current-user locations, kind by kind).
struct KeyTree {
  HKEY root;
  const wchar_t* path;
  bool sharedByViews = false;  // a machine tree the 32-bit view shares: no twin
};
std::vector<KeyTree> AddonKeyTrees();

// The name in the native registry view of a machine key's 32-bit view
// twin: "SOFTWARE\Microsoft\X" gives "SOFTWARE\Wow6432Node\Microsoft\X";
// "Software\Classes\X" gives "Software\Classes\Wow6432Node\X".
std::wstring Wow32MachinePath(const std::wstring& path);

// The file name for a backup made at the given local time:
// "<folder>\Backup <Mmm dd, yyyy hh-mm-ss>.reg", the month in the user's
// locale.
std::wstring BackupFileName(const std::wstring& backupFolder, const SYSTEMTIME& localTime);

// The whole file text (header line included) as BackupRegistry stores it.
// On 64-bit Windows it also holds the 32-bit view's machine trees and
// category entries, under their names in the native view. The parts are
// read on several threads. currentUserSubkey: the HKEY_USERS subkey of the
// current user, whose entries the HKEY_CURRENT_USER trees already hold.
// What the file could not carry back exactly is left out and, when omitted
// is given, listed there in file order.
std::wstring BackupText(bool isNT, const std::wstring& currentUserSubkey,
                        std::vector<RegOmission>* omitted = nullptr);

// The log text for one part left out of the backup (names made visible).
std::wstring OmissionText(const RegOmission& omission);

// The SID as text ("S-1-5-21-...") of this process's user, whose hive
// HKEY_CURRENT_USER is; empty if unknown. (The session's user may be
// another: AccountNames::SessionUserSid.)
std::wstring CurrentUserSid();

// Writes a new backup file into the data folder's Backup folder (through
// its checked chain, core/DataFiles.h). True when the file was written; a
// failure is logged (level 4, "MAPI.BackupRegistry"). writtenPath receives
// the file's path when given; leftOut the number of keys and values left
// out of it (each one logged with its reason); refusal the text for the
// user when a link or a changed owner refused the folder.
bool BackupRegistry(const core::DataFolder& data, std::wstring* writtenPath = nullptr,
                    std::size_t* leftOut = nullptr, std::wstring* refusal = nullptr);

}  // namespace RegistryBackup
