#pragma once
// The main window's commands in one place: their ids, captions, tooltips
// and images, and how they are laid out on the ribbon, its application
// menu, its quick-access toolbar and the row context menu.
#include <windows.h>

#include <vector>

#include "ui/widgets/RibbonModel.h"

class ImageStore;
class PopupMenu;

namespace Commands {

constexpr int kBackup = 5000;
constexpr int kDelete = 5001;
constexpr int kFileProperties = 5002;
constexpr int kRefresh = 5003;
constexpr int kRestore = 5004;
constexpr int kGoogleFileName = 5005;
constexpr int kGoogleAddonName = 5006;
constexpr int kFile = 5007;  // the application button; opens its menu only
constexpr int kAbout = 6006;
constexpr int kExit = 6008;
constexpr int kQuickRefresh = 6009;
constexpr int kRowDelete = 7001;
constexpr int kRowProperties = 7002;
constexpr int kRowGoogleFileName = 7003;
constexpr int kRowGoogleAddonName = 7004;
constexpr int kSaveList = 5008;
constexpr int kOpenInRegistryEditor = 5009;
constexpr int kRowOpenInRegistryEditor = 7005;
constexpr int kTurnOff = 5011;
constexpr int kTurnOn = 5012;
constexpr int kRowTurnOff = 7006;
constexpr int kRowTurnOn = 7007;
constexpr int kOpenOffline = 5013;
constexpr int kBackToThisComputer = 5014;
// The filter's text box in the ribbon's List group (its EN_CHANGE arrives
// as a WM_COMMAND with this id).
constexpr int kFilterBox = 5010;

// The row context menu's id.
constexpr int kContextMenu = 400;

// A command's image: the PNG resource of the program's own file.
struct CommandImage {
  int command;
  int resource;
};
// In the order they are registered in the image store.
const std::vector<CommandImage>& CommandImages();
// Larger drawings of the same images, kept under the command id plus
// kLargeImage and used when a size above the normal image's own is needed
// (screens above 96 DPI).
constexpr int kLargeImage = 100000;
const std::vector<CommandImage>& LargeCommandImages();

// Registers every command image of module (the program's own file) in the
// store, the larger drawings after them. Returns how many of the normal
// images could not be read.
int LoadCommandImages(ImageStore& store, HMODULE module);
// The command's image at size x size, from its larger drawing when the
// normal image would have to be enlarged; null when it has none.
HBITMAP CommandBitmap(ImageStore& store, int command, int size);

// The ribbon as the main window shows it: the "&File" button and its menu,
// the quick-access "&Refresh", and the tab "Home" with its four groups.
// Every text comes from the string table.
RibbonModel BuildRibbonModel();

// Fills the row context menu: Delete, separator, Google File Name, Google
// Add-on Name, separator, Properties; images from the store at the menu's
// small-image size for dpi.
void BuildContextMenu(PopupMenu& menu, ImageStore& images, UINT dpi);

}  // namespace Commands
