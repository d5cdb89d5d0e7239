#pragma once

// The document module: the plot and the certificate writers of documents/, built as a loadable
// module so that mensuro-cli starts without Qt and loads it (and Qt with it) only when --plot or
// --certificate asks for a document. This header is what both sides know of it, and includes no
// Qt: the entry point's name and type. Both sides are built by the same compiler from the same
// sources, so standard library types and the core's cross as they are.

#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "core/processing/processed_calibration.h"
#include "register/register_records.h"

namespace mensuro {

// The documents to write; an empty path: that document is not wanted.
struct DocumentFiles {
  std::string plotFile;         // SVG, PNG or PDF by its extension
  std::string certificateFile;  // PDF
  // What the certificate says beyond the calibration, and its number and issue date (the day it
  // is written when not given).
  CertificateDetails details;
  CertificateIdentity identity;
};

// Writes the documents `files` asks for, from `calibration`, on Qt's offscreen platform unless
// QT_QPA_PLATFORM names another. Returns the empty text on success, otherwise one line saying
// which file could not be written and why.
using WriteDocumentsFunction = std::string(const ProcessedCalibration& calibration,
                                           const DocumentFiles& files);

// The name the module exports its WriteDocumentsFunction under.
inline constexpr const char* kWriteDocumentsEntry = "mensuro_write_documents";

// Writes the charts of an instrument's history under `title` to `path` (SVG, PNG or PDF by its
// extension). Returns the empty text on success, otherwise one line saying why not.
using WriteHistoryPlotFunction = std::string(const std::vector<HistoryPoint>& history,
                                             const std::string& title, const std::string& path);

// The name the module exports its WriteHistoryPlotFunction under.
inline constexpr const char* kWriteHistoryPlotEntry = "mensuro_write_history_plot";

}  // namespace mensuro
