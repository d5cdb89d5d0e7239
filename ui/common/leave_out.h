#pragma once

// What the windows that leave observations out of a fit share: asking the reason, which the
// certificate states, and naming what was left out.

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/processing/exclusions.h"

class QTableWidget;
class QWidget;

namespace mensuro {

class DialogServices;

// Asks why `what` is left out of the fit until a reason is given (an empty one is refused with
// a message); the reason as bytes, or nothing when the user cancels.
std::optional<std::string> AskLeaveOutReason(DialogServices& services, QWidget& owner,
                                             std::string_view what);

// "pair A-B: reason (2 observations)", as the lists of what is left out name it.
QString LeftOutText(const AppliedExclusion& applied);

// The list of what is left out (named exclusionList), a child of `parent`: a row per exclusion,
// its text beside its button.
QTableWidget* NewLeftOutList(QWidget* parent);

// `excluded` into `list`, each with a button (named bringBack) that calls `bringBack` with its
// index; the rows as tall as their contents.
void FillLeftOutList(QTableWidget& list, const std::vector<AppliedExclusion>& excluded,
                     const std::function<void(std::size_t index)>& bringBack);

}  // namespace mensuro
