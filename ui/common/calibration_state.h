#pragma once

// The window's calibration: what the last Process gave, processed once by the core, and the
// conditions it was processed under. The main window and the plot window observe it and redraw
// from it whenever it changes; neither computes anything of the calibration itself.

#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "core/data/input_notices.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {

class CalibrationState : public QObject {
  Q_OBJECT

 public:
  explicit CalibrationState(QObject* parent = nullptr) : QObject(parent) {}

  // The last successful Process, or nothing before the first and after a failed one.
  const ProcessedCalibration* Calibration() const;
  // Why the last Process failed; empty after a successful one and before the first.
  const QString& Failure() const { return failure_; }
  // What reading the texts of the last Process noticed.
  const InputNotices& Notices() const;
  // What the last Process left out of the fit, processed or not: a failure after bringing
  // something back still lists the rest.
  const std::vector<AppliedExclusion>& Exclusions() const;
  // The EDM description the last Process was made under, header lines of the measured text
  // applied; empty before the first and after a refused one.
  QString EdmDescription() const;
  // The report of the last successful Process; empty otherwise.
  const ReportText& Report() const;

  // Processes the texts under `header` and `conditions`, and returns what came of it,
  // processed or not, with `origin` saying where the texts came from; header lines of the
  // measured text update the header it holds. What was left out of the fit stays left out while
  // the measured text is the same; a changed text starts with everything in.
  const ProcessedCalibration& Process(MeasurementHeader header, std::string measuredText,
                                      std::string publishedText, UncertaintyInputs conditions,
                                      CalibrationOrigin origin = {});
  // A Process refused before the texts were read, for `reason`.
  void Refuse(const QString& reason);
  // New calibration conditions: the calibration kept is processed again under them. A failed
  // Process has none to take them; the next Process will.
  void SetConditions(const UncertaintyInputs& conditions);
  // Leaves observations of the calibration kept out of the fit, and processes it again. When
  // the rest can't be processed (fewer than three pairs left, say), nothing changes and the
  // reason is returned; else the empty text.
  QString Exclude(Exclusion exclusion);
  // Brings back what the exclusion at `index` (of the calibration's exclusions) left out.
  void BringBack(std::size_t index);

 signals:
  void Changed();

 private:
  // Makes `calibration` the one the views show, and tells them.
  void Keep(ProcessedCalibration calibration);

  std::optional<ProcessedCalibration> last_;  // processed or not
  QString failure_;
};

}  // namespace mensuro
