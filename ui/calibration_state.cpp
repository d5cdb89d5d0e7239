#include "ui/calibration_state.h"

#include <utility>

#include "ui/control_text.h"

namespace mensuro {

const ProcessedCalibration* CalibrationState::Calibration() const {
  return last_ && last_->processed ? &*last_ : nullptr;
}

const InputNotices& CalibrationState::Notices() const {
  static const InputNotices kNone;
  return last_ ? last_->run.notices : kNone;
}

const ReportText& CalibrationState::Report() const {
  static const ReportText kEmpty;
  return last_ ? last_->report : kEmpty;
}

const ProcessedCalibration& CalibrationState::Process(MeasurementHeader header,
                                                      std::string measuredText,
                                                      std::string publishedText,
                                                      UncertaintyInputs conditions) {
  last_ = ProcessCalibration(std::move(header), std::move(measuredText), std::move(publishedText),
                             std::move(conditions));
  failure_ = last_->processed ? QString() : FieldFromBytes(last_->failure);
  emit Changed();
  return *last_;
}

void CalibrationState::Refuse(const QString& reason) {
  last_.reset();
  failure_ = reason;
  emit Changed();
}

void CalibrationState::SetConditions(const UncertaintyInputs& conditions) {
  if (const ProcessedCalibration* kept = Calibration()) {
    last_ = WithConditions(*kept, conditions);
    emit Changed();
  }
}

}  // namespace mensuro
