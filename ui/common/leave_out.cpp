#include "ui/common/leave_out.h"

#include <fmt/format.h>

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

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

QTableWidget* NewLeftOutList(QWidget* parent) {
  auto* list = new QTableWidget(0, 2, parent);
  list->setObjectName(QStringLiteral("exclusionList"));
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->horizontalHeader()->hide();
  list->verticalHeader()->hide();
  list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  return list;
}

void FillLeftOutList(QTableWidget& list, const std::vector<AppliedExclusion>& excluded,
                     const std::function<void(std::size_t index)>& bringBack) {
  list.clearContents();
  list.setRowCount(static_cast<int>(excluded.size()));
  for (std::size_t i = 0; i < excluded.size(); ++i) {
    list.setItem(static_cast<int>(i), 0, new QTableWidgetItem(LeftOutText(excluded[i])));
    auto* button = new QPushButton(QStringLiteral("Bring back"), &list);
    button->setObjectName(QStringLiteral("bringBack"));
    QObject::connect(button, &QPushButton::clicked, &list, [bringBack, i] { bringBack(i); });
    list.setCellWidget(static_cast<int>(i), 1, button);
  }
  list.resizeRowsToContents();
}

}  // namespace mensuro
