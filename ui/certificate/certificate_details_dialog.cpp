#include "ui/certificate/certificate_details_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <optional>

#include "ui/certificate/remembered_certificate_details.h"
#include "ui/common/dialog_services.h"
#include "ui/common/scrolling_content.h"
#include "ui/common/typed_figure.h"

namespace mensuro {
namespace {

const QString kLogoFilter = QStringLiteral(
    "Pictures (*.png;*.svg;*.jpg;*.jpeg)|*.png;*.svg;*.jpg;*.jpeg|All Files (*.*)|*.*||");

QFormLayout* Group(QVBoxLayout& layout, const char* title, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromLatin1(title), parent);
  auto* form = new QFormLayout(box);
  layout.addWidget(box);
  return form;
}

QString FieldText(const QWidget& field) {
  if (const auto* lines = qobject_cast<const QPlainTextEdit*>(&field)) {
    return lines->toPlainText();
  }
  return qobject_cast<const QLineEdit*>(&field)->text();
}

void SetFieldText(QWidget& field, const QString& text) {
  if (auto* lines = qobject_cast<QPlainTextEdit*>(&field)) {
    lines->setPlainText(text);
  } else {
    qobject_cast<QLineEdit*>(&field)->setText(text);
  }
}

}  // namespace

CCertificateDetailsDlg::CCertificateDetailsDlg(DialogServices& services,
                                               const CertificateDetails& shown, QWidget* owner)
    : QDialog(owner), services_(services), details_(shown) {
  setWindowTitle(QStringLiteral("Certificate Details"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  // Everything but the buttons scrolls, so that the dialog fits a small desktop.
  auto* scrolled = new QWidget(this);
  auto* layout = new QVBoxLayout(scrolled);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* note = new QLabel(QStringLiteral("What the certificate states beside the calibration. A "
                                         "field left empty is left out of the certificate."),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);

  AddLaboratoryFields(*layout);
  AddClientFields(*layout);
  AddInstrumentFields(*layout);
  AddReflectorFields(*layout);
  AddCalibrationFields(*layout);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCertificateDetailsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCertificateDetailsDlg::reject);
  auto* outer = new QVBoxLayout(this);
  QScrollArea* scroll = ScrollingContent(*this, scrolled);
  outer->addWidget(scroll, 1);
  outer->addWidget(buttons);
  Show(shown);
  FitFirstSize(*this, *scroll);
  // Chosen from the list, a remembered serial number brings back what was given with it; typed,
  // it changes nothing else.
  connect(serialNumber_, &QComboBox::textActivated, this, &CCertificateDetailsDlg::OnSerialChosen);
}

void CCertificateDetailsDlg::AddLaboratoryFields(QVBoxLayout& layout) {
  QFormLayout* laboratory = Group(layout, "Laboratory", this);
  AddText(*laboratory, "laboratoryName",
          "Name:", [](CertificateDetails& d) -> std::string& { return d.laboratory.name; });
  AddText(
      *laboratory, "laboratoryAddress",
      "Address:", [](CertificateDetails& d) -> std::string& { return d.laboratory.address; }, true);
  AddText(*laboratory, "accreditation", "Accreditation:",
          [](CertificateDetails& d) -> std::string& { return d.laboratory.accreditation; });
  auto* logoRow = new QHBoxLayout;
  logoRow->addWidget(TextField(
      "logo", [](CertificateDetails& d) -> std::string& { return d.laboratory.logoFile; }));
  auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
  browse->setObjectName(QStringLiteral("browseLogo"));
  connect(browse, &QPushButton::clicked, this, &CCertificateDetailsDlg::OnBrowseLogo);
  logoRow->addWidget(browse);
  laboratory->addRow(QStringLiteral("Logo (PNG, SVG or JPEG):"), logoRow);
}

void CCertificateDetailsDlg::AddClientFields(QVBoxLayout& layout) {
  QFormLayout* client = Group(layout, "Client", this);
  AddText(*client, "clientName",
          "Name:", [](CertificateDetails& d) -> std::string& { return d.client.name; });
  AddText(
      *client, "clientAddress",
      "Address:", [](CertificateDetails& d) -> std::string& { return d.client.address; }, true);
}

void CCertificateDetailsDlg::AddInstrumentFields(QVBoxLayout& layout) {
  QFormLayout* instrument = Group(layout, "Instrument", this);
  serialNumber_ = new QComboBox(this);
  serialNumber_->setObjectName(QStringLiteral("serialNumber"));
  serialNumber_->setEditable(true);
  serialNumber_->setInsertPolicy(QComboBox::NoInsert);
  for (const QString& serial : RememberedSerialNumbers()) {
    serialNumber_->addItem(serial);
  }
  instrument->addRow(QStringLiteral("Serial number:"), serialNumber_);
  AddText(*instrument, "instrumentMake",
          "Make:", [](CertificateDetails& d) -> std::string& { return d.instrument.make; });
  AddText(*instrument, "instrumentModel",
          "Model:", [](CertificateDetails& d) -> std::string& { return d.instrument.model; });
}

void CCertificateDetailsDlg::AddReflectorFields(QVBoxLayout& layout) {
  QFormLayout* reflector = Group(layout, "Reflector", this);
  AddText(*reflector, "reflectorMake",
          "Make:", [](CertificateDetails& d) -> std::string& { return d.reflector.make; });
  AddText(*reflector, "reflectorModel",
          "Model:", [](CertificateDetails& d) -> std::string& { return d.reflector.model; });
  prismConstant_ = new QLineEdit(this);
  prismConstant_->setObjectName(QStringLiteral("prismConstant"));
  reflector->addRow(QStringLiteral("Prism constant (mm):"), prismConstant_);
}

void CCertificateDetailsDlg::AddCalibrationFields(QVBoxLayout& layout) {
  QFormLayout* calibration = Group(layout, "Calibration", this);
  AddText(*calibration, "measuredBy",
          "Measured by:", [](CertificateDetails& d) -> std::string& { return d.measuredBy; });
  AddText(*calibration, "checkedBy",
          "Checked by:", [](CertificateDetails& d) -> std::string& { return d.checkedBy; });
  AddText(*calibration, "baselineCertificate", "Baseline certificate:",
          [](CertificateDetails& d) -> std::string& { return d.baselineCertificate; });
}

void CCertificateDetailsDlg::AddText(QFormLayout& form, const char* name, const char* label,
                                     DetailText text, bool lines) {
  form.addRow(QString::fromLatin1(label), TextField(name, text, lines));
}

QWidget* CCertificateDetailsDlg::TextField(const char* name, DetailText text, bool lines) {
  QWidget* field = nullptr;
  if (lines) {
    auto* edit = new QPlainTextEdit(this);
    edit->setTabChangesFocus(true);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 3 + 2 * edit->frameWidth() + 8);
    field = edit;
  } else {
    field = new QLineEdit(this);
  }
  field->setObjectName(QString::fromLatin1(name));
  // Room for an accreditation or a certificate reference as typed.
  field->setMinimumWidth(fontMetrics().averageCharWidth() * 48);
  texts_.emplace_back(field, text);
  return field;
}

void CCertificateDetailsDlg::Show(const CertificateDetails& shown) {
  CertificateDetails details = shown;
  for (const auto& [field, text] : texts_) {
    SetFieldText(*field, QString::fromStdString(text(details)));
  }
  serialNumber_->setEditText(QString::fromStdString(shown.instrument.serialNumber));
  prismConstant_->setText(
      shown.reflector.prismConstantMm
          ? QString::fromStdString(PrismConstantText(*shown.reflector.prismConstantMm))
          : QString());
}

void CCertificateDetailsDlg::OnSerialChosen(const QString& serialNumber) {
  const std::optional<CertificateDetails> remembered = RememberedForSerial(serialNumber);
  if (!remembered) {
    return;
  }
  CertificateDetails shown = details_;
  for (const auto& [field, text] : texts_) {
    text(shown) = FieldText(*field).toStdString();
  }
  shown.instrument = remembered->instrument;
  shown.reflector = remembered->reflector;
  shown.client = remembered->client;
  Show(shown);
}

void CCertificateDetailsDlg::OnBrowseLogo() {
  const std::optional<QString> chosen =
      services_.ChooseFile(*this, {.filter = kLogoFilter,
                                   .defaultExtension = QStringLiteral("png"),
                                   .initialName = QStringLiteral("*.png")});
  if (chosen) {
    SetFieldText(*findChild<QLineEdit*>(QStringLiteral("logo")), *chosen);
  }
}

void CCertificateDetailsDlg::accept() {
  CertificateDetails details;
  for (const auto& [field, text] : texts_) {
    text(details) = FieldText(*field).trimmed().toStdString();
  }
  details.instrument.serialNumber = serialNumber_->currentText().trimmed().toStdString();
  const QString prism = prismConstant_->text().trimmed();
  if (!prism.isEmpty()) {
    QString problem;
    details.reflector.prismConstantMm = ReadTypedFigure(QStringLiteral("Prism constant"), prism,
                                                        ReadPrismConstant, "-17.5", problem);
    if (!details.reflector.prismConstantMm) {
      services_.ShowMessage(*this, problem);
      prismConstant_->setFocus();
      return;
    }
  }
  details_ = std::move(details);
  QDialog::accept();
}

}  // namespace mensuro
