#pragma once

// The equipment a calibration run names, applied: for each item the certificate chosen for the
// date of measurement, and what its certificates bring to the uncertainty budget.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/equipment/equipment.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/field_reduction.h"

namespace mensuro {

// The items of a run with the certificate each has on the date of measurement.
struct EquipmentChoice {
  // Those applied, in the order named: each valid on the date, or accepted with the reason.
  std::vector<AppliedEquipment> applied;
  // Why each item not valid on the date isn't (InvalidityText), accepted or not.
  std::vector<std::string> invalid;
  // Why an item can't be used at all (it has no certificate); empty: every item can.
  std::string error;
};

// The certificate of each of `items` on `date` (YYYY-MM-DD). One not valid then is applied with
// its nearest certificate only when `acceptedReason` is given; an item without any certificate
// is an error whatever the reason.
EquipmentChoice ChooseEquipment(const std::vector<EquipmentItem>& items, std::string_view date,
                                std::string_view acceptedReason);

// `item` as a run uses it with `certificate`.
AppliedEquipment ApplyEquipment(const EquipmentItem& item, const EquipmentCertificate& certificate,
                                std::string acceptedReason);

// The mean of each weather reading over a reduction's observations, as reduced (so corrected);
// nothing for a file without weather readings (horizontal distances, or no observations).
std::optional<FieldWeather> MeanReadings(const FieldReduction& reduction);

// `inputs` with the certificates of `equipment`: each sensor's standard uncertainty replaces its
// component of the sensors' (the others keep what was given, 0 when nothing was), and the list
// goes into `equipment`. A psychrometer's wet-bulb uncertainty enters the humidity component in
// % RH, converted at `meanReadings` (needed then; without, the humidity is left as given).
UncertaintyInputs WithEquipment(UncertaintyInputs inputs, std::vector<AppliedEquipment> equipment,
                                const std::optional<FieldWeather>& meanReadings);

}  // namespace mensuro
