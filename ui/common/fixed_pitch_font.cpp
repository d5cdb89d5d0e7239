#include "ui/common/fixed_pitch_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>

namespace mensuro {

bool AdvancesAlike(const QFont& font) {
  const QFontMetricsF metrics(font);
  const qreal advance = metrics.horizontalAdvance(QLatin1Char('W'));
  for (const char c : {'i', 'l', '.', ' ', '0', 'm', '|'}) {
    if (metrics.horizontalAdvance(QLatin1Char(c)) != advance) {
      return false;
    }
  }
  return advance > 0;
}

QFont FixedPitchFont(const QFont& preferred) {
  if (AdvancesAlike(preferred)) {
    return preferred;
  }
  for (const char* family :
       {"DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono", "Courier New", "Monospace"}) {
    QFont candidate(preferred);
    candidate.setFamilies(QStringList{QString::fromLatin1(family)});
    candidate.setStyleHint(QFont::TypeWriter);
    if (AdvancesAlike(candidate)) {
      return candidate;
    }
  }
  QFont hinted(preferred);
  hinted.setStyleHint(QFont::TypeWriter);
  return hinted;
}

QFont ReportFont() {
  return FixedPitchFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

}  // namespace mensuro
