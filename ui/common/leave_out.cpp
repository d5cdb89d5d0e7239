#include "ui/common/leave_out.h"

#include <fmt/format.h>

#include "core/data/visible_text.h"
#include "ui/common/control_text.h"
#include "ui/common/dialog_services.h"

namespace mensuro {

std::optional<std::string> AskLeaveOutReason(DialogServices& services, QWidget& owner,
                                             std::string_view what) {
  const QString question =
      FieldFromBytes(VisibleText(fmt::format("Why is {} left out of the fit?", what)));
  QString reason;
  while (reason.isEmpty()) {
    const std::optional<QString> answer =
        services.AskText(owner, QStringLiteral("Leave out of the fit"), question);
    if (!answer) {
      return std::nullopt;
    }
    reason = answer->trimmed();
    if (reason.isEmpty()) {
      services.ShowMessage(owner, QStringLiteral("Nothing is left out of the fit without a "
                                                 "reason: the certificate states it."));
    }
  }
  return BytesFromField(reason);
}

QString LeftOutText(const AppliedExclusion& applied) {
  const std::size_t count = applied.lines.size();
  const std::string reason =
      applied.exclusion.reason.empty() ? "no reason given" : applied.exclusion.reason;
  return FieldFromBytes(
      VisibleText(fmt::format("{}: {} ({} observation{})", DescribeExclusion(applied.exclusion),
                              reason, count, count == 1 ? "" : "s")));
}

}  // namespace mensuro
