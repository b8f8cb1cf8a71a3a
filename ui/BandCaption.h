#pragma once
// Writing a word into a display band (the main window's and the full-screen view's).

#include <QString>

class QLabel;

namespace lexaro {

// Shows `text` in `band`: centred when it fits, and from its start when it is wider than the band,
// so that a very long word shows its beginning rather than some middle part of it.
void ShowInBand(QLabel& band, const QString& text);

}  // namespace lexaro
