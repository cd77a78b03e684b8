#include "engine/sources/RegistryWithAddedUsers.h"

#include "ozcore/CaseFold.h"

namespace engine {

void RegistryWithAddedUsers::Add(const std::wstring& topKey) {
  if (topKey.empty() || topKey.find(L'\\') != std::wstring::npos) return;
  if (addedTops_.insert(FoldCase(topKey)).second) addedNames_.push_back(topKey);
}

RegistrySource& RegistryWithAddedUsers::For(Tree tree, const std::wstring& path) {
  if (tree != Tree::Users || path.empty() || addedTops_.empty()) return base_;
  return addedTops_.count(FoldCase(path.substr(0, path.find(L'\\')))) ? added_ : base_;
}

std::vector<std::wstring> RegistryWithAddedUsers::SubKeyNames(Tree tree, const std::wstring& path) {
  std::vector<std::wstring> names = For(tree, path).SubKeyNames(tree, path);
  if (tree != Tree::Users || !path.empty()) return names;
  // The tree itself: the base's users, then the added ones it lacks.
  std::set<std::wstring> present;
  for (const auto& name : names) present.insert(FoldCase(name));
  for (const auto& name : addedNames_)
    if (!present.count(FoldCase(name))) names.push_back(name);
  return names;
}

}  // namespace engine
