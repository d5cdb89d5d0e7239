#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/reduction/field_columns.h"
#include "core/reduction/field_table.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace mensuro {

class DialogServices;

// The modal "Columns of the Field File" dialog: every column of a field file with its name and
// first values, and for each what it holds ("not used" or a quantity), preset from a column map.
// Below, what the current choice still lacks; OK is enabled only when it lacks nothing.
class CFieldColumnsDlg : public QDialog {
  Q_OBJECT

 public:
  CFieldColumnsDlg(const FieldTable& table, const FieldColumnMap& preset, QWidget* owner);

  // What column `column` (counted from 0) is said to hold.
  QComboBox& ColumnChoice(std::size_t column) const;
  QLabel& ProblemLabel() const { return *problem_; }
  QPushButton& OkButton() const;

  // The map the choices give; nothing while they leave a problem.
  std::optional<FieldColumnMap> Map() const;

  void accept() override;

 private:
  // Every column of `table` in a row of its name, first values and choice, which scroll.
  QScrollArea* BuildColumnList(const FieldTable& table);
  // The map the choices give, and what stands in its way (empty when nothing does).
  FieldColumnMap ChosenMap(QString& problem) const;
  void Update();

  const FieldTable& table_;
  std::vector<QComboBox*> choices_;
  QLabel* problem_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

// A field file's column map when matching the names leaves a problem.
struct ChosenFieldColumns {
  FieldColumnMap map;
  // Taken as remembered for the same header row, without asking.
  bool asBefore = false;
};

// The choice remembered for the table's header row when it lacks nothing; otherwise the one
// made in the Columns of the Field File dialog, preset from the remembered choice or from
// `matched`, and remembered. Nothing when the surveyor cancels.
std::optional<ChosenFieldColumns> ChooseFieldColumns(DialogServices& services, QWidget& owner,
                                                     const FieldTable& table,
                                                     const FieldColumnMap& matched);

}  // namespace mensuro
