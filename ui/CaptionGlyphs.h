// The glyphs of a caption that changes twice a second, taken from one
// laying-out per font instead of one per change. Only characters that lay
// out alike on their own and beside one another are taken (digits,
// separators, Latin letters, spaces): a character that kerns, joins, turns
// the writing direction or comes from another font leaves the caption to be
// laid out whole, as before.
#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QRawFont>
#include <QString>

#include <array>
#include <bitset>

class CaptionGlyphs {
public:
    // A caption placed from single glyphs, left-aligned at 0 with its baseline
    // where a laid-out line of the font has it.
    struct Run {
        QList<quint32> indexes;
        QList<QPointF> positions;
        // Per character, the horizontal extent of its ink (at least its
        // advance), so that a change can be repainted alone.
        QList<qreal> inkLeft;
        QList<qreal> inkRight;
    };

    explicit CaptionGlyphs(const QFont& font);

    // Places text, or returns false when any of its characters must be laid
    // out in context.
    bool Place(const QString& text, Run& run);

    // Draws the glyphs of a placed caption whose ink reaches into `area`.
    void Draw(QPainter& painter, const Run& run, const QRect& area) const;

    // The horizontal span, in pixels and rounded outwards, that can differ
    // between two placed captions: from the first character they do not share.
    // Empty when they are the same.
    static std::pair<int, int> ChangedSpan(const QString& before, const Run& was, const QString& after,
                                           const Run& is);

private:
    struct Glyph {
        quint32 index;
        qreal advance;
        qreal inkLeft;
        qreal inkRight;
    };
    bool Learn(const QString& text);
    static bool Simple(QChar c);
    const Glyph* Find(QChar c) const;

    QFont font_;
    QRawFont raw_;
    qreal baseline_ = 0;
    QHash<char16_t, Glyph> known_;
    // The ASCII ones again, found without hashing: digits, points, commas and
    // spaces are most of what changes twice a second.
    std::array<Glyph, 128> ascii_{};
    std::bitset<128> asciiKnown_;
    // Characters found to need their neighbours; never tried again.
    QString refused_;
};
