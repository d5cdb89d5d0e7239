#pragma once

// Ids of the controls of the main window and of the About box, as their dialog templates give
// them.

namespace mensuro {

enum MainControlId : int {
  kIdProcess = 1,
  kIdCancel = 2,
  kIdSourceGroup = 1000,
  kIdFromFile = 1001,
  kIdPredefined = 1002,
  kIdPublishedFileName = 1003,
  kIdOpenPublished = 1004,
  kIdNewPublished = 1005,
  kIdSaveReportAs = 1006,
  kIdLoadBaseline = 1008,
  kIdMeasuredFileName = 1009,
  kIdOpenMeasured = 1010,
  kIdNewMeasured = 1011,
  kIdPublishedText = 1012,
  kIdSavePublished = 1013,
  kIdSavePublishedAs = 1014,
  kIdMeasuredText = 1015,
  kIdSaveMeasured = 1016,
  kIdSaveMeasuredAs = 1017,
  kIdResultList = 1018,
  kIdPublishedFileLabel = 1019,
  kIdBaselineLabel = 1020,
  kIdBaselineList = 1021,
  kIdConstantError = 1024,
  kIdPpmError = 1026,
  kIdComment = 1027,
  kIdEdmDescription = 1028,
  kIdDate = 1029,
  kIdTime = 1030,
  kIdAbout = 1031,
  kIdHelp = 1032,
  kIdPlot = 1033,
  kIdNoticeSummary = 1036,
  kIdRegister = 1037,
  kIdBaseline = 1038,
};

enum AboutControlId : int {
  kIdOk = 1,
  kIdPicture = 1034,
  kIdProductLabel = 1035,
};

}  // namespace mensuro
