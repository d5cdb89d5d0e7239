#pragma once

#include <QWidget>
#include <array>
#include <cstddef>
#include <exception>
#include <optional>
#include <vector>

#include "core/equipment/equipment.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace mensuro {

class DialogServices;
class RegisterSession;

// The figures of a certificate the form asks for; which of them depends on the kind.
enum class EquipmentFigure : std::size_t {
  kCorrection,   // a sensor's correction, a reflector's prism constant
  kUncertainty,  // their standard uncertainty
  kScale,        // a reference instrument's scale correction, ppm
  kScaleUncertainty,
  kConstant,  // a reference instrument's constant, mm
  kConstantUncertainty,
  kBaselineCertificate,  // a baseline's certificate line
  kBaselineUncertainty,  // "A,B[,K[,DOF]]"
};
inline constexpr std::size_t kEquipmentFigureCount = 8;

// The "Equipment" page of the register window: the open register's equipment in a table (kind,
// make, model, serial, the certificate in force today, valid until, retired), a form that adds
// a certificate (registering its item on the first), Supersede (the form's certificate in place of
// the selected item's certificate in force, with a reason) and Retire (the selected item, with a
// reason), and the instruments' calibrations falling due. The register refuses what is wrong;
// its refusal is told and the form stays as typed. The parts are named, for finding them:
// equipmentList, equipmentKind, equipmentMake, equipmentModel, equipmentSerial,
// certificateNumber, certificateIssuedBy, certificateDate, certificateValidUntil, the figures
// (correction, uncertainty, scale, scaleUncertainty, constant, constantUncertainty,
// baselineCertificate, baselineUncertainty), addEquipment, supersede, retire, dueList.
class CEquipmentPage : public QWidget {
  Q_OBJECT

 public:
  CEquipmentPage(DialogServices& services, RegisterSession& session, QWidget* parent = nullptr);

  // Reads the register's equipment and due list again.
  void Refresh();
  // Enters the form's certificate for the form's item.
  void OnAdd();
  // Enters the form's certificate for the selected item, superseding its certificate in force.
  void OnSupersede();
  // Takes the selected item out of use.
  void OnRetire();

  QLineEdit& Figure(EquipmentFigure figure) const;

 private:
  QWidget* BuildForm();
  void OnKindChosen();
  void OnSelectionChanged();
  // The selected item; nothing when none is.
  const EquipmentItem* Selected() const;
  // The form's certificate; nothing, with the user told, when a figure doesn't read.
  std::optional<EquipmentCertificate> ReadCertificate(EquipmentKind kind);
  std::optional<double> ReadFigure(EquipmentFigure figure);
  // Enters `certificate` for `item`; true when the register took it.
  bool Enter(const EquipmentItem& item, const EquipmentCertificate& certificate);
  void ClearCertificate();
  void ShowRegisterError(const QString& what, const std::exception& error);

  DialogServices& services_;
  RegisterSession& session_;
  std::vector<EquipmentItem> items_;  // as the table shows them

  QTableWidget* list_ = nullptr;
  QTableWidget* due_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* make_ = nullptr;
  QLineEdit* model_ = nullptr;
  QLineEdit* serial_ = nullptr;
  QLineEdit* number_ = nullptr;
  QLineEdit* issuedBy_ = nullptr;
  QLineEdit* date_ = nullptr;
  QLineEdit* validUntil_ = nullptr;
  QFormLayout* form_ = nullptr;
  std::array<QLineEdit*, kEquipmentFigureCount> figures_{};
  std::array<QLabel*, kEquipmentFigureCount> figureLabels_{};
  QPushButton* supersede_ = nullptr;
  QPushButton* retire_ = nullptr;
};

}  // namespace mensuro
