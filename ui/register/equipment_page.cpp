#include "ui/register/equipment_page.h"

#include <fmt/format.h>

#include <QComboBox>
#include <QDate>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <string>
#include <string_view>
#include <utility>

#include "core/data/number_text.h"
#include "register/register_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/typed_figure.h"
#include "ui/register/register_session.h"

namespace mensuro {
namespace {

enum Column { kKind, kMake, kModel, kSerial, kCertificate, kValidUntil, kRetired };
enum DueColumn { kDueInstrument, kDueSerial, kDueLast, kDueMeasured, kDueDate };

struct FigureLayout {
  const char* name;  // of the field
  bool text;         // taken as typed rather than read as a number
};

// In the order of EquipmentFigure.
constexpr std::array<FigureLayout, kEquipmentFigureCount> kFigures = {{
    {"correction", false},
    {"uncertainty", false},
    {"scale", false},
    {"scaleUncertainty", false},
    {"constant", false},
    {"constantUncertainty", false},
    {"baselineCertificate", true},
    {"baselineUncertainty", true},
}};

constexpr std::size_t Index(EquipmentFigure figure) {
  return static_cast<std::size_t>(figure);
}

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string Typed(const QLineEdit& field) {
  return field.text().trimmed().toStdString();
}

QTableWidgetItem* Cell(const QString& text) {
  auto* cell = new QTableWidgetItem(text);
  cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
  return cell;
}

QTableWidget* Table(const QStringList& headers, const char* name, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  table->setObjectName(QString::fromLatin1(name));
  table->setHorizontalHeaderLabels(headers);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

// The figures each kind's certificate states, and how the form labels them.
struct FigureLabel {
  EquipmentFigure figure;
  QString label;
};
std::vector<FigureLabel> FiguresOf(EquipmentKind kind) {
  const QString unit = Text(CorrectionUnit(kind));
  switch (kind) {
    case EquipmentKind::kReflector:
      return {{EquipmentFigure::kCorrection, QStringLiteral("Prism constant (mm):")},
              {EquipmentFigure::kUncertainty, QStringLiteral("Standard uncertainty (mm):")}};
    case EquipmentKind::kReferenceInstrument:
      return {
          {EquipmentFigure::kScale, QStringLiteral("Scale correction (ppm):")},
          {EquipmentFigure::kScaleUncertainty, QStringLiteral("Its expanded uncertainty (ppm):")},
          {EquipmentFigure::kConstant, QStringLiteral("Constant (mm):")},
          {EquipmentFigure::kConstantUncertainty,
           QStringLiteral("Its expanded uncertainty (mm):")}};
    case EquipmentKind::kBaseline:
      return {
          {EquipmentFigure::kBaselineCertificate, QStringLiteral("Baseline certificate:")},
          {EquipmentFigure::kBaselineUncertainty, QStringLiteral("Uncertainty (A,B[,K[,DOF]]):")}};
    default:
      return {
          {EquipmentFigure::kCorrection, QStringLiteral("Correction (%1):").arg(unit)},
          {EquipmentFigure::kUncertainty, QStringLiteral("Standard uncertainty (%1):").arg(unit)}};
  }
}

std::optional<double> ReadNumber(std::string_view text, std::string& reason) {
  std::optional<double> value = ReadWholeNumber(text);
  if (!value) {
    reason = fmt::format("\"{}\" is not a number", text);
  }
  return value;
}

QString Today() {
  return QDate::currentDate().toString(Qt::ISODate);
}

}  // namespace

CEquipmentPage::CEquipmentPage(DialogServices& services, RegisterSession& session, QWidget* parent)
    : QWidget(parent), services_(services), session_(session) {
  list_ = Table({QStringLiteral("Kind"), QStringLiteral("Make"), QStringLiteral("Model"),
                 QStringLiteral("Serial"), QStringLiteral("Certificate in force"),
                 QStringLiteral("Valid until"), QStringLiteral("Retired")},
                "equipmentList", this);
  due_ = Table(
      {QStringLiteral("Instrument"), QStringLiteral("Serial"), QStringLiteral("Last certificate"),
       QStringLiteral("Measured"), QStringLiteral("Next calibration due")},
      "dueList", this);
  auto* dueColumn = new QWidget(this);
  auto* dueLayout = new QVBoxLayout(dueColumn);
  dueLayout->setContentsMargins(0, 0, 0, 0);
  dueLayout->addWidget(new QLabel(QStringLiteral("Instruments' calibrations due:"), dueColumn));
  dueLayout->addWidget(due_, 1);

  auto* lower = new QSplitter(Qt::Horizontal, this);
  lower->addWidget(BuildForm());
  lower->addWidget(dueColumn);
  lower->setChildrenCollapsible(false);
  auto* parts = new QSplitter(Qt::Vertical, this);
  parts->addWidget(list_);
  parts->addWidget(lower);
  parts->setChildrenCollapsible(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(parts, 1);

  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CEquipmentPage::OnSelectionChanged);
  OnKindChosen();
  OnSelectionChanged();
}

QWidget* CEquipmentPage::BuildForm() {
  auto* column = new QWidget(this);
  form_ = new QFormLayout;
  const auto field = [column](const char* name) {
    auto* edit = new QLineEdit(column);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
  };
  kind_ = new QComboBox(column);
  kind_->setObjectName(QStringLiteral("equipmentKind"));
  for (const EquipmentKind kind : kEquipmentKinds) {
    kind_->addItem(Text(EquipmentKindName(kind)), static_cast<int>(kind));
  }
  make_ = field("equipmentMake");
  model_ = field("equipmentModel");
  serial_ = field("equipmentSerial");
  number_ = field("certificateNumber");
  issuedBy_ = field("certificateIssuedBy");
  date_ = field("certificateDate");
  validUntil_ = field("certificateValidUntil");
  for (QLineEdit* dateField : {date_, validUntil_}) {
    dateField->setPlaceholderText(QStringLiteral("YYYY-MM-DD"));
  }
  form_->addRow(QStringLiteral("Kind:"), kind_);
  form_->addRow(QStringLiteral("Make:"), make_);
  form_->addRow(QStringLiteral("Model:"), model_);
  form_->addRow(QStringLiteral("Serial:"), serial_);
  form_->addRow(QStringLiteral("Certificate number:"), number_);
  form_->addRow(QStringLiteral("Issued by:"), issuedBy_);
  form_->addRow(QStringLiteral("Calibrated on:"), date_);
  form_->addRow(QStringLiteral("Valid until:"), validUntil_);
  for (std::size_t figure = 0; figure < kEquipmentFigureCount; ++figure) {
    figures_[figure] = field(kFigures[figure].name);
    figureLabels_[figure] = new QLabel(column);
    form_->addRow(figureLabels_[figure], figures_[figure]);
  }

  auto* add = new QPushButton(QStringLiteral("Add"), column);
  add->setObjectName(QStringLiteral("addEquipment"));
  add->setToolTip(QStringLiteral("Enters the certificate, registering its item on the first"));
  supersede_ = new QPushButton(QStringLiteral("Supersede..."), column);
  supersede_->setObjectName(QStringLiteral("supersede"));
  supersede_->setToolTip(
      QStringLiteral("Enters the certificate in place of the selected item's certificate"));
  retire_ = new QPushButton(QStringLiteral("Retire..."), column);
  retire_->setObjectName(QStringLiteral("retire"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(supersede_);
  buttons->addWidget(retire_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form_);
  layout->addLayout(buttons);
  layout->addStretch(1);

  connect(kind_, &QComboBox::currentIndexChanged, this, &CEquipmentPage::OnKindChosen);
  connect(add, &QPushButton::clicked, this, &CEquipmentPage::OnAdd);
  connect(supersede_, &QPushButton::clicked, this, &CEquipmentPage::OnSupersede);
  connect(retire_, &QPushButton::clicked, this, &CEquipmentPage::OnRetire);
  return column;
}

QLineEdit& CEquipmentPage::Figure(EquipmentFigure figure) const {
  return *figures_[Index(figure)];
}

void CEquipmentPage::OnKindChosen() {
  const auto kind = static_cast<EquipmentKind>(kind_->currentData().toInt());
  for (std::size_t figure = 0; figure < kEquipmentFigureCount; ++figure) {
    form_->setRowVisible(figures_[figure], false);
  }
  for (const FigureLabel& shown : FiguresOf(kind)) {
    figureLabels_[Index(shown.figure)]->setText(shown.label);
    form_->setRowVisible(&Figure(shown.figure), true);
  }
}

void CEquipmentPage::Refresh() {
  items_.clear();
  std::vector<InstrumentDue> due;
  if (CalibrationRegister* reg = session_.Register()) {
    try {
      items_ = reg->ListEquipment();
      due = reg->DueCalibrations();
    } catch (const std::exception& error) {
      ShowRegisterError(QStringLiteral("read"), error);
    }
  }
  const std::string today = Today().toStdString();
  list_->setRowCount(0);
  list_->setRowCount(static_cast<int>(items_.size()));
  for (std::size_t index = 0; index < items_.size(); ++index) {
    const EquipmentItem& item = items_[index];
    const auto row = static_cast<int>(index);
    const CertificateOnDate on = CertificateOn(item, today);
    list_->setItem(row, kKind, Cell(Text(EquipmentKindName(item.kind))));
    list_->setItem(row, kMake, Cell(Text(item.make)));
    list_->setItem(row, kModel, Cell(Text(item.model)));
    list_->setItem(row, kSerial, Cell(Text(item.serial)));
    list_->setItem(row, kCertificate,
                   Cell(on.certificate ? Text(on.certificate->number) : QString()));
    QTableWidgetItem* validUntil =
        Cell(on.certificate ? Text(on.certificate->validUntil) : QString());
    // Out of date today: red.
    if (on.validity != EquipmentValidity::kValid) {
      validUntil->setForeground(Qt::red);
    }
    list_->setItem(row, kValidUntil, validUntil);
    list_->setItem(
        row, kRetired,
        Cell(item.retiredOn.empty() ? QString()
                                    : Text(item.retiredOn + " (" + item.retireReason + ")")));
  }
  list_->resizeColumnsToContents();

  due_->setRowCount(static_cast<int>(due.size()));
  for (std::size_t index = 0; index < due.size(); ++index) {
    const InstrumentDue& instrument = due[index];
    const auto row = static_cast<int>(index);
    due_->setItem(row, kDueInstrument, Cell(Text(InstrumentName(instrument.instrument))));
    due_->setItem(row, kDueSerial, Cell(Text(instrument.instrument.serialNumber)));
    due_->setItem(row, kDueLast, Cell(Text(instrument.lastNumber)));
    due_->setItem(row, kDueMeasured, Cell(Text(instrument.lastMeasurementDate)));
    QTableWidgetItem* dueDate = Cell(Text(instrument.dueDate));
    if (instrument.dueDate < today) {
      dueDate->setForeground(Qt::red);
    }
    due_->setItem(row, kDueDate, dueDate);
  }
  due_->resizeColumnsToContents();
  OnSelectionChanged();
}

const EquipmentItem* CEquipmentPage::Selected() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.front().row() >= static_cast<int>(items_.size())) {
    return nullptr;
  }
  return &items_[static_cast<std::size_t>(rows.front().row())];
}

void CEquipmentPage::OnSelectionChanged() {
  const EquipmentItem* item = Selected();
  supersede_->setEnabled(item != nullptr);
  retire_->setEnabled(item != nullptr && item->retiredOn.empty());
  if (item == nullptr) {
    return;
  }
  // The form names the selected item, so that its next certificate asks for its figures.
  kind_->setCurrentIndex(kind_->findData(static_cast<int>(item->kind)));
  make_->setText(Text(item->make));
  model_->setText(Text(item->model));
  serial_->setText(Text(item->serial));
}

std::optional<double> CEquipmentPage::ReadFigure(EquipmentFigure figure) {
  const QString name = figureLabels_[Index(figure)]->text().chopped(1);
  const QString text = Figure(figure).text().trimmed();
  QString problem;
  std::optional<double> value;
  if (text.isEmpty()) {
    problem = EmptyFieldProblem(name, QStringLiteral("the figure from the certificate"));
  } else {
    value = ReadTypedFigure(name, text, ReadNumber, "0.2", problem);
  }
  if (!value) {
    services_.ShowMessage(*this, problem);
    Figure(figure).setFocus();
  }
  return value;
}

std::optional<EquipmentCertificate> CEquipmentPage::ReadCertificate(EquipmentKind kind) {
  EquipmentCertificate certificate;
  certificate.number = Typed(*number_);
  certificate.issuedBy = Typed(*issuedBy_);
  certificate.date = Typed(*date_);
  certificate.validUntil = Typed(*validUntil_);
  for (const FigureLabel& shown : FiguresOf(kind)) {
    if (kFigures[Index(shown.figure)].text) {
      continue;
    }
    const std::optional<double> value = ReadFigure(shown.figure);
    if (!value) {
      return std::nullopt;
    }
    switch (shown.figure) {
      case EquipmentFigure::kCorrection:
        certificate.correction = *value;
        break;
      case EquipmentFigure::kUncertainty:
        certificate.standardUncertainty = *value;
        break;
      case EquipmentFigure::kScale:
        certificate.scalePpm = *value;
        break;
      case EquipmentFigure::kScaleUncertainty:
        certificate.scaleUncertaintyPpm = *value;
        break;
      case EquipmentFigure::kConstant:
        certificate.constantMm = *value;
        break;
      case EquipmentFigure::kConstantUncertainty:
        certificate.constantUncertaintyMm = *value;
        break;
      case EquipmentFigure::kBaselineCertificate:
      case EquipmentFigure::kBaselineUncertainty:
        break;
    }
  }
  if (kind == EquipmentKind::kBaseline) {
    certificate.baselineCertificate = Typed(Figure(EquipmentFigure::kBaselineCertificate));
    certificate.baselineUncertainty = Typed(Figure(EquipmentFigure::kBaselineUncertainty));
  }
  return certificate;
}

bool CEquipmentPage::Enter(const EquipmentItem& item, const EquipmentCertificate& certificate) {
  CalibrationRegister* reg = session_.Register();
  if (reg == nullptr) {
    services_.ShowMessage(*this, QStringLiteral("No register is open."));
    return false;
  }
  try {
    reg->AddEquipmentCertificate(item, certificate);
  } catch (const std::exception& error) {
    ShowRegisterError(QStringLiteral("enter the certificate into"), error);
    return false;
  }
  ClearCertificate();
  Refresh();
  return true;
}

void CEquipmentPage::OnAdd() {
  EquipmentItem item;
  item.kind = static_cast<EquipmentKind>(kind_->currentData().toInt());
  item.make = Typed(*make_);
  item.model = Typed(*model_);
  item.serial = Typed(*serial_);
  if (item.serial.empty()) {
    services_.ShowMessage(*this, QStringLiteral("Serial: enter the item's serial number."));
    serial_->setFocus();
    return;
  }
  if (const std::optional<EquipmentCertificate> certificate = ReadCertificate(item.kind)) {
    Enter(item, *certificate);
  }
}

void CEquipmentPage::OnSupersede() {
  const EquipmentItem* selected = Selected();
  if (selected == nullptr) {
    return;
  }
  const EquipmentItem item = *selected;
  const CertificateOnDate inForce = CertificateOn(item, Today().toStdString());
  if (!inForce.certificate) {
    services_.ShowMessage(
        *this, Text("The " + EquipmentName(item) + " has no certificate in force to supersede."));
    return;
  }
  std::optional<EquipmentCertificate> certificate = ReadCertificate(item.kind);
  if (!certificate) {
    return;
  }
  const std::optional<QString> reason =
      services_.AskText(*this, QStringLiteral("Supersede Certificate"),
                        Text("Why does certificate " + inForce.certificate->number + " of the " +
                             EquipmentName(item) + " need superseding?"));
  if (!reason) {
    return;
  }
  certificate->supersedes = inForce.certificate->number;
  certificate->reason = reason->trimmed().toStdString();
  Enter(item, *certificate);
}

void CEquipmentPage::OnRetire() {
  const EquipmentItem* selected = Selected();
  CalibrationRegister* reg = session_.Register();
  if (selected == nullptr || reg == nullptr) {
    return;
  }
  const EquipmentItem item = *selected;
  const std::optional<QString> reason =
      services_.AskText(*this, QStringLiteral("Retire Equipment"),
                        Text("Why is the " + EquipmentName(item) + " taken out of use?"));
  if (!reason) {
    return;
  }
  try {
    reg->RetireEquipment(item.kind, item.serial, reason->trimmed().toStdString());
  } catch (const std::exception& error) {
    ShowRegisterError(QStringLiteral("retire the item in"), error);
    return;
  }
  Refresh();
}

void CEquipmentPage::ClearCertificate() {
  for (QLineEdit* field : {number_, issuedBy_, date_, validUntil_}) {
    field->clear();
  }
  for (QLineEdit* field : figures_) {
    field->clear();
  }
}

void CEquipmentPage::ShowRegisterError(const QString& what, const std::exception& error) {
  services_.ShowMessage(*this,
                        QStringLiteral("Could not %1 the register %2: %3")
                            .arg(what, session_.Location(), QString::fromUtf8(error.what())));
}

}  // namespace mensuro
