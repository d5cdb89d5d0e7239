#include "ui/register/register_window.h"

#include <fmt/format.h>

#include <QChart>
#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QProgressDialog>
#include <QScreen>
#include <QSplitter>
#include <QStandardItem>
#include <QStringList>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "core/data/file_bytes.h"
#include "core/units.h"
#include "documents/history_chart.h"
#include "register/register_text.h"
#include "ui/common/chart_view.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/register/equipment_page.h"
#include "ui/register/register_location.h"
#include "ui/register/register_session.h"
#include "ui/register/register_verification.h"

namespace mensuro {
namespace {

// What a column sorts by: numbers as numbers, dates as dates.
constexpr int kSortRole = Qt::UserRole;
// The texts the filter looks in, kept on a row's first cell.
constexpr int kFilterRole = Qt::UserRole + 1;

const QString kRegisterFilter =
    QStringLiteral("Calibration register (*.sqlite)|*.sqlite|All files (*.*)|*.*||");
const QString kPdfFilter = QStringLiteral("PDF document (*.pdf)|*.pdf||");

// The first size, never larger than the free part of the screen.
constexpr QSize kFirstSize(1150, 700);
constexpr QSize kFrameAllowance(16, 40);

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QStandardItem* Cell(const QString& text, const QVariant& sortKey) {
  auto* item = new QStandardItem(text);
  item->setEditable(false);
  item->setData(sortKey, kSortRole);
  return item;
}

QStandardItem* TextCell(const std::string& text) {
  return Cell(Text(text), Text(text));
}

QStandardItem* FigureCell(const std::string& text, double sortKey) {
  QStandardItem* item = Cell(Text(text), sortKey);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

QList<QStandardItem*> Row(const RegisterEntry& e) {
  const InstrumentDetails& instrument = e.details.instrument;
  QStandardItem* number = TextCell(e.identity.number);
  number->setData(
      QStringList{Text(e.identity.number), Text(InstrumentName(instrument)),
                  Text(instrument.serialNumber), Text(e.details.client.name), Text(e.baseline)}
          .join(QLatin1Char('\n')),
      kFilterRole);
  // A baseline's certificate is listed by its baseline; it certifies no constant or scale.
  if (e.kind == RecordKind::kBaseline) {
    const std::string none = "\u2013";
    return {number,
            Cell(Text(e.identity.issueDate),
                 QDate::fromString(Text(e.identity.issueDate), Qt::ISODate)),
            TextCell("Baseline: " + e.baseline),
            TextCell({}),
            TextCell(e.details.client.name),
            FigureCell(none, 0.0),
            FigureCell(none, 0.0),
            TextCell(RegisterStatus(e))};
  }
  return {
      number,
      Cell(Text(e.identity.issueDate), QDate::fromString(Text(e.identity.issueDate), Qt::ISODate)),
      TextCell(InstrumentName(instrument)),
      TextCell(instrument.serialNumber),
      TextCell(e.details.client.name),
      FigureCell(ConstantText(e.results), e.results.constantM * kMillimetresPerMetre),
      FigureCell(ScaleText(e.results), e.results.scalePpm),
      TextCell(RegisterStatus(e))};
}

// The calibrations of `history` whose constant or scale changed beyond its uncertainty.
QString ChangesText(const std::vector<HistoryPoint>& history) {
  QStringList changes;
  for (const HistoryPoint& point : history) {
    for (const auto& [quantity, name, en] :
         {std::tuple{HistoryQuantity::kConstant, "constant", point.constantEn},
          std::tuple{HistoryQuantity::kScale, "scale", point.scaleEn}}) {
      if (ChangedBeyondUncertainty(point, quantity)) {
        changes << Text(fmt::format("{} at {} ({}, E_n {:.2f})", name, point.entry.identity.number,
                                    point.entry.identity.issueDate, en.value_or(0.0)));
      }
    }
  }
  if (changes.isEmpty()) {
    return QStringLiteral("No change beyond the uncertainty (E_n \u2264 1 throughout).");
  }
  return QStringLiteral("Changed beyond the uncertainty (E_n > 1): ") +
         changes.join(QStringLiteral("; ")) + QLatin1Char('.');
}

}  // namespace

CRegisterWindow::CRegisterWindow(DialogServices& services, RegisterSession& session,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), session_(session) {
  setWindowTitle(QStringLiteral("Calibration Register"));
  QLayout* locationRow = BuildLocationRow();
  QWidget* charts = BuildCharts();

  // The table across the window; below it the selected one's record beside its history.
  auto* lower = new QSplitter(Qt::Horizontal, this);
  lower->addWidget(BuildDetails());
  lower->addWidget(charts);
  lower->setStretchFactor(0, 1);
  lower->setStretchFactor(1, 2);
  lower->setChildrenCollapsible(false);
  auto* parts = new QSplitter(Qt::Vertical, this);
  parts->addWidget(BuildTable());
  parts->addWidget(lower);
  parts->setStretchFactor(0, 2);
  parts->setStretchFactor(1, 3);
  parts->setChildrenCollapsible(false);

  // The certificates on one page, the equipment behind them on another.
  auto* certificates = new QWidget(this);
  auto* certificatesLayout = new QVBoxLayout(certificates);
  certificatesLayout->setContentsMargins(0, 0, 0, 0);
  certificatesLayout->addWidget(parts, 1);
  certificatesLayout->addLayout(BuildButtonRow());
  equipment_ = new CEquipmentPage(services_, session_, this);
  equipment_->setObjectName(QStringLiteral("equipmentPage"));
  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  pages->addTab(certificates, QStringLiteral("Certificates"));
  pages->addTab(equipment_, QStringLiteral("Equipment"));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(locationRow);
  layout->addWidget(pages, 1);

  connect(filter_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CRegisterWindow::OnSelectionChanged);
  // Another register opened, or a certificate issued, from either window.
  connect(&session_, &RegisterSession::Changed, this, &CRegisterWindow::Refresh);

  const QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
  resize(kFirstSize.boundedTo(screen->availableGeometry().size() - kFrameAllowance));
  // The record and the charts get two thirds of the height, the charts two thirds of the width:
  // the table and the record's long lines scroll instead.
  parts->setSizes({height() / 3, height() - height() / 3});
  lower->setSizes({width() / 3, width() - width() / 3});
  Refresh();
}

QLayout* CRegisterWindow::BuildLocationRow() {
  auto* locationRow = new QHBoxLayout;
  auto* locationLabel = new QLabel(QStringLiteral("&Register:"), this);
  location_ = new QLineEdit(this);
  location_->setObjectName(QStringLiteral("location"));
  location_->setToolTip(
      QStringLiteral("An SQLite file or a postgresql:// URI; Enter opens the one typed."));
  locationLabel->setBuddy(location_);
  auto* openRegister = new QPushButton(QStringLiteral("Open Register..."), this);
  openRegister->setObjectName(QStringLiteral("openRegister"));
  locationRow->addWidget(locationLabel);
  locationRow->addWidget(location_, 1);
  locationRow->addWidget(openRegister);
  connect(openRegister, &QPushButton::clicked, this, &CRegisterWindow::OnOpenRegister);
  connect(location_, &QLineEdit::returnPressed, this, &CRegisterWindow::OpenTypedLocation);
  return locationRow;
}

QWidget* CRegisterWindow::BuildCharts() {
  auto* charts = new QWidget(this);
  constantView_ = new QChartView(charts);
  constantView_->setObjectName(QStringLiteral("constantView"));
  scaleView_ = new QChartView(charts);
  scaleView_->setObjectName(QStringLiteral("scaleView"));
  // Shown only for an instrument with calibrations that estimated the cyclic error.
  cyclicView_ = new QChartView(charts);
  cyclicView_->setObjectName(QStringLiteral("cyclicView"));
  cyclicView_->hide();
  auto* chartRow = new QHBoxLayout;
  for (QChartView* view : {constantView_, scaleView_, cyclicView_}) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(180);
    chartRow->addWidget(view);
  }
  changes_ = new QLabel(charts);
  changes_->setObjectName(QStringLiteral("changes"));
  changes_->setWordWrap(true);
  changes_->setTextFormat(Qt::PlainText);
  changes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* chartColumn = new QVBoxLayout(charts);
  chartColumn->setContentsMargins(0, 0, 0, 0);
  chartColumn->addLayout(chartRow, 1);
  chartColumn->addWidget(changes_);
  return charts;
}

QLayout* CRegisterWindow::BuildButtonRow() {
  openCertificate_ = new QPushButton(QStringLiteral("Open Certificate"), this);
  openCertificate_->setObjectName(QStringLiteral("openCertificate"));
  reissue_ = new QPushButton(QStringLiteral("Reissue..."), this);
  reissue_->setObjectName(QStringLiteral("reissue"));
  auto* verify = new QPushButton(QStringLiteral("Verify"), this);
  verify->setObjectName(QStringLiteral("verify"));
  auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
  refresh->setObjectName(QStringLiteral("refresh"));
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(openCertificate_);
  buttonRow->addWidget(reissue_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(verify);
  buttonRow->addWidget(refresh);
  connect(openCertificate_, &QPushButton::clicked, this, &CRegisterWindow::OnOpenCertificate);
  connect(reissue_, &QPushButton::clicked, this, &CRegisterWindow::OnReissue);
  connect(verify, &QPushButton::clicked, this, &CRegisterWindow::OnVerify);
  connect(refresh, &QPushButton::clicked, this, &CRegisterWindow::Refresh);
  return buttonRow;
}

CRegisterWindow::~CRegisterWindow() {
  // The table goes after this part of the window: its last signals must find no slot here.
  table_->selectionModel()->disconnect(this);
  // A walk under way is stopped when its object goes with the window's children; until then
  // it must find nothing here to tell.
  if (verification_ != nullptr) {
    verification_->disconnect();
  }
}

QWidget* CRegisterWindow::BuildTable() {
  auto* column = new QWidget(this);
  auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), column);
  filter_ = new QLineEdit(column);
  filter_->setObjectName(QStringLiteral("filter"));
  filter_->setPlaceholderText(QStringLiteral("Certificate, instrument, serial number or client"));
  filter_->setClearButtonEnabled(true);
  filterLabel->setBuddy(filter_);

  model_ = new QStandardItemModel(0, kStatus + 1, column);
  model_->setHorizontalHeaderLabels({QStringLiteral("Certificate"), QStringLiteral("Issued"),
                                     QStringLiteral("Instrument"), QStringLiteral("Serial"),
                                     QStringLiteral("Client"), QStringLiteral("Constant (mm)"),
                                     QStringLiteral("Scale (ppm)"), QStringLiteral("Status")});
  proxy_ = new QSortFilterProxyModel(column);
  proxy_->setSourceModel(model_);
  proxy_->setSortRole(kSortRole);
  proxy_->setFilterRole(kFilterRole);
  proxy_->setFilterKeyColumn(kNumber);
  proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);

  table_ = new QTableView(column);
  table_->setObjectName(QStringLiteral("certificates"));
  table_->setModel(proxy_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(kNumber, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setToolTip(QStringLiteral("Constant and scale with their expanded uncertainty U (95 %)"));

  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(filterLabel);
  filterRow->addWidget(filter_, 1);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(filterRow);
  layout->addWidget(table_, 1);
  return column;
}

QWidget* CRegisterWindow::BuildDetails() {
  details_ = new QTableWidget(0, 2, this);
  details_->setObjectName(QStringLiteral("details"));
  details_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  details_->horizontalHeader()->hide();
  details_->verticalHeader()->hide();
  details_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  details_->horizontalHeader()->setStretchLastSection(true);
  return details_;
}

void CRegisterWindow::Refresh() {
  location_->setText(session_.Location());
  const std::optional<std::string> selected = SelectedNumber();
  CalibrationRegister* reg = session_.Register();
  std::vector<RegisterEntry> entries;
  if (reg != nullptr) {
    try {
      entries = reg->List();
    } catch (const std::exception& error) {
      ShowRegisterError(QStringLiteral("read"), error);
    }
  }
  model_->removeRows(0, model_->rowCount());
  for (const RegisterEntry& entry : entries) {
    model_->appendRow(Row(entry));
  }
  table_->resizeColumnsToContents();
  if (selected) {
    Select(*selected);
  }
  OnSelectionChanged();
  equipment_->Refresh();
}

std::optional<std::string> CRegisterWindow::SelectedNumber() const {
  const QModelIndexList rows = table_->selectionModel()->selectedRows(kNumber);
  if (rows.isEmpty()) {
    return std::nullopt;
  }
  return rows.front().data().toString().toStdString();
}

void CRegisterWindow::Select(const std::string& number) {
  for (int row = 0; row < proxy_->rowCount(); ++row) {
    if (proxy_->index(row, kNumber).data().toString().toStdString() == number) {
      table_->selectRow(row);
      return;
    }
  }
}

void CRegisterWindow::OnSelectionChanged() {
  const std::optional<std::string> number = SelectedNumber();
  openCertificate_->setEnabled(number.has_value());
  reissue_->setEnabled(number.has_value());
  details_->setRowCount(0);
  std::optional<RegisterEntry> entry;
  if (number && session_.Register() != nullptr) {
    try {
      entry = session_.Register()->Find(*number);
    } catch (const std::exception& error) {
      ShowRegisterError(QStringLiteral("read"), error);
    }
  }
  if (entry) {
    const std::vector<RegisterLine> lines = RegisterEntryLines(*entry);
    details_->setRowCount(static_cast<int>(lines.size()));
    for (std::size_t row = 0; row < lines.size(); ++row) {
      details_->setItem(static_cast<int>(row), 0, new QTableWidgetItem(Text(lines[row].label)));
      details_->setItem(static_cast<int>(row), 1, new QTableWidgetItem(Text(lines[row].value)));
    }
    details_->resizeRowsToContents();
  }
  // An instrument's history follows its own calibrations, never a baseline's survey with it.
  ShowHistory(entry && entry->kind == RecordKind::kInstrument ? entry->details.instrument
                                                              : InstrumentDetails{});
}

void CRegisterWindow::ShowHistory(const InstrumentDetails& instrument) {
  std::vector<HistoryPoint> history;
  if (!instrument.serialNumber.empty() && session_.Register() != nullptr) {
    try {
      history = session_.Register()->History(instrument);
    } catch (const std::exception& error) {
      ShowRegisterError(QStringLiteral("read"), error);
    }
  }
  ReplaceChart(*constantView_, MakeHistoryChart(history, HistoryQuantity::kConstant));
  ReplaceChart(*scaleView_, MakeHistoryChart(history, HistoryQuantity::kScale));
  const bool cyclic = HasCyclicAmplitude(history);
  if (cyclic) {
    ReplaceChart(*cyclicView_, MakeHistoryChart(history, HistoryQuantity::kCyclicAmplitude));
  }
  cyclicView_->setVisible(cyclic);
  changes_->setText(history.empty() ? QString() : ChangesText(history));
}

void CRegisterWindow::OnOpenRegister() {
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = false,
                                   .filter = kRegisterFilter,
                                   .defaultExtension = QStringLiteral("sqlite"),
                                   .initialName = session_.Location()});
  if (chosen) {
    OpenLocation(*chosen);
  }
}

void CRegisterWindow::OpenTypedLocation() {
  const QString typed = location_->text().trimmed();
  if (!typed.isEmpty() && typed != session_.Location()) {
    OpenLocation(typed);
  }
}

void CRegisterWindow::OpenLocation(const QString& location) {
  if (const QString failure = session_.Open(location); !failure.isEmpty()) {
    services_.ShowMessage(*this, QStringLiteral("Could not open the register ") + location +
                                     QStringLiteral(": ") + failure);
    location_->setText(session_.Location());
    return;
  }
  // The session's signal has shown it.
  RememberRegisterLocation(location);
}

std::optional<std::string> CRegisterWindow::StoredPdf(const std::string& number) {
  if (session_.Register() == nullptr) {
    return std::nullopt;
  }
  std::optional<std::string> pdf;
  try {
    pdf = session_.Register()->StoredCertificatePdf(number);
  } catch (const std::exception& error) {
    ShowRegisterError(QStringLiteral("read"), error);
    return std::nullopt;
  }
  if (!pdf) {
    services_.ShowMessage(*this,
                          QStringLiteral("The register holds no certificate ") + Text(number));
  }
  return pdf;
}

void CRegisterWindow::OnOpenCertificate() {
  const std::optional<std::string> number = SelectedNumber();
  const std::optional<std::string> pdf = number ? StoredPdf(*number) : std::nullopt;
  if (!pdf) {
    return;
  }
  const QString path = QDir(openedPdfs_.path()).filePath(Text(*number + ".pdf"));
  if (!openedPdfs_.isValid() || WriteFileBytes(PathFromText(path), *pdf) != 0) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + path);
    return;
  }
  if (!services_.OpenDocument(path)) {
    services_.ShowMessage(*this, QStringLiteral("Error displaying: ") + path);
  }
}

void CRegisterWindow::OnReissue() {
  const std::optional<std::string> number = SelectedNumber();
  if (!number) {
    return;
  }
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = true,
                                   .filter = kPdfFilter,
                                   .defaultExtension = QStringLiteral("pdf"),
                                   .initialName = Text(*number + ".pdf")});
  if (!chosen) {
    return;
  }
  // Written as stored, byte for byte: the certificate as it was issued.
  if (const std::optional<std::string> pdf = StoredPdf(*number);
      pdf && WriteFileBytes(PathFromText(*chosen), *pdf) != 0) {
    services_.ShowMessage(*this, QStringLiteral("Could not write the file ") + *chosen);
  }
}

void CRegisterWindow::OnVerify() {
  if (!session_.IsOpen() || verification_ != nullptr) {
    return;
  }
  // The walk runs on a thread of its own with its own connection; the window shows its
  // progress and tells its outcome when it ends.
  auto* progress = new QProgressDialog(QStringLiteral("Verifying the register..."),
                                       QStringLiteral("Stop"), 0, 0, this);
  progress->setObjectName(QStringLiteral("verifyProgress"));
  progress->setWindowModality(Qt::WindowModal);
  progress->setMinimumDuration(500);
  verification_ =
      new RegisterVerification(session_.Location().toStdString(), session_.HeadLog(), this);
  connect(verification_, &RegisterVerification::Progress, progress,
          [progress](qint64 checked, qint64 total) {
            progress->setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
            progress->setValue(static_cast<int>(std::min<qint64>(checked, INT_MAX)));
          });
  const auto end = [this, progress] {
    progress->deleteLater();
    verification_->deleteLater();
    verification_ = nullptr;
  };
  connect(progress, &QProgressDialog::canceled, this, end);
  connect(verification_, &RegisterVerification::Finished, this,
          [this, end](const QString& message) {
            end();
            services_.ShowMessage(*this, message);
            emit Verified();
          });
}

void CRegisterWindow::ShowRegisterError(const QString& what, const std::exception& error) {
  services_.ShowMessage(*this, QStringLiteral("Could not %1 the register %2: %3")
                                   .arg(what, session_.Location(), Text(error.what())));
}

}  // namespace mensuro
