#pragma once
// The table class of each add-on kind.
#include <cstdint>
#include <memory>

class ListedSystem;
class TableControlBase;

// A new, not yet created table for the kind with that table identifier;
// nullptr for an identifier no kind has. Its listings resolve files through
// files, which must outlive it.
std::unique_ptr<TableControlBase> MakeTable(std::int32_t kindId, ListedSystem& system);
