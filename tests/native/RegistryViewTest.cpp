// Where each view reads a key: the 32-bit view's redirected and shared
// keys, the classes root merged from the user's classes hive over the
// machine's, and a user's "Software\Classes" read in that hive.
#include <gtest/gtest.h>

#include "engine/sources/MemoryRegistry.h"
#include "engine/sources/RegistryView.h"

using engine::Root;
using engine::Tree;

TEST(RegistryView, ThirtyTwoBitViewRedirectsOnlyWhatThePlatformRedirects) {
  struct Case {
    Root root;
    const wchar_t* path;
    Tree tree;
    const wchar_t* stored;
  } cases[] = {
      {Root::Machine, L"Software\\Microsoft\\Internet Explorer\\Toolbar", Tree::Machine,
       L"Software\\Wow6432Node\\Microsoft\\Internet Explorer\\Toolbar"},
      {Root::Machine, L"SOFTWARE\\Classes\\CLSID\\{X}", Tree::Machine, L"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{X}"},
      {Root::Machine, L"Software\\Classes\\PROTOCOLS\\Handler", Tree::Machine, L"Software\\Classes\\PROTOCOLS\\Handler"},
      {Root::Machine, L"Software\\Policies\\Microsoft", Tree::Machine, L"Software\\Policies\\Microsoft"},
      {Root::Machine, L"software\\wow6432node\\x", Tree::Machine, L"software\\wow6432node\\x"},
      {Root::Machine, L"SYSTEM\\CurrentControlSet", Tree::Machine, L"SYSTEM\\CurrentControlSet"},
      {Root::Users, L"S-1-5-21-1\\Software\\Microsoft\\Internet Explorer\\Toolbar", Tree::Users,
       L"S-1-5-21-1\\Software\\Microsoft\\Internet Explorer\\Toolbar"},
      {Root::Users, L".DEFAULT\\Software\\Classes\\CLSID\\{X}", Tree::Users,
       L".DEFAULT\\Software\\Classes\\Wow6432Node\\CLSID\\{X}"},
      {Root::Classes, L"CLSID\\{X}\\InProcServer32", Tree::Machine,
       L"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{X}\\InProcServer32"},
      {Root::Classes, L"PROTOCOLS", Tree::Machine, L"SOFTWARE\\Classes\\PROTOCOLS"},
  };
  engine::MemoryRegistry registry;
  engine::RegistryView wow32(registry, RegView::Wow32, L"", nullptr);
  engine::RegistryView native(registry, RegView::Native, L"", nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.path, c.path + wcslen(c.path)));
    const auto places = wow32.PlacesOf(c.root, c.path);
    ASSERT_EQ(places.size(), 1u);
    EXPECT_EQ(places[0].tree, c.tree);
    EXPECT_EQ(places[0].path, c.stored);
    // The native view reads every key where it is named.
    const std::wstring plain = c.root == Root::Classes ? L"SOFTWARE\\Classes\\" + std::wstring(c.path) : c.path;
    EXPECT_EQ(native.PlacesOf(c.root, c.path)[0].path, plain);
  }
}

TEST(RegistryView, UserClassesMergeOverTheMachinesAndAUsersClassesAreReadInTheirHive) {
  engine::MemoryRegistry registry;
  const std::wstring user = L"S-1-5-21-9";
  // The machine's class, the user's own registration of the same class,
  // and a class only the machine has.
  registry.SetString(Tree::Machine, L"SOFTWARE\\Classes\\CLSID\\{A}", L"", L"machine A");
  registry.SetString(Tree::Machine, L"SOFTWARE\\Classes\\CLSID\\{A}", L"Extra", L"machine only value");
  registry.SetString(Tree::Users, user + L"_Classes\\CLSID\\{A}", L"", L"user A");
  registry.SetString(Tree::Machine, L"SOFTWARE\\Classes\\CLSID\\{B}", L"", L"machine B");
  registry.SetString(Tree::Users, user + L"_Classes\\Wow6432Node\\CLSID\\{C}", L"", L"user C 32");
  registry.SetString(Tree::Users, user + L"_Classes\\PROTOCOLS\\Handler\\x", L"CLSID", L"{A}");

  engine::RegistryView view(registry, RegView::Native, user, nullptr);
  std::wstring text;
  EXPECT_TRUE(view.ReadString(Root::Classes, L"CLSID\\{A}", L"", text));
  EXPECT_EQ(text, L"user A");
  EXPECT_TRUE(view.ReadString(Root::Classes, L"CLSID\\{A}", L"Extra", text));
  EXPECT_EQ(text, L"machine only value");
  EXPECT_EQ(view.SubKeys(Root::Classes, L"CLSID"), (std::vector<std::wstring>{L"{A}", L"{B}"}));
  // The user's "Software\Classes" is their classes hive.
  EXPECT_EQ(view.SubKeys(Root::Users, user + L"\\Software\\Classes\\PROTOCOLS\\Handler"),
            (std::vector<std::wstring>{L"x"}));

  engine::RegistryView wow32(registry, RegView::Wow32, user, nullptr);
  EXPECT_TRUE(wow32.KeyExists(Root::Classes, L"CLSID\\{C}"));
  EXPECT_FALSE(wow32.KeyExists(Root::Classes, L"CLSID\\{A}"));
  // Without the user's classes, the machine's alone.
  engine::RegistryView machineOnly(registry, RegView::Native, L"", nullptr);
  EXPECT_TRUE(machineOnly.ReadString(Root::Classes, L"CLSID\\{A}", L"", text));
  EXPECT_EQ(text, L"machine A");
}
