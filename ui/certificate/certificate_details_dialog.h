#pragma once

#include <QDialog>
#include <string>
#include <utility>
#include <vector>

#include "core/certificate/certificate_details.h"

class QComboBox;
class QFormLayout;
class QLineEdit;
class QVBoxLayout;

namespace mensuro {

class DialogServices;

// The modal "Certificate Details" dialog, asked for before a certificate is written: the
// laboratory, the client, the instrument and its reflector, who measured and checked, and the
// baseline's own certificate. The serial number's list holds the remembered ones: choosing one
// brings back its instrument, reflector and client. OK accepts only a prism constant that reads;
// one that doesn't is named in a message and the dialog stays open.
class CCertificateDetailsDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens showing `shown`; `services` chooses the logo and tells of a constant that doesn't read.
  CCertificateDetailsDlg(DialogServices& services, const CertificateDetails& shown, QWidget* owner);

  // What OK accepted; until then what the dialog opened with.
  const CertificateDetails& Details() const { return details_; }

  void accept() override;

 private:
  // The text of the details that `text` picks out.
  using DetailText = std::string& (*)(CertificateDetails&);

  // The dialog's groups of fields, each added to `layout` in its turn.
  void AddLaboratoryFields(QVBoxLayout& layout);
  void AddClientFields(QVBoxLayout& layout);
  void AddInstrumentFields(QVBoxLayout& layout);
  void AddReflectorFields(QVBoxLayout& layout);
  void AddCalibrationFields(QVBoxLayout& layout);
  // A field named `name` for a detail's text: of one line, or of several.
  QWidget* TextField(const char* name, DetailText text, bool lines = false);
  // Such a field in a row of `form` under `label`.
  void AddText(QFormLayout& form, const char* name, const char* label, DetailText text,
               bool lines = false);
  void Show(const CertificateDetails& shown);
  // The instrument, reflector and client remembered for the serial number `serialNumber`.
  void OnSerialChosen(const QString& serialNumber);
  void OnBrowseLogo();

  DialogServices& services_;
  CertificateDetails details_;
  // Each field of a text with the text it shows.
  std::vector<std::pair<QWidget*, DetailText>> texts_;
  QComboBox* serialNumber_ = nullptr;
  QLineEdit* prismConstant_ = nullptr;
};

}  // namespace mensuro
