#include "desktop/text_cells.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace miravel::desktop {

namespace {

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// piece's pixels into image at (x, y) in device pixels, the ink of both kept.
void putInk(QImage& image, const QImage& piece, int x, int y, QRgb background) {
    const QRect onImage = QRect(x, y, piece.width(), piece.height()) & image.rect();
    for (int row = onImage.top(); row <= onImage.bottom(); ++row) {
        auto* to = reinterpret_cast<QRgb*>(image.scanLine(row));
        const auto* from = reinterpret_cast<const QRgb*>(piece.constScanLine(row - y));
        for (int column = onImage.left(); column <= onImage.right(); ++column) {
            const QRgb pixel = from[column - x];
            if (pixel == background) continue;
            if (to[column] == background || distance(pixel, background) > distance(to[column], background))
                to[column] = pixel;
        }
    }
}

} // namespace

bool TextCells::composable(const QString& text) {
    // Latin letters and the common digits and signs, none of which joins,
    // reorders or turns round.
    for (const QChar c : text) {
        if (c.unicode() >= 0x250 && !c.isSpace()) return false;
        if (c.isMark() || c.direction() == QChar::DirR || c.direction() == QChar::DirAL) return false;
    }
    return true;
}

const TextCells::Piece& TextCells::piece(const QString& characters) {
    auto found = pieces_.constFind(characters);
    if (found != pieces_.constEnd()) return *found;
    const QFontMetricsF metrics(font_);
    const QRectF ink = metrics.boundingRect(characters);
    Piece piece;
    piece.advance = metrics.horizontalAdvance(characters);
    // Italic ink leans out of the advance on either side.
    piece.originX = static_cast<int>(std::ceil(std::max<qreal>(0, -ink.left())));
    const int width = piece.originX + static_cast<int>(std::ceil(std::max(piece.advance, ink.right()))) + 1;
    piece.image = QImage(QSize(width, height_) * devicePixelRatio_, QImage::Format_ARGB32_Premultiplied);
    piece.image.setDevicePixelRatio(devicePixelRatio_);
    piece.image.fill(background_);
    QPainter painter(&piece.image);
    painter.setFont(font_);
    painter.setPen(colour_);
    painter.drawText(QRect(piece.originX, 0, width - piece.originX, height_), Qt::AlignLeft | Qt::AlignVCenter,
                     characters);
    painter.end();
    return *pieces_.insert(characters, std::move(piece));
}

void TextCells::draw(QImage& image, const QRect& box, const QFont& font, const QColor& colour,
                     const QColor& background, const QString& text) {
    if (!composable(text)) {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, text);
        return;
    }
    const qreal ratio = image.devicePixelRatio();
    if (font != font_ || colour != colour_ || background != background_ || box.height() != height_ ||
        ratio != devicePixelRatio_) {
        pieces_.clear();
        font_ = font;
        colour_ = colour;
        background_ = background;
        height_ = box.height();
        devicePixelRatio_ = ratio;
    }
    qreal x = box.left();
    for (qsizetype start = 0; start < text.size();) {
        // A digit alone, or every other character up to the next digit.
        qsizetype end = start + 1;
        if (!text[start].isDigit()) {
            while (end < text.size() && !text[end].isDigit()) ++end;
        }
        const Piece& p = piece(text.mid(start, end - start));
        putInk(image, p.image, static_cast<int>(std::lround((x - p.originX) * ratio)),
               static_cast<int>(std::lround(box.top() * ratio)), background.rgba());
        x += p.advance;
        start = end;
    }
}

} // namespace miravel::desktop
