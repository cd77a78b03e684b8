#include "ui/main/CommandTable.h"

#include "core/Strings.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/PopupMenu.h"

namespace Commands {
namespace {

// One command as it appears on the ribbon.
struct Entry {
  int id;
  unsigned caption;
  unsigned tipTitle;
  unsigned tip;
  bool image;
};

RibbonCommand Make(const Entry& e) {
  RibbonCommand c;
  c.id = e.id;
  c.caption = LoadStr(e.caption);
  c.imageId = e.image ? e.id : 0;
  c.tipTitle = LoadStr(e.tipTitle);
  c.tipDescription = LoadStr(e.tip);
  return c;
}

}  // namespace

const std::vector<CommandImage>& CommandImages() {
  static const std::vector<CommandImage> images = {
      {kFile, 1001},          {kBackup, 1002},         {kDelete, 1003},           {kFileProperties, 1004},
      {kRefresh, 1005},       {kRestore, 1006},        {kGoogleFileName, 1007},   {kGoogleAddonName, 1007},
      {kAbout, 1101},         {kQuickRefresh, 1105},   {kRowDelete, 1103},        {kRowProperties, 1104},
      {kRowGoogleFileName, 1107}, {kRowGoogleAddonName, 1107}, {kSaveList, 1008},
      {kOpenInRegistryEditor, 1009}, {kRowOpenInRegistryEditor, 1109}, {kTurnOff, 1010},
      {kTurnOn, 1011},        {kRowTurnOff, 1110},     {kRowTurnOn, 1111}};
  return images;
}

const std::vector<CommandImage>& LargeCommandImages() {
  static const std::vector<CommandImage> images = {
      {kFile, 2001},          {kBackup, 2002},         {kDelete, 2003},           {kFileProperties, 2004},
      {kRefresh, 2005},       {kRestore, 2006},        {kGoogleFileName, 2007},   {kGoogleAddonName, 2007},
      {kAbout, 2101},         {kQuickRefresh, 2105},   {kRowDelete, 2003},        {kRowProperties, 2104},
      {kRowGoogleFileName, 2007}, {kRowGoogleAddonName, 2007}, {kSaveList, 2008},
      {kOpenInRegistryEditor, 2009}, {kRowOpenInRegistryEditor, 2009}, {kTurnOff, 2010},
      {kTurnOn, 2011},        {kRowTurnOff, 2010},     {kRowTurnOn, 2011}};
  return images;
}

int LoadCommandImages(ImageStore& store, HMODULE module) {
  int missing = 0;
  for (const CommandImage& image : CommandImages())
    if (!store.AddImage(image.command, module, image.resource)) ++missing;
  // Without them the normal images are enlarged instead.
  for (const CommandImage& image : LargeCommandImages())
    store.AddImage(image.command + kLargeImage, module, image.resource);
  return missing;
}

HBITMAP CommandBitmap(ImageStore& store, int command, int size) {
  int width = 0, height = 0;
  if (store.NaturalSize(command, width, height) && size > width && store.Contains(command + kLargeImage))
    return store.Bitmap(command + kLargeImage, size);
  return store.Bitmap(command, size);
}

RibbonModel BuildRibbonModel() {
  RibbonModel m;
  m.applicationButton = Make({kFile, IDS_CMD_FILE, IDS_TIPTITLE_FILE, IDS_TIP_FILE, true});
  m.applicationMenu.push_back(Make({kSaveList, IDS_CMD_SAVE_LIST, IDS_TIPTITLE_SAVE_LIST, IDS_TIP_SAVE_LIST, true}));
  RibbonCommand offline =
      Make({kOpenOffline, IDS_CMD_OPEN_OFFLINE, IDS_TIPTITLE_OPEN_OFFLINE, IDS_TIP_OPEN_OFFLINE, false});
  offline.separatorBefore = true;
  m.applicationMenu.push_back(offline);
  m.applicationMenu.push_back(
      Make({kBackToThisComputer, IDS_CMD_BACK_TO_COMPUTER, IDS_TIPTITLE_BACK_TO_COMPUTER, IDS_TIP_BACK_TO_COMPUTER,
            false}));
  RibbonCommand about = Make({kAbout, IDS_CMD_ABOUT, IDS_TIPTITLE_ABOUT, IDS_TIP_ABOUT, true});
  about.separatorBefore = true;
  m.applicationMenu.push_back(about);
  RibbonCommand exitCommand = Make({kExit, IDS_CMD_EXIT, IDS_TIPTITLE_EXIT, IDS_TIP_EXIT, false});
  exitCommand.separatorBefore = true;
  m.applicationMenu.push_back(exitCommand);

  RibbonTab home;
  home.caption = LoadStr(IDS_TAB_HOME);
  home.groups.push_back(
      {LoadStr(IDS_GROUP_ACTIONS),
       0,
       {Make({kDelete, IDS_CMD_DELETE, IDS_TIPTITLE_DELETE, IDS_TIP_DELETE, true}),
        Make({kFileProperties, IDS_CMD_FILE_PROPERTIES, IDS_TIPTITLE_FILE_PROPERTIES, IDS_TIP_FILE_PROPERTIES,
              true}),
        Make({kOpenInRegistryEditor, IDS_CMD_OPEN_REGEDIT, IDS_TIPTITLE_OPEN_REGEDIT, IDS_TIP_OPEN_REGEDIT, true}),
        Make({kTurnOff, IDS_CMD_TURN_OFF, IDS_TIPTITLE_TURN_OFF, IDS_TIP_TURN_OFF, true}),
        Make({kTurnOn, IDS_CMD_TURN_ON, IDS_TIPTITLE_TURN_ON, IDS_TIP_TURN_ON, true})}});
  home.groups.push_back(
      {LoadStr(IDS_GROUP_WEB_SEARCH),
       1,
       {Make({kGoogleFileName, IDS_CMD_GOOGLE_FILE, IDS_TIPTITLE_GOOGLE_FILE, IDS_TIP_GOOGLE_FILE, true}),
        Make({kGoogleAddonName, IDS_CMD_GOOGLE_ADDON, IDS_TIPTITLE_GOOGLE_ADDON, IDS_TIP_GOOGLE_ADDON, true})}});
  home.groups.push_back({LoadStr(IDS_GROUP_BACKUP_RESTORE),
                         2,
                         {Make({kBackup, IDS_CMD_BACKUP, IDS_TIPTITLE_BACKUP, IDS_TIP_BACKUP, true}),
                          Make({kRestore, IDS_CMD_RESTORE, IDS_TIPTITLE_RESTORE, IDS_TIP_RESTORE, true})}});
  RibbonGroup list{LoadStr(IDS_GROUP_LIST),
                   3,
                   {Make({kRefresh, IDS_CMD_REFRESH, IDS_TIPTITLE_REFRESH, IDS_TIP_REFRESH, true}),
                    Make({kSaveList, IDS_CMD_SAVE_LIST, IDS_TIPTITLE_SAVE_LIST, IDS_TIP_SAVE_LIST, true})}};
  list.searchBoxId = kFilterBox;
  list.searchCue = LoadStr(IDS_FILTER_CUE);
  home.groups.push_back(list);
  m.tabs.push_back(home);

  m.quickAccess.push_back(Make({kQuickRefresh, IDS_CMD_REFRESH, IDS_TIPTITLE_REFRESH, IDS_TIP_REFRESH, true}));
  return m;
}

void BuildContextMenu(PopupMenu& menu, ImageStore& images, UINT dpi) {
  // One image size for the whole menu, the system's small-icon size, so
  // the items line up.
  const int size = MulDiv(16, static_cast<int>(dpi ? dpi : 96), 96);
  menu.Clear();
  menu.AddItem(kRowDelete, LoadStr(IDS_CMD_DELETE), CommandBitmap(images, kRowDelete, size));
  menu.AddItem(kRowTurnOff, LoadStr(IDS_CMD_TURN_OFF), CommandBitmap(images, kRowTurnOff, size));
  menu.AddItem(kRowTurnOn, LoadStr(IDS_CMD_TURN_ON), CommandBitmap(images, kRowTurnOn, size));
  menu.AddSeparator();
  menu.AddItem(kRowGoogleFileName, LoadStr(IDS_CMD_GOOGLE_FILE), CommandBitmap(images, kRowGoogleFileName, size));
  menu.AddItem(kRowGoogleAddonName, LoadStr(IDS_CMD_GOOGLE_ADDON), CommandBitmap(images, kRowGoogleAddonName, size));
  menu.AddSeparator();
  menu.AddItem(kRowOpenInRegistryEditor, LoadStr(IDS_CMD_OPEN_REGEDIT),
               CommandBitmap(images, kRowOpenInRegistryEditor, size));
  menu.AddItem(kRowProperties, LoadStr(IDS_CMD_PROPERTIES), CommandBitmap(images, kRowProperties, size));
}

}  // namespace Commands
