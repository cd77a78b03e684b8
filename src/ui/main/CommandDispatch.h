#pragma once
// The main window's command dispatch: every command of the ribbon, its
// quick-access toolbar, its application menu and the row context menu
// arrives here by id and runs its action on the table that is showing.
#include <string>

class CommandHost;
class ITableControl;

class CommandDispatch {
 public:
  explicit CommandDispatch(CommandHost& host) : host_(host) {}

  // Runs the action of commandId; unknown ids (and the application button)
  // do nothing. An error escaping the action is logged ("FMain.OnCommand")
  // and goes no further: a command never ends the program.
  void Run(int commandId) noexcept;

  // Opens the web search for name; with no name, shows errorText when
  // there is one. Errors are logged ("FMain.SearchGoogle").
  void SearchGoogle(const std::wstring& name, const std::wstring& errorText) noexcept;
  // Shows the file's properties sheet, "File not found:" when the file has
  // gone, or errorText when there is no file. Errors are logged
  // ("FMain.ShowFiledetails").
  void ShowFiledetails(const std::wstring& fileName, const std::wstring& errorText) noexcept;

 private:
  void Execute(int commandId);
  // The table that is showing, asked afresh each time; raises an error
  // when the host shows none.
  ITableControl& CurrentTable();

  CommandHost& host_;
};
