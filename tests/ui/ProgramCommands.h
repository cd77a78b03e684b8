#pragma once
// The program's command table as the main window lays it out on the
// ribbon: the fixture for the ribbon tests and the demo.
#include "ui/widgets/RibbonModel.h"

namespace uitest {

inline RibbonCommand Command(int id, const wchar_t* caption, int image, const wchar_t* tip = L"") {
  RibbonCommand c;
  c.id = id;
  c.caption = caption;
  c.imageId = image ? id : 0;
  c.tipDescription = tip;
  return c;
}

inline RibbonModel ProgramRibbon() {
  RibbonModel m;
  m.applicationButton = Command(5007, L"&File", 1);
  m.applicationMenu.push_back(Command(6006, L"About", 1, L"Shows the program's version."));
  RibbonCommand exitCommand = Command(6008, L"&Exit", 0, L"Closes the program.");
  exitCommand.separatorBefore = true;
  m.applicationMenu.push_back(exitCommand);
  m.quickAccess.push_back(Command(6009, L"&Refresh", 1, L"Reads the add-ons again."));
  RibbonTab home;
  home.caption = L"Home";
  home.groups.push_back({L"Actions", 0,
                         {Command(5001, L"&Delete", 1, L"Removes the selected add-on."),
                          Command(5002, L"Add-on File Properties", 1, L"Shows the properties of the add-on's file.")}});
  home.groups.push_back({L"Web Search", 1,
                         {Command(5005, L"Google File Name", 1, L"Searches the web for the add-on's file name."),
                          Command(5006, L"Google Add-on Name", 1, L"Searches the web for the add-on's name.")}});
  home.groups.push_back({L"Backup && Restore", 2,
                         {Command(5000, L"&Backup IE Configuration", 1, L"Saves the add-on settings to a file."),
                          Command(5004, L"&Restore IE Configuration", 1, L"Opens the folder of saved settings.")}});
  home.groups.push_back({L"List", 3, {Command(5003, L"&Refresh", 1, L"Reads the add-ons again.")}});
  m.tabs.push_back(home);
  return m;
}

}  // namespace uitest
