#pragma once
// What a ribbon shows, as its owner describes it. Captions mark their access
// letter with "&" ("&&" shows one "&"); all texts come from the owner.
#include <string>
#include <utility>
#include <vector>

struct RibbonCommand {
  int id = 0;                  // sent to the owner as WM_COMMAND
  std::wstring caption;
  int imageId = 0;             // key for the ribbon's image source; 0: none
  std::wstring tipTitle;       // empty: the caption without marks
  std::wstring tipDescription;
  bool separatorBefore = false;  // application menu entries only
};

struct RibbonGroup {
  RibbonGroup() = default;
  RibbonGroup(std::wstring groupCaption, int groupId, std::vector<RibbonCommand> groupButtons)
      : caption(std::move(groupCaption)), id(groupId), buttons(std::move(groupButtons)) {}

  std::wstring caption;
  int id = 0;
  std::vector<RibbonCommand> buttons;  // large buttons, left to right
  // A text box after the buttons (0: none): its id is the control id of
  // its notifications (EN_CHANGE), which reach the owner as WM_COMMAND; the
  // cue shows while it is empty.
  int searchBoxId = 0;
  std::wstring searchCue;
};

struct RibbonTab {
  std::wstring caption;
  std::vector<RibbonGroup> groups;
};

struct RibbonModel {
  // Opens the application menu; its own id is never sent as a command.
  RibbonCommand applicationButton;
  std::vector<RibbonCommand> applicationMenu;
  std::vector<RibbonCommand> quickAccess;  // small buttons beside the tabs
  std::vector<RibbonTab> tabs;
};
