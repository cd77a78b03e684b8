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
  // do nothing. The command is an edge: an error escaping the action is
  // logged once, under the procedure that failed ("FMain.SearchGoogle",
  // "<table>.ITableControl_Remove", ...) else "FMain.OnCommand", and goes no
  // further: a command never ends the program.
  void Run(int commandId) noexcept;

 private:
  void Execute(int commandId);
  // The commands that act on the shown table's selected add-on; false for
  // any other id.
  bool ExecuteOnTable(int commandId);
  // Opens the web search for name; with no name, shows errorText when
  // there is one ("FMain.SearchGoogle").
  void SearchGoogle(const std::wstring& name, const std::wstring& errorText);
  // Shows the file's properties sheet, "File not found:" when the file has
  // gone, or errorText when there is no file ("FMain.ShowFiledetails").
  void ShowFileProperties(const std::wstring& fileName, const std::wstring& errorText);
  // The table that is showing, asked afresh each time; raises an error
  // when the host shows none.
  ITableControl& CurrentTable();

  CommandHost& host_;
};
