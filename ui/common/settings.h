#pragma once

// The user's settings of the program, kept between runs: ~/.config/Mensuro/Mensuro.conf on
// Linux, the registry on Windows. Every key, its type and what it reads as when absent is here;
// the units that remember things for the window (conditions, instruments, field columns,
// certificate details, the register's location) read and write through these functions.
//
// Texts typed into a settings file by hand without quotes read as a list of their
// comma-separated parts, so the entries kept in a command line's text form ("A,B,K,DOF") are read
// back joined again.

#include <QString>
#include <QStringList>
#include <vector>

namespace mensuro::settings {

// The parts of the settings that are forgotten as a whole.
enum class Section {
  kCalibrationConditions,   // the baseline's uncertainty
  kInstrumentConditions,    // the other conditions, per EDM description
  kInstruments,             // the carrier wave, per EDM description
  kInstrumentEquipment,     // the sensors and reflector chosen, per EDM description
  kFieldColumns,            // the columns chosen for a field file's header row
  kCertificateLaboratory,   // the laboratory's details
  kCertificateInstruments,  // the details remembered per serial number
  kRegister,                // where the register is
};
void Forget(Section section);

// The uncertainty of the published distances ("A,B,K,DOF"); empty when not given.
QString BaselineUncertainty();
// Keeps `text`; an empty one removes the entry.
void SetBaselineUncertainty(const QString& text);

// An instrument's calibration conditions in their text forms; empty: not given (no entry).
struct InstrumentConditions {
  QString description;  // the EDM description as typed
  QString sensors;      // "T,P,RH"
  QString resolution;   // mm
  QString centring;     // mm
  QString acceptance;   // "A,B"
  QString cyclic;       // "U,H": unit length (m) and harmonics
};
std::vector<InstrumentConditions> InstrumentConditionsList();
// Replaces the whole list, leaving no entry of a condition not given.
void SetInstrumentConditionsList(const std::vector<InstrumentConditions>& entries);

// An instrument's carrier wave in its text forms.
struct InstrumentCarrier {
  QString description;  // the EDM description as typed
  QString wavelength;   // micrometres
  QString reference;    // "index N" or "conditions T,P,RH"
};
std::vector<InstrumentCarrier> InstrumentCarriers();
void SetInstrumentCarriers(const std::vector<InstrumentCarrier>& entries);

// The serials of the equipment chosen for an instrument; empty: none chosen.
struct InstrumentEquipment {
  QString description;  // the EDM description as typed
  QString thermometer;
  QString barometer;
  QString humidity;  // a hygrometer's or a psychrometer's
  QString reflector;
};
std::vector<InstrumentEquipment> InstrumentEquipmentList();
void SetInstrumentEquipmentList(const std::vector<InstrumentEquipment>& entries);

// The quantities chosen for the columns of a field file's header row.
struct FieldColumnChoice {
  QStringList header;  // the header row's cells
  QString columns;     // a quantity name per cell, comma-separated; empty: not used
};
std::vector<FieldColumnChoice> FieldColumnChoices();
void SetFieldColumnChoices(const std::vector<FieldColumnChoice>& entries);

// The laboratory that issues the certificates.
struct Laboratory {
  QString name;
  QString address;
  QString accreditation;
  QString logo;  // the logo's file
};
Laboratory CertificateLaboratory();
void SetCertificateLaboratory(const Laboratory& laboratory);

// The certificate's details remembered for one instrument, newest first.
struct CertificateInstrument {
  QString serialNumber;
  QString make;
  QString model;
  QString reflectorMake;
  QString reflectorModel;
  QString clientName;
  QString clientAddress;
  QString prismConstant;  // mm; empty: not given
};
std::vector<CertificateInstrument> CertificateInstruments();
void SetCertificateInstruments(const std::vector<CertificateInstrument>& entries);

// The register the user chose in the window; empty: none chosen.
QString RegisterLocation();
void SetRegisterLocation(const QString& location);

// The head log of a PostgreSQL register, when the environment names none; empty: none chosen.
QString RegisterHeadLog();
void SetRegisterHeadLog(const QString& file);

}  // namespace mensuro::settings
