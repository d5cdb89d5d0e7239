#include "ui/import/remembered_field_columns.h"

#include <QStringList>
#include <cstddef>
#include <string_view>

#include "ui/common/settings.h"

namespace mensuro {
namespace {

QStringList HeaderCells(const std::vector<std::string>& columns) {
  QStringList cells;
  for (const std::string& column : columns) {
    cells.push_back(QString::fromStdString(column));
  }
  return cells;
}

// The quantity names of `map` per column of a header row of `count` cells.
QString ColumnsText(const FieldColumnMap& map, qsizetype count) {
  QStringList names(count);
  for (std::size_t quantity = 0; quantity < kFieldQuantityCount; ++quantity) {
    const std::optional<std::size_t> column = map.columns[quantity];
    if (column && static_cast<qsizetype>(*column) < count) {
      const std::string_view name = FieldQuantityName(static_cast<FieldQuantity>(quantity));
      names[static_cast<qsizetype>(*column)] =
          QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
  }
  return names.join(QLatin1Char(','));
}

// The map an entry's names give; nothing when a name is none of the quantities' own, a quantity
// is named twice, or the names don't match the header row's cells in number.
std::optional<FieldColumnMap> ReadMap(const settings::FieldColumnChoice& entry) {
  const QStringList names = entry.columns.split(QLatin1Char(','));
  if (names.size() != entry.header.size()) {
    return std::nullopt;
  }
  FieldColumnMap map;
  for (qsizetype column = 0; column < names.size(); ++column) {
    if (names[column].isEmpty()) {
      continue;
    }
    const std::string name = names[column].toStdString();
    const std::optional<FieldQuantity> quantity = FieldQuantityOfName(name);
    if (!quantity || FieldQuantityName(*quantity) != name || map[*quantity]) {
      return std::nullopt;
    }
    map[*quantity] = static_cast<std::size_t>(column);
  }
  return map;
}

}  // namespace

std::optional<FieldColumnMap> RememberedFieldColumns(const std::vector<std::string>& columns) {
  const QStringList header = HeaderCells(columns);
  for (const settings::FieldColumnChoice& entry : settings::FieldColumnChoices()) {
    if (entry.header == header) {
      return ReadMap(entry);
    }
  }
  return std::nullopt;
}

void RememberFieldColumns(const std::vector<std::string>& columns, const FieldColumnMap& map) {
  std::vector<settings::FieldColumnChoice> entries = settings::FieldColumnChoices();
  const QStringList header = HeaderCells(columns);
  // The latest choice for a header row replaces any earlier one.
  std::erase_if(entries, [&header](const settings::FieldColumnChoice& entry) {
    return entry.header == header;
  });
  entries.push_back({header, ColumnsText(map, header.size())});
  settings::SetFieldColumnChoices(entries);
}

}  // namespace mensuro
