#pragma once

// The columns the surveyor chose for field files whose names weren't all understood, remembered
// between runs of the program in the user's settings, so that the same export from the same
// data collector is read the same way the next day. Each choice is a list entry of the group
// "FieldColumns" with the file's header row as it reads (its cells, UTF-8) and, for every column,
// the name of the quantity it holds (field_columns.h), empty for a column not used, joined with
// commas.

#include <optional>
#include <string>
#include <vector>

#include "core/reduction/field_columns.h"

namespace mensuro {

// The map remembered for files whose header row has the cells `columns`; nothing when there is
// none, or when its entry no longer reads (a settings file edited by hand).
std::optional<FieldColumnMap> RememberedFieldColumns(const std::vector<std::string>& columns);

// Remembers `map` for files whose header row has the cells `columns`, replacing what was
// remembered for them.
void RememberFieldColumns(const std::vector<std::string>& columns, const FieldColumnMap& map);

}  // namespace mensuro
