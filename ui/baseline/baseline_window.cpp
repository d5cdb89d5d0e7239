#include "ui/baseline/baseline_window.h"

#include <fmt/format.h>

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStringList>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <utility>

#include "core/baseline/baseline_library_entry.h"
#include "core/baseline/previous_certificate.h"
#include "core/data/baseline_library.h"
#include "core/data/number_text.h"
#include "core/data/text_encoding.h"
#include "core/data/visible_text.h"
#include "documents/report_numbers.h"
#include "ui/baseline/baseline_residual_chart.h"
#include "ui/baseline/library_entry_file.h"
#include "ui/common/chart_view.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"
#include "ui/common/leave_out.h"
#include "ui/common/open_files.h"
#include "ui/common/typed_figure.h"

namespace mensuro {
namespace {

// The first size: inputs beside results on a 1280 x 800 screen, with room left for the
// window's frame and the desktop's own panels.
constexpr QSize kFirstSize(1180, 690);
constexpr QSize kFrameAllowance(16, 40);

const QString kSurveyFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
const QString kLibraryFilter =
    QStringLiteral("Baseline Library (*.dat)|*.dat|All Files (*.*)|*.*||");

QString Text(const std::string& bytes) {
  return FieldFromBytes(VisibleText(bytes));
}

std::string Metres(double metres) {
  return FixedText(metres, 4);
}

std::string Millimetres(double metres) {
  return FixedText(metres * 1000.0, 2);
}

// A read-only table of rows under `headings`.
QTableWidget* NewTable(const char* name, const QStringList& headings, QWidget* parent) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setObjectName(QString::fromLatin1(name));
  table->setHorizontalHeaderLabels(headings);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->hide();
  return table;
}

// Names left-aligned, figures right-aligned; each row's cells as given, the rows `marked` holds
// true for in a colour and weight that stand out (an outlier, a pair that moved).
void FillTable(QTableWidget& table, const std::vector<std::vector<QString>>& rows, int firstFigure,
               const std::vector<bool>& marked = {}) {
  table.clearContents();
  table.setRowCount(static_cast<int>(rows.size()));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const bool standsOut = row < marked.size() && marked[row];
    for (std::size_t column = 0; column < rows[row].size(); ++column) {
      auto* item = new QTableWidgetItem(rows[row][column]);
      item->setTextAlignment(static_cast<int>(column) < firstFigure
                                 ? Qt::AlignLeft | Qt::AlignVCenter
                                 : Qt::AlignRight | Qt::AlignVCenter);
      if (standsOut) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setForeground(QColor(0xc6, 0x28, 0x28));
      }
      table.setItem(static_cast<int>(row), static_cast<int>(column), item);
    }
  }
  // Sized after the marking, so that bold figures show whole.
  table.resizeColumnsToContents();
  table.resizeRowsToContents();
}

QString Figure(const std::string& text) {
  return QString::fromStdString(text);
}

// How a question and the list name one observation.
std::string ObservationName(const SurveyObservation& observation) {
  return fmt::format("the observation {}-{} {} m on line {}", observation.from, observation.to,
                     observation.distance, observation.line);
}

std::optional<double> ReadScale(std::string_view text, std::string& reason) {
  const auto numbers = ReadNumberFields(text, 1, 1, "a number of ppm", reason,
                                        {.negativeAllowed = true, .infinityAllowed = false});
  if (!numbers) {
    return std::nullopt;
  }
  return (*numbers)[0];
}

std::optional<double> ReadUncertainty(std::string_view text, std::string& reason) {
  const auto numbers = ReadNumberFields(text, 1, 1, "a number of ppm", reason);
  if (!numbers) {
    return std::nullopt;
  }
  return (*numbers)[0];
}

std::optional<double> ReadCoverage(std::string_view text, std::string& reason) {
  const auto numbers = ReadNumberFields(text, 1, 1, "a coverage factor", reason);
  if (!numbers) {
    return std::nullopt;
  }
  if (!((*numbers)[0] > 0.0)) {
    reason = "the coverage factor K must be greater than 0";
    return std::nullopt;
  }
  return (*numbers)[0];
}

QLineEdit* NewFigureField(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setMaximumWidth(80);
  return field;
}

}  // namespace

CBaselineWindow::CBaselineWindow(DialogServices& services, std::filesystem::path libraryFile,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), libraryFile_(std::move(libraryFile)) {
  setWindowTitle(QStringLiteral("Baseline Calibration"));
  auto* splitter = new QSplitter(this);
  splitter->addWidget(BuildInputColumn());
  splitter->addWidget(BuildResults());
  splitter->setChildrenCollapsible(false);
  splitter->setStretchFactor(0, 0);
  splitter->setStretchFactor(1, 1);
  // The inputs narrow, the results taking the rest.
  splitter->setSizes({330, 850});

  saveLibraryEntry_ = new QPushButton(QStringLiteral("Save Library Entry..."), this);
  saveLibraryEntry_->setObjectName(QStringLiteral("saveLibraryEntry"));
  connect(saveLibraryEntry_, &QPushButton::clicked, this, &CBaselineWindow::OnSaveLibraryEntry);
  saveCertificate_ = new QPushButton(QStringLiteral("Save Certificate..."), this);
  saveCertificate_->setObjectName(QStringLiteral("saveCertificate"));
  connect(saveCertificate_, &QPushButton::clicked, this, &CBaselineWindow::OnSaveCertificate);
  saveCertificate_->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(saveLibraryEntry_);
  buttons->addWidget(saveCertificate_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(buttons);
  const QScreen* screen = parent != nullptr ? parent->screen() : this->screen();
  resize(kFirstSize.boundedTo(screen->availableGeometry().size() - kFrameAllowance));
  ShowFailure(QStringLiteral("Open the survey file, then press Process."));
}

QWidget* CBaselineWindow::BuildInputColumn() {
  auto* column = new QWidget(this);

  auto* survey = new QGroupBox(QStringLiteral("Survey"), column);
  surveyFile_ = new QLineEdit(survey);
  surveyFile_->setObjectName(QStringLiteral("surveyFile"));
  surveyFile_->setReadOnly(true);
  auto* open = new QPushButton(QStringLiteral("Open..."), survey);
  open->setObjectName(QStringLiteral("openSurvey"));
  connect(open, &QPushButton::clicked, this, &CBaselineWindow::OnOpenSurvey);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(surveyFile_, 1);
  fileRow->addWidget(open);
  baselineName_ = new QLineEdit(survey);
  baselineName_->setObjectName(QStringLiteral("baselineName"));
  auto* surveyForm = new QFormLayout(survey);
  surveyForm->addRow(QStringLiteral("Survey file:"), fileRow);
  surveyForm->addRow(QStringLiteral("Baseline name:"), baselineName_);

  auto* reference = new QGroupBox(QStringLiteral("Reference instrument's scale"), column);
  reference->setToolTip(
      QStringLiteral("The reference instrument's certified scale correction S, applied to every "
                     "observed distance, with its expanded uncertainty U at coverage factor K. "
                     "Leave S and U empty when no correction is certified."));
  scalePpm_ = NewFigureField("scalePpm", reference);
  scaleUncertainty_ = NewFigureField("scaleUncertainty", reference);
  scaleK_ = NewFigureField("scaleK", reference);
  scaleK_->setText(QStringLiteral("2"));
  auto* scaleRow = new QHBoxLayout(reference);
  for (const auto& [label, field] :
       {std::pair{"S (ppm):", scalePpm_}, std::pair{"U (ppm):", scaleUncertainty_},
        std::pair{"K:", scaleK_}}) {
    auto* caption = new QLabel(QString::fromLatin1(label), reference);
    caption->setBuddy(field);
    field->setAccessibleName(caption->text());
    scaleRow->addWidget(caption);
    scaleRow->addWidget(field);
  }
  scaleRow->addStretch(1);

  auto* previous = new QGroupBox(QStringLiteral("Previous certificate"), column);
  previous_ = new QComboBox(previous);
  previous_->setObjectName(QStringLiteral("previousCertificate"));
  previous_->setAccessibleName(QStringLiteral("Previous certificate"));
  previous_->setToolTip(QStringLiteral(
      "The baseline of the library whose distances the new ones are compared with, or none."));
  previous_->addItem(QStringLiteral("None"));
  for (const std::string& name : ListBaselines(libraryFile_)) {
    previous_->addItem(FieldFromBytes(name));
  }
  connect(previous_, &QComboBox::currentIndexChanged, this, &CBaselineWindow::OnPreviousChosen);
  auto* previousLayout = new QVBoxLayout(previous);
  previousLayout->addWidget(previous_);

  auto* process = new QPushButton(QStringLiteral("Process"), column);
  process->setObjectName(QStringLiteral("process"));
  connect(process, &QPushButton::clicked, this, &CBaselineWindow::OnProcess);

  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(survey);
  layout->addWidget(reference);
  layout->addWidget(BuildOrderGroup(column), 1);
  layout->addWidget(previous);
  layout->addWidget(process);
  return column;
}

QWidget* CBaselineWindow::BuildOrderGroup(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("Pillar order along the line"), parent);
  orderState_ = new QLabel(group);
  orderState_->setObjectName(QStringLiteral("orderState"));
  orderState_->setWordWrap(true);
  pillarOrder_ = new QListWidget(group);
  pillarOrder_->setObjectName(QStringLiteral("pillarOrder"));
  pillarOrder_->setAccessibleName(QStringLiteral("Pillar order"));
  pillarOrder_->setDragDropMode(QAbstractItemView::InternalMove);
  pillarOrder_->setDefaultDropAction(Qt::MoveAction);
  pillarOrder_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed);
  pillarOrder_->setToolTip(
      QStringLiteral("Drag a pillar to its place along the line; double-click to rename."));
  // Whatever the user does to the list makes it an order given.
  const auto edited = [this] {
    if (!fillingOrder_) {
      MarkOrder(true);
    }
  };
  QAbstractItemModel* model = pillarOrder_->model();
  connect(model, &QAbstractItemModel::rowsMoved, this, edited);
  connect(model, &QAbstractItemModel::rowsInserted, this, edited);
  connect(model, &QAbstractItemModel::rowsRemoved, this, edited);
  connect(model, &QAbstractItemModel::dataChanged, this, edited);

  const auto button = [group](const char* caption, const char* name) {
    auto* made = new QPushButton(QString::fromLatin1(caption), group);
    made->setObjectName(QString::fromLatin1(name));
    return made;
  };
  QPushButton* add = button("Add", "addPillar");
  QPushButton* remove = button("Remove", "removePillar");
  QPushButton* up = button("Up", "moveUp");
  QPushButton* down = button("Down", "moveDown");
  QPushButton* infer = button("Inferred", "inferOrder");
  infer->setToolTip(
      QStringLiteral("Let Process infer the order from the observations again: the pillars of "
                     "the longest distance are the ends."));
  connect(add, &QPushButton::clicked, this, [this] {
    auto* item = new QListWidgetItem(QStringLiteral("Pillar"));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    pillarOrder_->addItem(item);
    pillarOrder_->setCurrentItem(item);
    pillarOrder_->editItem(item);
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = pillarOrder_->currentItem()) {
      // The list owns its items; taking one out hands it over.
      std::unique_ptr<QListWidgetItem> taken(pillarOrder_->takeItem(pillarOrder_->row(item)));
    }
  });
  connect(up, &QPushButton::clicked, this, [this] { MoveSelectedPillar(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveSelectedPillar(1); });
  connect(infer, &QPushButton::clicked, this, &CBaselineWindow::InferOrder);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* made : {add, remove, up, down, infer}) {
    buttons->addWidget(made);
  }
  buttons->addStretch(1);
  auto* row = new QHBoxLayout;
  row->addWidget(pillarOrder_, 1);
  row->addLayout(buttons);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(orderState_);
  layout->addLayout(row, 1);
  MarkOrder(false);
  return group;
}

QWidget* CBaselineWindow::BuildResults() {
  auto* column = new QWidget(this);
  message_ = new QLabel(column);
  message_->setObjectName(QStringLiteral("message"));
  message_->setAlignment(Qt::AlignCenter);
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  results_ = new QTabWidget(column);
  results_->setObjectName(QStringLiteral("results"));
  results_->addTab(BuildDistancesPage(), QStringLiteral("Certified Distances"));
  results_->addTab(BuildObservationsPage(), QStringLiteral("Observations"));
  results_->addTab(BuildComparisonPage(), QStringLiteral("Comparison"));
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(message_, 1);
  layout->addWidget(results_, 1);
  return column;
}

QWidget* CBaselineWindow::BuildDistancesPage() {
  auto* page = new QWidget(this);
  summary_ = new QPlainTextEdit(page);
  summary_->setObjectName(QStringLiteral("summary"));
  summary_->setReadOnly(true);
  summary_->setFrameShape(QFrame::NoFrame);
  summary_->viewport()->setAutoFillBackground(false);
  summary_->setFixedHeight(7 * summary_->fontMetrics().lineSpacing() +
                           2 * static_cast<int>(summary_->document()->documentMargin()));
  pillarTable_ = NewTable(
      "pillarTable",
      {QStringLiteral("Pillar"), QStringLiteral("Position (m)"), QStringLiteral("u (mm)")}, page);
  pillarTable_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pillarTable_->setToolTip(QStringLiteral(
      "Each pillar's adjusted position from the first, with its standard uncertainty."));
  pairTable_ = NewTable("pairTable",
                        {QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("D (m)"),
                         QStringLiteral("U (mm)"), QStringLiteral("k")},
                        page);
  pairTable_->setToolTip(QStringLiteral(
      "The certified distance D of every pair of pillars, with its expanded uncertainty U = k u "
      "for about 95 percent."));
  auto* tables = new QHBoxLayout;
  tables->addWidget(pillarTable_);
  tables->addWidget(pairTable_, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(summary_);
  layout->addLayout(tables, 1);
  return page;
}

QWidget* CBaselineWindow::BuildObservationsPage() {
  auto* page = new QWidget(this);
  observationTable_ = NewTable("observationTable",
                               {QStringLiteral("Line"), QStringLiteral("From"),
                                QStringLiteral("To"), QStringLiteral("Distance (m)"),
                                QStringLiteral("Residual (mm)"), QStringLiteral("w"), QString()},
                               page);
  observationTable_->setToolTip(
      QStringLiteral("Every observation with its residual and standardized residual w; the "
                     "outlier test's outliers are marked. Select one to leave it out."));
  leaveOut_ = new QPushButton(QStringLiteral("Leave Out..."), page);
  leaveOut_->setObjectName(QStringLiteral("leaveOut"));
  leaveOut_->setEnabled(false);
  connect(leaveOut_, &QPushButton::clicked, this, &CBaselineWindow::OnLeaveOut);
  connect(observationTable_, &QTableWidget::itemSelectionChanged, this,
          [this] { leaveOut_->setEnabled(!observationTable_->selectedItems().isEmpty()); });
  exclusionTitle_ = new QLabel(QStringLiteral("Left out of the fit:"), page);
  exclusionList_ = NewLeftOutList(page);
  exclusionList_->setWordWrap(false);
  residualView_ = new QChartView(page);
  residualView_->setObjectName(QStringLiteral("residualView"));
  residualView_->setRenderHint(QPainter::Antialiasing);
  residualView_->setMinimumHeight(200);

  auto* listColumn = new QWidget(page);
  auto* listLayout = new QVBoxLayout(listColumn);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addWidget(observationTable_, 1);
  auto* leaveOutRow = new QHBoxLayout;
  leaveOutRow->addWidget(leaveOut_);
  leaveOutRow->addStretch(1);
  listLayout->addLayout(leaveOutRow);
  listLayout->addWidget(exclusionTitle_);
  listLayout->addWidget(exclusionList_);
  auto* splitter = new QSplitter(page);
  splitter->addWidget(listColumn);
  splitter->addWidget(residualView_);
  splitter->setChildrenCollapsible(false);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  // The table and the chart share the page evenly to begin with.
  splitter->setSizes({1, 1});
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(splitter);
  return page;
}

QWidget* CBaselineWindow::BuildComparisonPage() {
  auto* page = new QWidget(this);
  comparisonSummary_ = new QLabel(page);
  comparisonSummary_->setObjectName(QStringLiteral("comparisonSummary"));
  comparisonSummary_->setTextFormat(Qt::PlainText);
  comparisonSummary_->setWordWrap(true);
  comparisonTable_ =
      NewTable("comparisonTable",
               {QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Previous (m)"),
                QStringLiteral("New \u2212 previous (mm)"), QStringLiteral("En"), QString()},
               page);
  comparisonTable_->setToolTip(
      QStringLiteral("En = (D new \u2212 D previous) / \u221a(U new\u00b2 + U previous\u00b2); a "
                     "pair with |En| > 1 moved beyond its uncertainty."));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(comparisonSummary_);
  layout->addWidget(comparisonTable_, 1);
  return page;
}

void CBaselineWindow::SetCertificateWriter(BaselineCertificateWriter writer) {
  certificateWriter_ = std::move(writer);
  saveCertificate_->setVisible(static_cast<bool>(certificateWriter_));
}

void CBaselineWindow::OnOpenSurvey() {
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = false,
                                   .filter = kSurveyFilter,
                                   .defaultExtension = QStringLiteral("txt"),
                                   .initialName = QStringLiteral("*.txt")});
  if (chosen) {
    OpenSurvey(*chosen);
  }
}

void CBaselineWindow::OpenSurvey(const QString& fileName) {
  std::string reason;
  std::optional<std::string> text = ReadTextFile(PathFromText(fileName), reason);
  if (!text) {
    services_.ShowMessage(*this, QStringLiteral("Could not read the file ") + fileName +
                                     QStringLiteral(": ") + QString::fromStdString(reason));
    return;
  }
  // Another survey: nothing of the last one's fit is left out of it, its order is inferred
  // afresh, and the last one's results go.
  if (*text != surveyText_) {
    exclusions_.clear();
    InferOrder();
    ShowFailure(QStringLiteral("Press Process to adjust the survey."));
  }
  surveyText_ = std::move(*text);
  surveyFile_->setText(fileName);
  surveyFile_->setToolTip(fileName);
  // The end of a long path in view: the file's name.
  surveyFile_->setCursorPosition(static_cast<int>(fileName.size()));
}

std::optional<BaselineSurveyRequest> CBaselineWindow::RequestFromFields() {
  if (surveyFile_->text().isEmpty()) {
    services_.ShowMessage(*this, QStringLiteral("Open the survey file first, then press Process."));
    return std::nullopt;
  }
  BaselineSurveyRequest request;
  request.measuredText = surveyText_;
  request.measuredFileName = BytesFromField(surveyFile_->text());
  request.exclusions = exclusions_;

  const QString scaleText = scalePpm_->text().trimmed();
  const QString uncertaintyText = scaleUncertainty_->text().trimmed();
  if (!scaleText.isEmpty() || !uncertaintyText.isEmpty()) {
    QString problem;
    const QString scaleName = QStringLiteral("Reference scale S");
    const QString uncertaintyName = QStringLiteral("Reference scale U");
    if (scaleText.isEmpty()) {
      problem =
          EmptyFieldProblem(scaleName, QStringLiteral("the certified scale correction in ppm"));
    } else if (uncertaintyText.isEmpty()) {
      problem = EmptyFieldProblem(uncertaintyName,
                                  QStringLiteral("the expanded uncertainty of S in ppm"));
    }
    const QString kText =
        scaleK_->text().trimmed().isEmpty() ? QStringLiteral("2") : scaleK_->text();
    std::optional<double> s;
    std::optional<double> u;
    std::optional<double> k;
    if (problem.isEmpty() &&
        (s = ReadTypedFigure<double>(scaleName, scaleText, ReadScale, "0.8", problem)) &&
        (u = ReadTypedFigure<double>(uncertaintyName, uncertaintyText, ReadUncertainty, "0.5",
                                     problem)) &&
        (k = ReadTypedFigure<double>(QStringLiteral("Reference scale K"), kText, ReadCoverage, "2",
                                     problem))) {
      request.options.referenceScale = ReferenceScale{*s, *u, *k};
    }
    if (!problem.isEmpty()) {
      services_.ShowMessage(*this, problem);
      return std::nullopt;
    }
  }
  if (orderGiven_) {
    for (int row = 0; row < pillarOrder_->count(); ++row) {
      request.options.pillarOrder.push_back(
          BytesFromField(pillarOrder_->item(row)->text().trimmed()));
    }
  }
  if (!ReadPrevious(request)) {
    return std::nullopt;
  }
  return request;
}

void CBaselineWindow::OnProcess() {
  const std::optional<BaselineSurveyRequest> request = RequestFromFields();
  if (!request) {
    return;
  }
  if (const QString failure = Run(*request); !failure.isEmpty()) {
    ShowFailure(failure);
  }
}

QString CBaselineWindow::Run(const BaselineSurveyRequest& request) {
  BaselineSurveyError error;
  std::optional<BaselineCalibration> calibration = CalibrateBaseline(request, error);
  if (!calibration) {
    return Text(error.message);
  }
  request_ = request;
  exclusions_ = request.exclusions;
  calibration_ = std::move(calibration);
  // A certificate issued belongs to the calibration it was issued for.
  certificateNumber_.clear();
  ShowCalibration();
  return {};
}

void CBaselineWindow::ShowFailure(const QString& text) {
  calibration_.reset();
  request_.reset();
  // No stale results behind the message: the tables are emptied, not only hidden.
  for (QTableWidget* table : {pillarTable_, pairTable_, observationTable_, comparisonTable_}) {
    table->setRowCount(0);
  }
  ReplaceChart(*residualView_, std::make_unique<QChart>());
  ShowExclusions({});
  message_->setText(text);
  message_->show();
  results_->hide();
  saveLibraryEntry_->setEnabled(false);
  saveCertificate_->setEnabled(false);
}

void CBaselineWindow::ShowCalibration() {
  const BaselineAdjustment& adjustment = calibration_->adjustment;
  message_->hide();
  results_->show();
  ShowSummary(adjustment);
  std::vector<std::vector<QString>> pillars;
  for (const PillarPosition& pillar : adjustment.pillars) {
    pillars.push_back({Text(pillar.name), Figure(Metres(pillar.position)),
                       Figure(Millimetres(pillar.standardUncertainty))});
  }
  FillTable(*pillarTable_, pillars, 1);
  // As wide as its columns: the pairs take the rest.
  pillarTable_->setFixedWidth(2 * pillarTable_->frameWidth() +
                              pillarTable_->horizontalHeader()->length() +
                              pillarTable_->verticalScrollBar()->sizeHint().width());
  std::vector<std::vector<QString>> pairs;
  for (const CertifiedDistance& pair : adjustment.distances) {
    pairs.push_back({Text(pair.from), Text(pair.to), Figure(Metres(pair.distance)),
                     Figure(Millimetres(pair.expanded)), Figure(FixedText(pair.k, 2))});
  }
  FillTable(*pairTable_, pairs, 2);
  ShowObservations(adjustment);
  ShowExclusions(calibration_->excluded);
  ShowComparison();
  ShowOrder(adjustment.pillars);
  saveLibraryEntry_->setEnabled(true);
  saveCertificate_->setEnabled(true);
}

void CBaselineWindow::ShowSummary(const BaselineAdjustment& adjustment) {
  QStringList lines;
  lines << QStringLiteral("Constant of the reference instrument: %1 mm, standard uncertainty %2 mm")
               .arg(Figure(Millimetres(adjustment.constant)),
                    Figure(Millimetres(adjustment.constantUncertainty)));
  if (request_ && request_->options.referenceScale) {
    const ReferenceScale& scale = adjustment.referenceScale;
    lines << QStringLiteral("Reference scale correction: %1 ppm, U = %2 ppm (k = %3)")
                 .arg(FigureText(scale.ppm), FigureText(scale.expandedPpm), FigureText(scale.k));
  } else {
    lines << QStringLiteral("No scale correction of the reference instrument");
  }
  lines << QStringLiteral("Observations %1, unknowns %2, degrees of freedom \u03bd = %3, s0 = %4")
               .arg(adjustment.observationCount)
               .arg(adjustment.unknowns)
               .arg(adjustment.dof)
               .arg(Figure(FixedText(adjustment.s0, 3)));
  const QString accuracy =
      QString::fromStdString(MmPlusPpmText(adjustment.aprioriMm, adjustment.aprioriPpm));
  if (const std::optional<SurveyVarianceTest>& test = adjustment.varianceTest) {
    const QString figures = QStringLiteral("\u03c7\u00b2 = %1 %2 %3, its upper 95 percent point")
                                .arg(Figure(FixedText(test->chiSquare, 2)),
                                     test->passed ? QStringLiteral("\u2264") : QStringLiteral(">"),
                                     Figure(FixedText(test->critical, 2)));
    lines << (test->passed
                  ? QStringLiteral("Variance test passed (%1): the survey scattered within the "
                                   "reference instrument's stated accuracy of %2.")
                  : QStringLiteral("Variance test failed (%1): the survey scattered more than the "
                                   "reference instrument's stated accuracy of %2."))
                 .arg(figures, accuracy);
  } else {
    lines << QStringLiteral(
        "No variance test: the survey states no accuracy of the reference "
        "instrument (the ^ and % header lines are zero).");
  }
  const SurveyOutlierTest& outliers = adjustment.outlierTest;
  if (!outliers.applicable) {
    lines << QStringLiteral("Outlier test not applicable: %1.").arg(Text(outliers.reason));
  } else {
    QStringList named;
    for (const SurveyObservation& observation : adjustment.observations) {
      if (observation.outlier) {
        named << Text(
            fmt::format("line {} ({}-{})", observation.line, observation.from, observation.to));
      }
    }
    const QString test = QStringLiteral("Outlier test (Pope's \u03c4 = %1 at \u03b1 = %2 each): ")
                             .arg(Figure(FixedText(outliers.critical, 3)),
                                  Figure(fmt::format("{:.3g}", outliers.alphaEach)));
    lines << test + (named.isEmpty() ? QStringLiteral("no outlier.")
                                     : QStringLiteral("%1 outlier%2: %3.")
                                           .arg(named.size())
                                           .arg(named.size() == 1 ? QString() : QStringLiteral("s"),
                                                named.join(QStringLiteral(", "))));
  }
  summary_->setPlainText(lines.join(QLatin1Char('\n')));
}

void CBaselineWindow::ShowObservations(const BaselineAdjustment& adjustment) {
  std::vector<std::vector<QString>> rows;
  for (const SurveyObservation& observation : adjustment.observations) {
    rows.push_back({QString::number(observation.line), Text(observation.from), Text(observation.to),
                    Figure(Metres(observation.distance)), Figure(Millimetres(observation.residual)),
                    observation.standardizedResidual
                        ? Figure(FixedText(*observation.standardizedResidual, 2))
                        : QString(),
                    observation.outlier ? QStringLiteral("outlier") : QString()});
  }
  std::vector<bool> outliers;
  for (const SurveyObservation& observation : adjustment.observations) {
    outliers.push_back(observation.outlier);
  }
  FillTable(*observationTable_, rows, 3, outliers);
  // The line numbers are figures, right-aligned like the rest.
  for (int row = 0; row < observationTable_->rowCount(); ++row) {
    observationTable_->item(row, 0)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  leaveOut_->setEnabled(false);
  ReplaceChart(*residualView_, MakeBaselineResidualChart(adjustment));
}

void CBaselineWindow::ShowExclusions(const std::vector<AppliedExclusion>& excluded) {
  FillLeftOutList(*exclusionList_, excluded, [this](std::size_t i) { BringBack(i); });
  if (!excluded.empty()) {
    // As tall as its rows, up to four, and scrolled beyond.
    exclusionList_->setFixedHeight(2 * exclusionList_->frameWidth() +
                                   std::min(exclusionList_->rowCount(), 4) *
                                       exclusionList_->rowHeight(0));
  }
  exclusionTitle_->setVisible(!excluded.empty());
  exclusionList_->setVisible(!excluded.empty());
}

void CBaselineWindow::ShowComparison() {
  const bool compared = calibration_->comparison.has_value();
  std::vector<std::vector<QString>> rows;
  std::vector<bool> marked;
  QStringList moved;
  if (compared) {
    for (const DistanceComparison& pair : *calibration_->comparison) {
      rows.push_back({Text(pair.from), Text(pair.to), Figure(Metres(pair.previous)),
                      Figure(Millimetres(pair.difference)), Figure(FixedText(pair.En, 2)),
                      pair.moved ? QStringLiteral("moved beyond its uncertainty") : QString()});
      marked.push_back(pair.moved);
      if (pair.moved) {
        moved << Text(pair.from + "-" + pair.to);
      }
    }
  }
  FillTable(*comparisonTable_, rows, 2, marked);
  comparisonTable_->setVisible(compared);
  if (!compared) {
    comparisonSummary_->setText(
        QStringLiteral("No previous certificate chosen: choose a library baseline under "
                       "Previous certificate and press Process to compare with it."));
  } else if (rows.empty()) {
    comparisonSummary_->setText(
        QStringLiteral("The previous certificate %1 has no pair of the new one.")
            .arg(Text(calibration_->previousSource)));
  } else {
    comparisonSummary_->setText(
        QStringLiteral("Compared with %1: %2")
            .arg(Text(calibration_->previousSource),
                 moved.isEmpty()
                     ? QStringLiteral("no pair moved beyond its uncertainty.")
                     : QStringLiteral("%1 of %2 pairs moved beyond their uncertainty: %3.")
                           .arg(moved.size())
                           .arg(rows.size())
                           .arg(moved.join(QStringLiteral(", ")))));
  }
}

void CBaselineWindow::ShowOrder(const std::vector<PillarPosition>& pillars) {
  if (orderGiven_) {
    return;
  }
  fillingOrder_ = true;
  pillarOrder_->clear();
  for (const PillarPosition& pillar : pillars) {
    auto* item = new QListWidgetItem(FieldFromBytes(pillar.name), pillarOrder_);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  fillingOrder_ = false;
  MarkOrder(false);
}

void CBaselineWindow::InferOrder() {
  fillingOrder_ = true;
  pillarOrder_->clear();
  fillingOrder_ = false;
  MarkOrder(false);
}

void CBaselineWindow::MarkOrder(bool given) {
  orderGiven_ = given;
  orderState_->setText(
      given ? QStringLiteral("As given here, first pillar the origin.")
            : QStringLiteral("Inferred from the observations at Process: the pillars of the "
                             "longest distance are the ends. Drag a pillar to give the order."));
}

void CBaselineWindow::MoveSelectedPillar(int step) {
  const int row = pillarOrder_->currentRow();
  const int to = row + step;
  if (row < 0 || to < 0 || to >= pillarOrder_->count()) {
    return;
  }
  // Taken out and put back one place on; the list owns it again.
  QListWidgetItem* item = pillarOrder_->takeItem(row);
  pillarOrder_->insertItem(to, item);
  pillarOrder_->setCurrentRow(to);
}

void CBaselineWindow::OnPreviousChosen() {
  if (previous_->currentIndex() > 0 && baselineName_->text().trimmed().isEmpty()) {
    baselineName_->setText(previous_->currentText());
  }
}

void CBaselineWindow::OnLeaveOut() {
  const int row = observationTable_->currentRow();
  if (!calibration_ || row < 0 ||
      row >= static_cast<int>(calibration_->adjustment.observations.size())) {
    return;
  }
  const SurveyObservation& observation =
      calibration_->adjustment.observations[static_cast<std::size_t>(row)];
  std::optional<std::string> reason =
      AskLeaveOutReason(services_, *this, ObservationName(observation));
  if (!reason) {
    return;
  }
  Exclusion exclusion{observation.from, observation.to, observation.line, std::move(*reason)};
  BaselineSurveyRequest request = *request_;
  request.exclusions.push_back(std::move(exclusion));
  if (const QString failure = Run(request); !failure.isEmpty()) {
    services_.ShowMessage(*this, QStringLiteral("The observation stays in the fit: ") + failure);
  }
}

void CBaselineWindow::BringBack(std::size_t index) {
  if (!request_ || index >= request_->exclusions.size()) {
    return;
  }
  BaselineSurveyRequest request = *request_;
  request.exclusions.erase(request.exclusions.begin() + static_cast<std::ptrdiff_t>(index));
  if (const QString failure = Run(request); !failure.isEmpty()) {
    services_.ShowMessage(*this, QStringLiteral("It stays left out: ") + failure);
  }
}

bool CBaselineWindow::ReadPrevious(BaselineSurveyRequest& request) {
  if (previous_->currentIndex() <= 0) {
    return true;
  }
  const std::string name = BytesFromField(previous_->currentText());
  const QString failing = QStringLiteral("The previous certificate %1 can't be compared with: ")
                              .arg(previous_->currentText());
  CollectedBaseline collected;
  if (LoadBaseline(libraryFile_, name, collected) != 0 || collected.nameLines == 0) {
    services_.ShowMessage(
        *this,
        failing + QStringLiteral("the library %1 can't be read.").arg(TextFromPath(libraryFile_)));
    return false;
  }
  PreviousCertificateProblem problem;
  std::optional<std::vector<PreviousDistance>> previous =
      PreviousFromLibrary(collected, std::nullopt, problem);
  if (!previous) {
    QString text = failing + Text(problem.reason);
    if (problem.line > 0) {
      text += QStringLiteral(" (library line %1)").arg(problem.line);
    }
    if (problem.uncertaintyMissing) {
      text += QStringLiteral(
          ". The library baseline needs its pairs' 3:pair-uncertainty= lines or a "
          "3:uncertainty= line");
    }
    services_.ShowMessage(*this, text + QLatin1Char('.'));
    return false;
  }
  request.previous = std::move(*previous);
  request.previousSource = name;
  return true;
}

void CBaselineWindow::OnSaveLibraryEntry() {
  if (!calibration_) {
    return;
  }
  const std::string name = BytesFromField(baselineName_->text().trimmed());
  if (name.empty()) {
    services_.ShowMessage(*this, EmptyFieldProblem(QStringLiteral("Baseline name"),
                                                   QStringLiteral("the name the library lists "
                                                                  "the baseline under")));
    return;
  }
  if (const std::string problem = LibraryNameProblem(name); !problem.empty()) {
    services_.ShowMessage(*this, FieldFromBytes(problem) + QLatin1Char('.'));
    return;
  }
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.forSaving = true,
                                   .filter = kLibraryFilter,
                                   .defaultExtension = QStringLiteral("dat"),
                                   .initialName = QStringLiteral("Baselines.dat")});
  if (!chosen ||
      RefuseOpenFile(services_, *this, *chosen, {OpenFile("survey file", surveyFile_->text())})) {
    return;
  }
  const std::string entry =
      BaselineLibraryEntry({.name = name, .certificate = certificateNumber_, .heights = {}},
                           calibration_->adjustment.distances);
  if (const QString failure = SaveLibraryEntry(*chosen, name, entry); !failure.isEmpty()) {
    services_.ShowMessage(*this, failure);
    return;
  }
  services_.ShowMessage(*this, QStringLiteral("The baseline %1 is saved in the library %2.")
                                   .arg(baselineName_->text().trimmed(), *chosen));
}

void CBaselineWindow::OnSaveCertificate() {
  if (!calibration_ || !request_ || !certificateWriter_) {
    return;
  }
  const std::string name = BytesFromField(baselineName_->text().trimmed());
  if (name.empty()) {
    services_.ShowMessage(*this, EmptyFieldProblem(QStringLiteral("Baseline name"),
                                                   QStringLiteral("the name the certificate "
                                                                  "gives the baseline")));
    return;
  }
  if (std::optional<std::string> number =
          certificateWriter_(*this, {*calibration_, *request_, name})) {
    certificateNumber_ = std::move(*number);
  }
}

}  // namespace mensuro
