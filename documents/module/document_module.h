#ifndef MENSURO_DOCUMENT_MODULE_H
#define MENSURO_DOCUMENT_MODULE_H

/* The document module: the plot and the certificate drawn by documents/, built as a loadable
   module so that mensuro-cli starts without Qt and loads it (and Qt with it) only when a run
   asks for a document. This header is all that both sides share, and it is plain C: the
   command line links its C++ runtime in and the module uses the shared one, so no C++ object
   crosses. The module gets what it draws from as texts, numbers and arrays that the caller owns
   for the call, draws into memory, and hands back bytes that it allocated and that
   mensuro_documents_free releases. */

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The layout of the structs below. The command line loads only a module of the same layout:
   members are appended at the ends of the structs, and each change raises this number. */
#define MENSURO_DOCUMENT_BOUNDARY 5

/* Bytes owned by the other side: a text need not end in a null character. */
typedef struct MensuroText {
  const char* data;
  size_t size;
} MensuroText;

typedef struct MensuroNumber {
  int given; /* 0: no value */
  double value;
} MensuroNumber;

typedef struct MensuroRange {
  int given;
  double smallest;
  double largest;
} MensuroRange;

/* The header of the measured text as the run used it. */
typedef struct MensuroHeader {
  double ppmError;
  double constantError;
  MensuroText comment;
  MensuroText edmDescription;
  MensuroText date;
  MensuroText time;
  MensuroText publishedSource;
  MensuroText measuredFileName;
} MensuroHeader;

/* A baseline pair's own expanded uncertainty, U in mm at coverage factor k. */
typedef struct MensuroPairUncertainty {
  MensuroText from;
  MensuroText to;
  double expandedMm;
  double k;
  MensuroNumber dof; /* not given: infinite */
} MensuroPairUncertainty;

/* The conditions of the uncertainty budget; a part not given is left out. */
typedef struct MensuroConditions {
  int baselineGiven;
  double baselineMm;
  double baselinePpm;
  double baselineK;
  MensuroNumber baselineDof;
  int sensorsGiven;
  double sensorTemperature;
  double sensorPressure;
  double sensorHumidity;
  MensuroNumber resolution;
  MensuroNumber centring;
  int acceptanceGiven;
  double acceptanceMm;
  double acceptancePpm;
  const MensuroPairUncertainty* baselinePairs; /* the library baseline's pairs' own */
  size_t baselinePairCount;
  int cyclicGiven; /* 0: no cyclic error is estimated */
  double cyclicUnitLength; /* metres */
  int cyclicHarmonics;
} MensuroConditions;

/* An exclusion as it was asked for: a pair when `line` is 0, else a line of the measured text. */
typedef struct MensuroExclusion {
  MensuroText from;
  MensuroText to;
  size_t line;
  MensuroText reason;
} MensuroExclusion;

/* How the measured text was reduced from a field file; the enumerations are the core's. */
typedef struct MensuroReduction {
  int given; /* 0: the measured text was not reduced */
  int kind;
  size_t observations;
  int carrierGiven;
  double wavelength;
  int referenceIsAtmosphere; /* else a reference refractivity */
  double referenceRefractivity;
  double referenceTemperature;
  double referencePressure;
  double referenceHumidity;
  int target;
  MensuroNumber horizontalAt;
  MensuroText heightsSource;
  MensuroRange temperature;
  MensuroRange pressure;
  MensuroRange humidity;
  int humidityFromWetBulb;
} MensuroReduction;

/* A file the texts were read from, as it was given: its role ("field", "heights", "measured",
   "published"), its name without folders and the SHA-256 of its bytes in hexadecimal. */
typedef struct MensuroInputFile {
  MensuroText role;
  MensuroText name;
  MensuroText sha256;
} MensuroInputFile;

/* An item of equipment as the calibration used it: the certificate chosen for its date of
   measurement and, when that certificate was not valid then, the reason it was used anyway
   (empty: valid). The kind is the core's enumeration. */
typedef struct MensuroEquipment {
  int kind;
  MensuroText make;
  MensuroText model;
  MensuroText serial;
  MensuroText number;
  MensuroText issuedBy;
  MensuroText date;
  MensuroText validUntil;
  double correction;
  double standardUncertainty;
  double scalePpm;
  double scaleUncertaintyPpm;
  double constantMm;
  double constantUncertaintyMm;
  MensuroText baselineCertificate;
  MensuroText baselineUncertainty;
  MensuroText supersedes;
  MensuroText reason;
  MensuroText enteredAt;
  MensuroText supersededBy;
  MensuroText acceptedReason;
} MensuroEquipment;

/* What a calibration is processed from, and where its texts came from. */
typedef struct MensuroCalibration {
  MensuroHeader header;
  MensuroText measuredText;
  MensuroText publishedText;
  MensuroConditions conditions;
  const MensuroExclusion* exclusions;
  size_t exclusionCount;
  int publishedDistances; /* the core's enumeration; -1: the published text doesn't say */
  MensuroReduction reduction;
  const size_t* fileLines;
  size_t fileLineCount;
  const MensuroInputFile* files;
  size_t fileCount;
  const MensuroEquipment* equipment; /* the conditions' equipment */
  size_t equipmentCount;
} MensuroCalibration;

/* What the certificate says beyond the calibration, and its identity. */
typedef struct MensuroCertificate {
  MensuroText laboratoryName;
  MensuroText laboratoryAddress;
  MensuroText accreditation;
  MensuroText logoFile;
  MensuroText clientName;
  MensuroText clientAddress;
  MensuroText instrumentMake;
  MensuroText instrumentModel;
  MensuroText instrumentSerial;
  MensuroText reflectorMake;
  MensuroText reflectorModel;
  MensuroNumber prismConstantMm;
  MensuroText measuredBy;
  MensuroText checkedBy;
  MensuroText baselineCertificate;
  MensuroText number;
  MensuroText issueDate;
  MensuroText recordSha256;
  MensuroText replaces;
  MensuroText replaceReason;
  MensuroText procedure;
  MensuroText baselineSite;
  MensuroText dueDate; /* YYYY-MM-DD; empty: not stated */
} MensuroCertificate;

enum { MENSURO_NO_PLOT = 0, MENSURO_PLOT_SVG = 1, MENSURO_PLOT_PNG = 2, MENSURO_PLOT_PDF = 3 };

typedef struct MensuroDocumentRequest {
  const MensuroCalibration* calibration;
  int plot;                              /* MENSURO_NO_PLOT or the plot's file type */
  const MensuroCertificate* certificate; /* NULL: no certificate */
} MensuroDocumentRequest;

/* One calibration of an instrument's history, as its chart shows it. */
typedef struct MensuroHistoryPoint {
  MensuroText issueDate; /* YYYY-MM-DD */
  double constantM;
  double constantUncertaintyM;
  double scalePpm;
  double scaleUncertaintyPpm;
  MensuroNumber constantEn;
  MensuroNumber scaleEn;
  MensuroText measurementDate; /* YYYY-MM-DD; empty: placed by its issue date */
  int cyclicGiven; /* 0: no cyclic error was estimated */
  double cyclicUnitLengthM;
  double cyclicAmplitudeM; /* of the first harmonic */
  MensuroNumber cyclicAmplitudeStdErrorM;
  double cyclicPhaseDegrees;
  int cyclicSignificant;
} MensuroHistoryPoint;

typedef struct MensuroHistoryRequest {
  const MensuroHistoryPoint* points;
  size_t pointCount;
  MensuroText title;
  int plot; /* the plot's file type */
} MensuroHistoryRequest;

/* A baseline's certificate: its calibration as the JSON text the command line writes of it, with
   what that text leaves to the survey: the measured text's header (its "^" and "%" lines the
   reference instrument's specified accuracy), the reference scale applied, whether the pillar
   order was inferred and where the previous certificate came from. */
typedef struct MensuroBaselineRequest {
  MensuroText calibrationJson;
  MensuroHeader header;
  double scalePpm;
  double scaleExpandedPpm;
  double scaleK;
  int orderInferred;
  MensuroText previousSource;
  MensuroText baselineName;
  MensuroText measuredText; /* the survey as adjusted */
  const MensuroCertificate* certificate;
} MensuroBaselineRequest;

/* Bytes the module allocated. */
typedef struct MensuroBytes {
  char* data;
  size_t size;
} MensuroBytes;

/* What was drawn: each document asked for, or why it could not be drawn; `failure` says why
   nothing was (the other members are then empty). */
typedef struct MensuroDocuments {
  MensuroBytes plot;
  MensuroBytes plotFailure;
  MensuroBytes certificate;
  MensuroBytes certificateFailure;
  MensuroBytes failure;
} MensuroDocuments;

/* The module's entry points, exported by these names. Each fills `documents`, which the caller
   passes zeroed and hands back to mensuro_documents_free once done with it. */
typedef void MensuroDrawDocuments(const MensuroDocumentRequest* request,
                                  MensuroDocuments* documents);
typedef void MensuroDrawHistoryPlot(const MensuroHistoryRequest* request,
                                    MensuroDocuments* documents);
typedef void MensuroDrawBaselineCertificate(const MensuroBaselineRequest* request,
                                            MensuroDocuments* documents);
typedef void MensuroDocumentsFree(MensuroDocuments* documents);
/* MENSURO_DOCUMENT_BOUNDARY as the module was built with it. */
typedef int MensuroDocumentBoundary(void);

#ifdef __cplusplus
}
#endif

#endif
