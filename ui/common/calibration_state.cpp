#include "ui/common/calibration_state.h"

#include <utility>

#include "ui/common/control_text.h"

namespace mensuro {

const ProcessedCalibration* CalibrationState::Calibration() const {
  return last_ && last_->processed ? &*last_ : nullptr;
}

const InputNotices& CalibrationState::Notices() const {
  static const InputNotices kNone;
  return last_ ? last_->run.notices : kNone;
}

const std::vector<AppliedExclusion>& CalibrationState::Exclusions() const {
  static const std::vector<AppliedExclusion> kNone;
  return last_ ? last_->exclusions : kNone;
}

QString CalibrationState::EdmDescription() const {
  return last_ ? FieldFromBytes(last_->header.edmDescription) : QString();
}

const ReportText& CalibrationState::Report() const {
  static const ReportText kEmpty;
  return last_ ? last_->report : kEmpty;
}

const ProcessedCalibration& CalibrationState::Process(MeasurementHeader header,
                                                      std::string measuredText,
                                                      std::string publishedText,
                                                      UncertaintyInputs conditions,
                                                      CalibrationOrigin origin) {
  std::vector<Exclusion> exclusions;
  if (last_ && last_->measuredText == measuredText) {
    exclusions = ExclusionsOf(*last_);
  }
  ProcessedCalibration processed =
      ProcessCalibration(std::move(header), std::move(measuredText), std::move(publishedText),
                         std::move(conditions), std::move(exclusions));
  // Set before the views are told, so they show it with the rest.
  processed.origin = std::move(origin);
  Keep(std::move(processed));
  return *last_;
}

void CalibrationState::Refuse(const QString& reason) {
  last_.reset();
  failure_ = reason;
  emit Changed();
}

QString CalibrationState::Exclude(Exclusion exclusion) {
  const ProcessedCalibration* kept = Calibration();
  if (kept == nullptr) {
    return QStringLiteral("There is no calibration to leave anything out of.");
  }
  std::vector<Exclusion> exclusions = ExclusionsOf(*kept);
  exclusions.push_back(std::move(exclusion));
  ProcessedCalibration without = WithExclusions(*kept, std::move(exclusions));
  if (!without.processed) {
    return FieldFromBytes(without.failure);
  }
  Keep(std::move(without));
  return {};
}

void CalibrationState::BringBack(std::size_t index) {
  if (last_ && index < last_->exclusions.size()) {
    std::vector<Exclusion> exclusions = ExclusionsOf(*last_);
    exclusions.erase(exclusions.begin() + static_cast<std::ptrdiff_t>(index));
    Keep(WithExclusions(*last_, std::move(exclusions)));
  }
}

void CalibrationState::SetConditions(const UncertaintyInputs& conditions) {
  if (const ProcessedCalibration* kept = Calibration()) {
    Keep(WithConditions(*kept, conditions));
  }
}

void CalibrationState::Keep(ProcessedCalibration calibration) {
  last_ = std::move(calibration);
  failure_ = last_->processed ? QString() : FieldFromBytes(last_->failure);
  emit Changed();
}

}  // namespace mensuro
