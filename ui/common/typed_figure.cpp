#include "ui/common/typed_figure.h"

namespace mensuro {

QString TypedFigureProblem(const QString& name, const QString& text, std::string_view reason,
                           std::string_view example) {
  QString problem = name + QStringLiteral(": ") +
                    QString::fromUtf8(reason.data(), static_cast<qsizetype>(reason.size())) +
                    QLatin1Char('.');
  if (text.contains(QLatin1Char(','))) {
    problem += QStringLiteral(" Write decimals with a point, as in %1.")
                   .arg(QLatin1String(example.data(), static_cast<qsizetype>(example.size())));
  }
  return problem;
}

QString EmptyFieldProblem(const QString& name, const QString& what) {
  return name + QStringLiteral(": enter ") + what + QLatin1Char('.');
}

}  // namespace mensuro
