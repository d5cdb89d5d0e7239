#pragma once

#include <QChartView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWidget>
#include <exception>
#include <optional>
#include <string>

#include "core/certificate/certificate_details.h"

namespace mensuro {

class CEquipmentPage;
class DialogServices;
class RegisterSession;
class RegisterVerification;

// The non-modal "Calibration Register" window: where the register is (with Open Register... to
// choose another), its certificates in a table that sorts by any column and narrows to those
// whose number, instrument, serial number or client holds the filter's text, and below it the
// selected one's record beside the history of its instrument as two charts (constant and scale),
// a third of the cyclic error's amplitude when its calibrations have one, with a line naming the
// changes beyond the uncertainty. Open Certificate shows the stored PDF,
// Reissue writes it to a file, Verify checks the chain of records, Refresh reads the register
// again. Beside the certificates, a page of the equipment behind them (CEquipmentPage, named
// equipmentPage). The parts are named, for finding them: location, openRegister, filter,
// certificates, details, constantView, scaleView, cyclicView, changes, openCertificate, reissue,
// verify, refresh.
class CRegisterWindow : public QWidget {
  Q_OBJECT

 public:
  // The columns of the certificates' table.
  enum Column { kNumber, kIssued, kInstrument, kSerial, kClient, kConstant, kScale, kStatus };

  // Shows the register that `session` has open.
  CRegisterWindow(DialogServices& services, RegisterSession& session, QWidget* parent = nullptr);
  ~CRegisterWindow() override;
  CRegisterWindow(const CRegisterWindow&) = delete;
  CRegisterWindow& operator=(const CRegisterWindow&) = delete;

  // Reads the register again, keeping the selected certificate selected.
  void Refresh();
  // Asks for an SQLite file and opens it as the register.
  void OnOpenRegister();
  // Opens the register the location field names (a file or a postgresql:// URI).
  void OpenTypedLocation();
  void OnOpenCertificate();
  void OnReissue();
  // Verifies the register on a thread of its own; Verified follows its message.
  void OnVerify();

 signals:
  // A verification's outcome was told.
  void Verified();

 public:
  // The selected certificate's number; nothing when none is selected.
  std::optional<std::string> SelectedNumber() const;
  // Selects the certificate `number` when the table shows it.
  void Select(const std::string& number);

 private:
  QLayout* BuildLocationRow();
  QWidget* BuildCharts();
  QWidget* BuildTable();
  QWidget* BuildDetails();
  QLayout* BuildButtonRow();
  // Opens `location` in place of the open register, remembered as the user's choice; a register
  // that can't be opened is told and the open one stays.
  void OpenLocation(const QString& location);
  void OnSelectionChanged();
  void ShowHistory(const InstrumentDetails& instrument);
  // The stored PDF of certificate `number`; nothing, with the user told, when it can't be read.
  std::optional<std::string> StoredPdf(const std::string& number);
  // The error of a register operation, told; the window stays as it was.
  void ShowRegisterError(const QString& what, const std::exception& error);

  DialogServices& services_;
  RegisterSession& session_;
  // The PDFs opened by the desktop, kept until the window goes.
  QTemporaryDir openedPdfs_;

  QLineEdit* location_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QStandardItemModel* model_ = nullptr;
  QSortFilterProxyModel* proxy_ = nullptr;
  QTableView* table_ = nullptr;
  QTableWidget* details_ = nullptr;
  QChartView* constantView_ = nullptr;
  QChartView* scaleView_ = nullptr;
  QChartView* cyclicView_ = nullptr;
  QLabel* changes_ = nullptr;
  QPushButton* openCertificate_ = nullptr;
  QPushButton* reissue_ = nullptr;
  CEquipmentPage* equipment_ = nullptr;
  RegisterVerification* verification_ = nullptr;  // the walk under way; none: none
};

}  // namespace mensuro
