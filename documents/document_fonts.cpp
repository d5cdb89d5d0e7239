#include "documents/document_fonts.h"

namespace mensuro {

QFont WithoutLigatures(QFont font) {
  // Qt shapes text without ligatures whenever a letter spacing is set; this one is too small to
  // see.
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0.1);
  return font;
}

}  // namespace mensuro
