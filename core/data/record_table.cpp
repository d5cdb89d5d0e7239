#include "core/data/record_table.h"

#include <utility>

namespace mensuro {

void ClearRecords(RecordTable& table) {
  table.entries.clear();
}

void AddRecord(RecordTable& table, ProjectRecord record) {
  table.entries.push_back(std::move(record));
}

std::size_t CountRecords(const RecordTable& table) {
  return table.entries.size();
}

}  // namespace mensuro
