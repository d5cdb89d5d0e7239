#pragma once

#include <QFont>

namespace mensuro {

// `font` with ligatures turned off, so that the text of a PDF reads back letter for letter:
// "fi" stays two letters when it is searched, copied or extracted.
QFont WithoutLigatures(QFont font);

}  // namespace mensuro
