#include "ui/BandCaption.h"

#include <QFontMetrics>
#include <QLabel>

namespace lexaro {

void ShowInBand(QLabel& band, const QString& text) {
    const QFontMetrics metrics(band.font());
    const qint64 room = band.contentsRect().width();
    // Most words fit by the widest glyph alone; only the others are measured.
    const bool fits =
        text.size() * qint64{metrics.maxWidth()} <= room || metrics.horizontalAdvance(text) <= room;
    const Qt::Alignment alignment = (fits ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    if (band.alignment() != alignment) {
        band.setAlignment(alignment);
    }
    band.setText(text);
}

}  // namespace lexaro
