#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QString>

namespace miravel::desktop {

// Draws a text that changes a digit or two at a time, as a clock's does, from
// images of its pieces drawn once each: every digit, and every run of other
// characters (":", " PM"). Laying out, shaping and drawing a text through
// the toolkit costs more than all else the clock does in a second.
//
// Pieces are drawn over the background, as the toolkit draws text, and put
// side by side at whole pixels, each as wide as its advance, so a piece's ink
// may lie a fraction of a pixel from where the toolkit would put it. Where
// italic ink leans over a neighbour's, the pixel farther from the background
// wins. Texts whose characters depend on their neighbours or on their
// direction (joining and reordering scripts, right-to-left text, combining
// marks) are drawn whole by the toolkit instead.
class TextCells {
public:
    // Draws text into image, which is filled with background, left-aligned and
    // centred vertically in box (logical pixels), as the toolkit's AlignLeft |
    // AlignVCenter would, in font and colour, at image's device pixel ratio.
    void draw(QImage& image, const QRect& box, const QFont& font, const QColor& colour, const QColor& background,
              const QString& text);

    // True when text is put together from pieces.
    static bool composable(const QString& text);

private:
    struct Piece {
        QImage image;    // from where the ink may start, left of the origin for italics
        int originX = 0; // the piece's origin in the image, in logical pixels
        qreal advance = 0;
    };
    const Piece& piece(const QString& characters);

    // What the pieces were drawn for; other settings start afresh.
    QFont font_;
    QColor colour_;
    QColor background_;
    int height_ = -1;
    qreal devicePixelRatio_ = 0;
    QHash<QString, Piece> pieces_;
};

} // namespace miravel::desktop
