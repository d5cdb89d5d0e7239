#include "ui/import/remembered_field_columns.h"

#include <QStringList>
#include <cstddef>
#include <string_view>

#include "ui/common/user_settings.h"

namespace mensuro {
namespace {

const QString kGroup = QStringLiteral("FieldColumns");
const QString kHeaderKey = QStringLiteral("header");
const QString kColumnsKey = QStringLiteral("columns");

struct Entry {
  QStringList header;
  QString columns;
};

QStringList HeaderCells(const std::vector<std::string>& columns) {
  QStringList cells;
  for (const std::string& column : columns) {
    cells.push_back(QString::fromStdString(column));
  }
  return cells;
}

std::vector<Entry> Entries(QSettings& settings) {
  std::vector<Entry> entries;
  const int count = settings.beginReadArray(kGroup);
  for (int index = 0; index < count; ++index) {
    settings.setArrayIndex(index);
    entries.push_back({settings.value(kHeaderKey).toStringList(),
                       settings.value(kColumnsKey).toStringList().join(QLatin1Char(','))});
  }
  settings.endArray();
  return entries;
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
std::optional<FieldColumnMap> ReadMap(const Entry& entry) {
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
  UserSettings settings;
  const QStringList header = HeaderCells(columns);
  for (const Entry& entry : Entries(settings)) {
    if (entry.header == header) {
      return ReadMap(entry);
    }
  }
  return std::nullopt;
}

void RememberFieldColumns(const std::vector<std::string>& columns, const FieldColumnMap& map) {
  UserSettings settings;
  std::vector<Entry> entries = Entries(settings);
  const QStringList header = HeaderCells(columns);
  // The latest choice for a header row replaces any earlier one.
  std::erase_if(entries, [&header](const Entry& entry) { return entry.header == header; });
  entries.push_back({header, ColumnsText(map, header.size())});
  settings.beginWriteArray(kGroup, static_cast<int>(entries.size()));
  for (std::size_t index = 0; index < entries.size(); ++index) {
    settings.setArrayIndex(static_cast<int>(index));
    settings.setValue(kHeaderKey, entries[index].header);
    settings.setValue(kColumnsKey, entries[index].columns);
  }
  settings.endArray();
}

}  // namespace mensuro
