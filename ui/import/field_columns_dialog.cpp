#include "ui/import/field_columns_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <utility>

#include "ui/common/dialog_services.h"
#include "ui/import/remembered_field_columns.h"

namespace mensuro {
namespace {

// The values shown of each column.
constexpr std::size_t kShownRows = 3;

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString ColumnName(const FieldTable& table, std::size_t column) {
  return QStringLiteral("%1. %2").arg(column + 1).arg(Utf8(table.columns[column]));
}

QString FirstValues(const FieldTable& table, std::size_t column) {
  QStringList values;
  for (std::size_t row = 0; row < table.rows.size() && row < kShownRows; ++row) {
    const std::vector<std::string>& cells = table.rows[row].cells;
    values.push_back(column < cells.size() ? Utf8(cells[column]) : QString());
  }
  return values.join(QStringLiteral(" | "));
}

// "not used", then every quantity by its title; each item's data is the quantity's number, -1
// for "not used".
QComboBox* QuantityChoice(QWidget* parent) {
  auto* choice = new QComboBox(parent);
  choice->addItem(QStringLiteral("not used"), -1);
  for (std::size_t quantity = 0; quantity < kFieldQuantityCount; ++quantity) {
    choice->addItem(Utf8(FieldQuantityTitle(static_cast<FieldQuantity>(quantity))),
                    static_cast<int>(quantity));
  }
  return choice;
}

}  // namespace

CFieldColumnsDlg::CFieldColumnsDlg(const FieldTable& table, const FieldColumnMap& preset,
                                   QWidget* owner)
    : QDialog(owner), table_(table) {
  setWindowTitle(QStringLiteral("Columns of the Field File"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Not every column could be recognised by its name. Say what each column "
                     "holds; the choice is remembered for files with the same column names."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  layout->addWidget(BuildColumnList(table), 1);

  problem_ = new QLabel(this);
  problem_->setTextFormat(Qt::PlainText);
  problem_->setWordWrap(true);
  layout->addWidget(problem_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons_);

  for (std::size_t quantity = 0; quantity < kFieldQuantityCount; ++quantity) {
    const std::optional<std::size_t> column = preset.columns[quantity];
    if (column && *column < choices_.size()) {
      choices_[*column]->setCurrentIndex(static_cast<int>(quantity) + 1);
    }
  }
  for (QComboBox* choice : choices_) {
    connect(choice, &QComboBox::currentIndexChanged, this, &CFieldColumnsDlg::Update);
  }
  connect(buttons_, &QDialogButtonBox::accepted, this, &CFieldColumnsDlg::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &CFieldColumnsDlg::reject);
  Update();
}

QScrollArea* CFieldColumnsDlg::BuildColumnList(const FieldTable& table) {
  // A data collector's export may have many columns: they scroll.
  auto* area = new QScrollArea(this);
  area->setWidgetResizable(true);
  auto* columns = new QWidget(area);
  auto* grid = new QGridLayout(columns);
  grid->addWidget(new QLabel(QStringLiteral("<b>Column</b>"), columns), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("<b>First values</b>"), columns), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("<b>Holds</b>"), columns), 0, 2);
  for (std::size_t column = 0; column < table.columns.size(); ++column) {
    const int row = static_cast<int>(column) + 1;
    for (const auto& [text, at] :
         {std::pair{ColumnName(table, column), 0}, std::pair{FirstValues(table, column), 1}}) {
      auto* label = new QLabel(text, columns);
      label->setTextFormat(Qt::PlainText);
      grid->addWidget(label, row, at);
    }
    choices_.push_back(QuantityChoice(columns));
    grid->addWidget(choices_.back(), row, 2);
  }
  grid->setRowStretch(static_cast<int>(table.columns.size()) + 1, 1);
  area->setWidget(columns);
  // Wide enough for every column's choice without scrolling sideways; up to ten columns tall.
  const QSize content = columns->sizeHint();
  const int frame = 2 * area->frameWidth();
  area->setMinimumWidth(content.width() + area->verticalScrollBar()->sizeHint().width() + frame);
  area->setMinimumHeight(
      std::min(content.height(),
               (choices_.empty() ? 0 : choices_.front()->sizeHint().height() + 6) * 11) +
      frame);
  return area;
}

QComboBox& CFieldColumnsDlg::ColumnChoice(std::size_t column) const {
  return *choices_.at(column);
}

QPushButton& CFieldColumnsDlg::OkButton() const {
  return *buttons_->button(QDialogButtonBox::Ok);
}

FieldColumnMap CFieldColumnsDlg::ChosenMap(QString& problem) const {
  FieldColumnMap map;
  for (std::size_t column = 0; column < choices_.size(); ++column) {
    const int quantity = choices_[column]->currentData().toInt();
    if (quantity < 0) {
      continue;
    }
    std::optional<std::size_t>& chosen = map.columns[static_cast<std::size_t>(quantity)];
    if (chosen && problem.isEmpty()) {
      problem = QStringLiteral("The columns %1 and %2 both hold the %3; keep one.")
                    .arg(ColumnName(table_, *chosen), ColumnName(table_, column),
                         Utf8(FieldQuantityTitle(static_cast<FieldQuantity>(quantity))));
    }
    chosen = column;
  }
  if (!problem.isEmpty()) {
    return map;
  }
  // What is still to choose, by what it is rather than by the names a file may give it.
  QStringList missing;
  for (const std::vector<FieldQuantity>& lacking : MissingFieldQuantities(map)) {
    QStringList alternatives;
    for (const FieldQuantity quantity : lacking) {
      alternatives << Utf8(FieldQuantityTitle(quantity));
    }
    missing << alternatives.join(QStringLiteral(" or "));
  }
  if (!missing.isEmpty()) {
    problem = QStringLiteral("Still to choose: %1.").arg(missing.join(QStringLiteral("; ")));
  } else if (const std::optional<FieldFileError> other = FieldColumnsProblem(table_, map)) {
    problem = Utf8(other->reason);
    problem[0] = problem[0].toUpper();
    problem += QLatin1Char('.');
  }
  return map;
}

std::optional<FieldColumnMap> CFieldColumnsDlg::Map() const {
  QString problem;
  FieldColumnMap map = ChosenMap(problem);
  return problem.isEmpty() ? std::optional(map) : std::nullopt;
}

void CFieldColumnsDlg::Update() {
  QString problem;
  ChosenMap(problem);
  problem_->setText(problem);
  OkButton().setEnabled(problem.isEmpty());
}

void CFieldColumnsDlg::accept() {
  if (Map()) {
    QDialog::accept();
  }
}

std::optional<ChosenFieldColumns> ChooseFieldColumns(DialogServices& services, QWidget& owner,
                                                     const FieldTable& table,
                                                     const FieldColumnMap& matched) {
  const std::optional<FieldColumnMap> remembered = RememberedFieldColumns(table.columns);
  if (remembered && !FieldColumnsProblem(table, *remembered)) {
    return ChosenFieldColumns{*remembered, true};
  }
  CFieldColumnsDlg dialog(table, remembered.value_or(matched), &owner);
  services.RunModal(dialog);
  const std::optional<FieldColumnMap> chosen = dialog.Map();
  if (dialog.result() != QDialog::Accepted || !chosen) {
    return std::nullopt;
  }
  RememberFieldColumns(table.columns, *chosen);
  return ChosenFieldColumns{*chosen, false};
}

}  // namespace mensuro
