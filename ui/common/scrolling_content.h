#pragma once

// Dialogs whose content can be taller than a small desktop: the content scrolls while the
// buttons below it stay in view, and the dialog opens as tall as its content up to a limit that
// leaves a 1280 x 800 desktop room for the title bar and a panel.

class QScrollArea;
class QWidget;

namespace mensuro {

inline constexpr int kDialogHeightLimit = 700;

// A scroll area of `dialog` showing `content`, which it owns from then on: as wide as the
// content, so that only its height scrolls.
QScrollArea* ScrollingContent(QWidget& dialog, QWidget* content);

// Gives `dialog`, whose layout holds `scroll`, its first size: room for all of the content when
// that fits under kDialogHeightLimit, else that limit.
void FitFirstSize(QWidget& dialog, const QScrollArea& scroll);

}  // namespace mensuro
