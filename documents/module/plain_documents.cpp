#include "documents/module/plain_documents.h"

#include <memory>
#include <nlohmann/json.hpp>
#include <utility>
#include <variant>

#include "json/baseline_json.h"

namespace mensuro {
namespace {

MensuroNumber PlainNumber(const std::optional<double>& number) {
  return {number ? 1 : 0, number.value_or(0.0)};
}

std::optional<double> NumberOf(MensuroNumber number) {
  return number.given != 0 ? std::optional(number.value) : std::nullopt;
}

MensuroRange PlainRange(const std::optional<ValueRange>& range) {
  return range ? MensuroRange{1, range->smallest, range->largest} : MensuroRange{0, 0.0, 0.0};
}

std::optional<ValueRange> RangeOf(MensuroRange range) {
  return range.given != 0 ? std::optional(ValueRange{range.smallest, range.largest}) : std::nullopt;
}

MensuroHeader PlainHeader(const MeasurementHeader& header) {
  return {header.ppmError,
          header.constantError,
          PlainText(header.comment),
          PlainText(header.edmDescription),
          PlainText(header.date),
          PlainText(header.time),
          PlainText(header.publishedSource),
          PlainText(header.measuredFileName)};
}

MeasurementHeader HeaderOf(const MensuroHeader& plain) {
  return {plain.ppmError,
          plain.constantError,
          TextOf(plain.comment),
          TextOf(plain.edmDescription),
          TextOf(plain.date),
          TextOf(plain.time),
          TextOf(plain.publishedSource),
          TextOf(plain.measuredFileName)};
}

MensuroConditions PlainConditions(const UncertaintyInputs& inputs) {
  MensuroConditions plain{};
  if (inputs.baseline) {
    plain.baselineGiven = 1;
    plain.baselineMm = inputs.baseline->expanded.mm;
    plain.baselinePpm = inputs.baseline->expanded.ppm;
    plain.baselineK = inputs.baseline->k;
    plain.baselineDof = PlainNumber(inputs.baseline->dof);
  }
  if (inputs.sensors) {
    plain.sensorsGiven = 1;
    plain.sensorTemperature = inputs.sensors->temperature;
    plain.sensorPressure = inputs.sensors->pressure;
    plain.sensorHumidity = inputs.sensors->humidity;
  }
  plain.resolution = PlainNumber(inputs.resolution);
  plain.centring = PlainNumber(inputs.centring);
  if (inputs.acceptance) {
    plain.acceptanceGiven = 1;
    plain.acceptanceMm = inputs.acceptance->mm;
    plain.acceptancePpm = inputs.acceptance->ppm;
  }
  if (inputs.cyclic) {
    plain.cyclicGiven = 1;
    plain.cyclicUnitLength = inputs.cyclic->unitLength;
    plain.cyclicHarmonics = inputs.cyclic->harmonics;
  }
  return plain;
}

UncertaintyInputs ConditionsOf(const MensuroConditions& plain) {
  UncertaintyInputs inputs;
  if (plain.baselineGiven != 0) {
    inputs.baseline = BaselineUncertainty{
        {plain.baselineMm, plain.baselinePpm}, plain.baselineK, NumberOf(plain.baselineDof)};
  }
  if (plain.sensorsGiven != 0) {
    inputs.sensors =
        SensorUncertainty{plain.sensorTemperature, plain.sensorPressure, plain.sensorHumidity};
  }
  inputs.resolution = NumberOf(plain.resolution);
  inputs.centring = NumberOf(plain.centring);
  if (plain.acceptanceGiven != 0) {
    inputs.acceptance = MmPlusPpm{plain.acceptanceMm, plain.acceptancePpm};
  }
  if (plain.cyclicGiven != 0) {
    inputs.cyclic = CyclicSettings{plain.cyclicUnitLength, plain.cyclicHarmonics};
  }
  return inputs;
}

MensuroEquipment PlainEquipment(const AppliedEquipment& applied) {
  const EquipmentCertificate& c = applied.certificate;
  return {static_cast<int>(applied.kind),
          PlainText(applied.make),
          PlainText(applied.model),
          PlainText(applied.serial),
          PlainText(c.number),
          PlainText(c.issuedBy),
          PlainText(c.date),
          PlainText(c.validUntil),
          c.correction,
          c.standardUncertainty,
          c.scalePpm,
          c.scaleUncertaintyPpm,
          c.constantMm,
          c.constantUncertaintyMm,
          PlainText(c.baselineCertificate),
          PlainText(c.baselineUncertainty),
          PlainText(c.supersedes),
          PlainText(c.reason),
          PlainText(c.enteredAt),
          PlainText(c.supersededBy),
          PlainText(applied.acceptedReason)};
}

AppliedEquipment EquipmentOf(const MensuroEquipment& plain) {
  AppliedEquipment applied;
  applied.kind = static_cast<EquipmentKind>(plain.kind);
  applied.make = TextOf(plain.make);
  applied.model = TextOf(plain.model);
  applied.serial = TextOf(plain.serial);
  EquipmentCertificate& c = applied.certificate;
  c.number = TextOf(plain.number);
  c.issuedBy = TextOf(plain.issuedBy);
  c.date = TextOf(plain.date);
  c.validUntil = TextOf(plain.validUntil);
  c.correction = plain.correction;
  c.standardUncertainty = plain.standardUncertainty;
  c.scalePpm = plain.scalePpm;
  c.scaleUncertaintyPpm = plain.scaleUncertaintyPpm;
  c.constantMm = plain.constantMm;
  c.constantUncertaintyMm = plain.constantUncertaintyMm;
  c.baselineCertificate = TextOf(plain.baselineCertificate);
  c.baselineUncertainty = TextOf(plain.baselineUncertainty);
  c.supersedes = TextOf(plain.supersedes);
  c.reason = TextOf(plain.reason);
  c.enteredAt = TextOf(plain.enteredAt);
  c.supersededBy = TextOf(plain.supersededBy);
  applied.acceptedReason = TextOf(plain.acceptedReason);
  return applied;
}

void PlainCarrier(const EdmCarrier& carrier, MensuroReduction& plain) {
  plain.carrierGiven = 1;
  plain.wavelength = carrier.wavelength;
  if (const auto* atmosphere = std::get_if<ReferenceAtmosphere>(&carrier.reference)) {
    plain.referenceIsAtmosphere = 1;
    plain.referenceTemperature = atmosphere->temperature;
    plain.referencePressure = atmosphere->pressure;
    plain.referenceHumidity = atmosphere->humidity;
  } else {
    plain.referenceRefractivity = std::get<double>(carrier.reference);
  }
}

std::optional<EdmCarrier> CarrierOf(const MensuroReduction& plain) {
  if (plain.carrierGiven == 0) {
    return std::nullopt;
  }
  EdmCarrier carrier;
  carrier.wavelength = plain.wavelength;
  if (plain.referenceIsAtmosphere != 0) {
    carrier.reference = ReferenceAtmosphere{plain.referenceTemperature, plain.referencePressure,
                                            plain.referenceHumidity};
  } else {
    carrier.reference = plain.referenceRefractivity;
  }
  return carrier;
}

MensuroReduction PlainReduction(const std::optional<ReductionSummary>& summary) {
  MensuroReduction plain{};
  if (!summary) {
    return plain;
  }
  plain.given = 1;
  plain.kind = static_cast<int>(summary->kind);
  plain.observations = summary->observations;
  if (summary->carrier) {
    PlainCarrier(*summary->carrier, plain);
  }
  plain.target = static_cast<int>(summary->target);
  plain.horizontalAt = PlainNumber(summary->horizontalAt);
  plain.heightsSource = PlainText(summary->heightsSource);
  plain.temperature = PlainRange(summary->temperature);
  plain.pressure = PlainRange(summary->pressure);
  plain.humidity = PlainRange(summary->humidity);
  plain.humidityFromWetBulb = summary->humidityFromWetBulb ? 1 : 0;
  return plain;
}

std::optional<ReductionSummary> ReductionOf(const MensuroReduction& plain) {
  if (plain.given == 0) {
    return std::nullopt;
  }
  ReductionSummary summary;
  summary.kind = static_cast<FieldDistanceKind>(plain.kind);
  summary.observations = plain.observations;
  summary.carrier = CarrierOf(plain);
  summary.target = static_cast<PublishedDistanceKind>(plain.target);
  summary.horizontalAt = NumberOf(plain.horizontalAt);
  summary.heightsSource = TextOf(plain.heightsSource);
  summary.temperature = RangeOf(plain.temperature);
  summary.pressure = RangeOf(plain.pressure);
  summary.humidity = RangeOf(plain.humidity);
  summary.humidityFromWetBulb = plain.humidityFromWetBulb != 0;
  return summary;
}

}  // namespace

MensuroText PlainText(std::string_view text) {
  return {text.data(), text.size()};
}

std::string TextOf(MensuroText text) {
  return text.size == 0 ? std::string() : std::string(text.data, text.size);
}

PlainCalibration PlainCalibrationOf(const ProcessedCalibration& calibration) {
  PlainCalibration plain;
  plain.asked = ExclusionsOf(calibration);
  for (const Exclusion& exclusion : plain.asked) {
    plain.exclusions.push_back({PlainText(exclusion.from), PlainText(exclusion.to), exclusion.line,
                                PlainText(exclusion.reason)});
  }
  MensuroCalibration& c = plain.calibration;
  c.header = PlainHeader(calibration.header);
  c.measuredText = PlainText(calibration.measuredText);
  c.publishedText = PlainText(calibration.publishedText);
  c.conditions = PlainConditions(calibration.conditions);
  c.exclusions = plain.exclusions.data();
  c.exclusionCount = plain.exclusions.size();
  const CalibrationOrigin& origin = calibration.origin;
  c.publishedDistances =
      origin.publishedDistances ? static_cast<int>(*origin.publishedDistances) : -1;
  c.reduction = PlainReduction(origin.reduction);
  c.fileLines = origin.fileLines.data();
  c.fileLineCount = origin.fileLines.size();
  for (const InputFile& file : origin.files) {
    plain.files.push_back({PlainText(file.role), PlainText(file.name), PlainText(file.sha256)});
  }
  c.files = plain.files.data();
  c.fileCount = plain.files.size();
  for (const AppliedEquipment& applied : calibration.conditions.equipment) {
    plain.equipment.push_back(PlainEquipment(applied));
  }
  c.equipment = plain.equipment.data();
  c.equipmentCount = plain.equipment.size();
  for (const PairUncertainty& pair : calibration.conditions.baselinePairs) {
    plain.baselinePairs.push_back(
        {PlainText(pair.from), PlainText(pair.to), pair.expandedMm, pair.k, PlainNumber(pair.dof)});
  }
  c.conditions.baselinePairs = plain.baselinePairs.data();
  c.conditions.baselinePairCount = plain.baselinePairs.size();
  return plain;
}

ProcessedCalibration CalibrationOf(const MensuroCalibration& plain) {
  std::vector<Exclusion> exclusions;
  for (std::size_t i = 0; i < plain.exclusionCount; ++i) {
    const MensuroExclusion& e = plain.exclusions[i];
    exclusions.push_back({TextOf(e.from), TextOf(e.to), e.line, TextOf(e.reason)});
  }
  UncertaintyInputs conditions = ConditionsOf(plain.conditions);
  for (std::size_t i = 0; i < plain.equipmentCount; ++i) {
    conditions.equipment.push_back(EquipmentOf(plain.equipment[i]));
  }
  for (std::size_t i = 0; i < plain.conditions.baselinePairCount; ++i) {
    const MensuroPairUncertainty& pair = plain.conditions.baselinePairs[i];
    conditions.baselinePairs.push_back(
        {TextOf(pair.from), TextOf(pair.to), pair.expandedMm, pair.k, NumberOf(pair.dof)});
  }
  ProcessedCalibration calibration =
      ProcessCalibration(HeaderOf(plain.header), TextOf(plain.measuredText),
                         TextOf(plain.publishedText), std::move(conditions), std::move(exclusions));
  CalibrationOrigin& origin = calibration.origin;
  if (plain.publishedDistances >= 0) {
    origin.publishedDistances = static_cast<PublishedDistanceKind>(plain.publishedDistances);
  }
  origin.reduction = ReductionOf(plain.reduction);
  origin.fileLines.assign(plain.fileLines, plain.fileLines + plain.fileLineCount);
  for (std::size_t i = 0; i < plain.fileCount; ++i) {
    const MensuroInputFile& file = plain.files[i];
    // Only the hash crosses: the module names the file, it doesn't keep it.
    origin.files.push_back({TextOf(file.role), TextOf(file.name), {}, TextOf(file.sha256)});
  }
  return calibration;
}

MensuroCertificate PlainCertificateOf(const CertificateDetails& details,
                                      const CertificateIdentity& identity) {
  return {PlainText(details.laboratory.name),
          PlainText(details.laboratory.address),
          PlainText(details.laboratory.accreditation),
          PlainText(details.laboratory.logoFile),
          PlainText(details.client.name),
          PlainText(details.client.address),
          PlainText(details.instrument.make),
          PlainText(details.instrument.model),
          PlainText(details.instrument.serialNumber),
          PlainText(details.reflector.make),
          PlainText(details.reflector.model),
          PlainNumber(details.reflector.prismConstantMm),
          PlainText(details.measuredBy),
          PlainText(details.checkedBy),
          PlainText(details.baselineCertificate),
          PlainText(identity.number),
          PlainText(identity.issueDate),
          PlainText(identity.recordSha256),
          PlainText(identity.replaces),
          PlainText(identity.replaceReason),
          PlainText(details.procedure),
          PlainText(details.baselineSite),
          PlainText(details.dueDate)};
}

CertificateDetails DetailsOf(const MensuroCertificate& plain) {
  CertificateDetails details;
  details.laboratory = {TextOf(plain.laboratoryName), TextOf(plain.laboratoryAddress),
                        TextOf(plain.accreditation), TextOf(plain.logoFile)};
  details.client = {TextOf(plain.clientName), TextOf(plain.clientAddress)};
  details.instrument = {TextOf(plain.instrumentMake), TextOf(plain.instrumentModel),
                        TextOf(plain.instrumentSerial)};
  details.reflector = {TextOf(plain.reflectorMake), TextOf(plain.reflectorModel),
                       NumberOf(plain.prismConstantMm)};
  details.measuredBy = TextOf(plain.measuredBy);
  details.checkedBy = TextOf(plain.checkedBy);
  details.baselineCertificate = TextOf(plain.baselineCertificate);
  details.procedure = TextOf(plain.procedure);
  details.baselineSite = TextOf(plain.baselineSite);
  details.dueDate = TextOf(plain.dueDate);
  return details;
}

CertificateIdentity IdentityOf(const MensuroCertificate& plain) {
  return {TextOf(plain.number), TextOf(plain.issueDate), TextOf(plain.recordSha256),
          TextOf(plain.replaces), TextOf(plain.replaceReason)};
}

std::vector<MensuroHistoryPoint> PlainHistoryOf(const std::vector<HistoryPoint>& history) {
  std::vector<MensuroHistoryPoint> plain;
  plain.reserve(history.size());
  for (const HistoryPoint& point : history) {
    const RegisteredResults& results = point.entry.results;
    MensuroHistoryPoint& p = plain.emplace_back();
    p.issueDate = PlainText(point.entry.identity.issueDate);
    p.constantM = results.constantM;
    p.constantUncertaintyM = results.constantUncertaintyM;
    p.scalePpm = results.scalePpm;
    p.scaleUncertaintyPpm = results.scaleUncertaintyPpm;
    p.constantEn = PlainNumber(point.constantEn);
    p.scaleEn = PlainNumber(point.scaleEn);
    p.measurementDate = PlainText(point.entry.measurementDate);
    if (results.cyclic) {
      p.cyclicGiven = 1;
      p.cyclicUnitLengthM = results.cyclic->unitLengthM;
      p.cyclicAmplitudeM = results.cyclic->amplitudeM;
      p.cyclicAmplitudeStdErrorM = PlainNumber(results.cyclic->amplitudeStdErrorM);
      p.cyclicPhaseDegrees = results.cyclic->phaseDegrees;
      p.cyclicSignificant = results.cyclic->significant ? 1 : 0;
    }
  }
  return plain;
}

std::vector<HistoryPoint> HistoryOf(const MensuroHistoryPoint* points, std::size_t count) {
  std::vector<HistoryPoint> history(count);
  for (std::size_t i = 0; i < count; ++i) {
    const MensuroHistoryPoint& plain = points[i];
    HistoryPoint& point = history[i];
    point.entry.identity.issueDate = TextOf(plain.issueDate);
    point.entry.measurementDate = TextOf(plain.measurementDate);
    point.entry.results = {plain.scalePpm, plain.scaleUncertaintyPpm, plain.constantM,
                           plain.constantUncertaintyM, std::nullopt};
    if (plain.cyclicGiven != 0) {
      point.entry.results.cyclic = RegisteredCyclic{
          plain.cyclicUnitLengthM, plain.cyclicAmplitudeM, NumberOf(plain.cyclicAmplitudeStdErrorM),
          plain.cyclicPhaseDegrees, plain.cyclicSignificant != 0};
    }
    point.constantEn = NumberOf(plain.constantEn);
    point.scaleEn = NumberOf(plain.scaleEn);
  }
  return history;
}

PlainBaseline PlainBaselineOf(const BaselineCalibration& calibration,
                              const std::string& baselineName, const std::string& measuredText,
                              const MensuroCertificate* certificate) {
  PlainBaseline plain;
  plain.json = std::make_unique<const std::string>(BaselineCalibrationJson(calibration).dump());
  const ReferenceScale& scale = calibration.adjustment.referenceScale;
  plain.request = {PlainText(*plain.json),
                   PlainHeader(calibration.header),
                   scale.ppm,
                   scale.expandedPpm,
                   scale.k,
                   calibration.adjustment.orderInferred ? 1 : 0,
                   PlainText(calibration.previousSource),
                   PlainText(baselineName),
                   PlainText(measuredText),
                   certificate};
  return plain;
}

std::optional<BaselineCalibration> BaselineCalibrationOf(const MensuroBaselineRequest& plain,
                                                         std::string& reason) {
  const nlohmann::json json = nlohmann::json::parse(TextOf(plain.calibrationJson), nullptr, false);
  if (json.is_discarded()) {
    reason = "the baseline calibration handed over is no JSON";
    return std::nullopt;
  }
  std::optional<BaselineCalibration> calibration = BaselineCalibrationFromJson(json, reason);
  if (calibration) {
    calibration->header = HeaderOf(plain.header);
    calibration->previousSource = TextOf(plain.previousSource);
    BaselineAdjustment& adjustment = calibration->adjustment;
    adjustment.referenceScale = {plain.scalePpm, plain.scaleExpandedPpm, plain.scaleK};
    adjustment.aprioriMm = plain.header.constantError;
    adjustment.aprioriPpm = plain.header.ppmError;
    adjustment.orderInferred = plain.orderInferred != 0;
  }
  return calibration;
}

}  // namespace mensuro
