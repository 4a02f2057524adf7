#include "CaptionGlyphs.h"

#include <QGlyphRun>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Taken with the first characters learnt, so a count growing a digit at a
// time is shaped once rather than at each new digit.
const QString Digits = QStringLiteral("0123456789");
// How far antialiasing may reach past a glyph's ink box, in pixels.
constexpr int Fringe = 2;
} // namespace

CaptionGlyphs::CaptionGlyphs(const QFont& font) : font_(font)
{
}

bool CaptionGlyphs::Simple(QChar c)
{
    if (c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Format
        || c.category() == QChar::Other_Control)
        return false;
    switch (c.direction()) {
    case QChar::DirL:
    case QChar::DirEN:
    case QChar::DirES:
    case QChar::DirET:
    case QChar::DirCS:
    case QChar::DirWS:
        // Latin letters only: other scripts may shape in context.
        return c.direction() != QChar::DirL || c.script() == QChar::Script_Latin;
    default:
        return false;
    }
}

bool CaptionGlyphs::Learn(const QString& text)
{
    QString wanted;
    for (QChar c : text) {
        if (known_.contains(c.unicode()) || wanted.contains(c))
            continue;
        if (refused_.contains(c) || !Simple(c)) {
            if (!refused_.contains(c))
                refused_ += c;
            return false;
        }
        wanted += c;
    }
    if (known_.isEmpty())
        for (QChar c : Digits)
            if (!wanted.contains(c))
                wanted += c;

    // Every character beside every other, both ways round: a kerning pair,
    // a ligature or a change of font shows as a character whose glyph or
    // advance depends on its neighbour.
    QString all = wanted;
    for (auto it = known_.keyBegin(); it != known_.keyEnd(); ++it)
        all += QChar(*it);
    QString probe;
    probe.reserve(2 * all.size() * all.size());
    for (QChar a : all)
        for (QChar b : all) {
            probe += a;
            probe += b;
        }

    QTextLayout layout(probe, font_);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLeadingIncluded(true);
    line.setNumColumns(probe.size());
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();

    const auto refuse = [&] {
        refused_ += wanted;
        return false;
    };
    if (runs.size() != 1 || runs[0].glyphIndexes().size() != probe.size())
        return refuse();
    const QGlyphRun& run = runs[0];
    if (!raw_.isValid())
        raw_ = run.rawFont();
    if (run.rawFont() != raw_ || run.isRightToLeft())
        return refuse();
    const QList<quint32> indexes = run.glyphIndexes();
    const QList<QPointF> at = run.positions();
    if (known_.isEmpty())
        baseline_ = at[0].y();
    if (at[0].x() != 0)
        return refuse();

    QHash<char16_t, Glyph> learnt = known_;
    for (qsizetype k = 0; k + 1 < probe.size(); ++k) {
        if (at[k].y() != baseline_)
            return refuse();
        const Glyph g{indexes[k], at[k + 1].x() - at[k].x(), 0, 0};
        const auto found = learnt.constFind(probe[k].unicode());
        if (found == learnt.cend())
            learnt.insert(probe[k].unicode(), g);
        else if (found->index != g.index || found->advance != g.advance)
            return refuse();
    }
    for (auto it = learnt.begin(); it != learnt.end(); ++it) {
        const QRectF ink = raw_.boundingRect(it->index);
        it->inkLeft = std::min<qreal>(0, ink.left());
        it->inkRight = std::max(it->advance, ink.right());
    }
    known_ = std::move(learnt);
    for (auto it = known_.cbegin(); it != known_.cend(); ++it)
        if (it.key() < ascii_.size()) {
            ascii_[it.key()] = *it;
            asciiKnown_.set(it.key());
        }
    return true;
}

const CaptionGlyphs::Glyph* CaptionGlyphs::Find(QChar c) const
{
    const char16_t u = c.unicode();
    if (u < ascii_.size())
        return asciiKnown_.test(u) ? &ascii_[u] : nullptr;
    const auto found = known_.constFind(u);
    return found == known_.cend() ? nullptr : &*found;
}

bool CaptionGlyphs::Place(const QString& text, Run& run)
{
    for (QChar c : text)
        if (!Find(c)) {
            if (!Learn(text))
                return false;
            break;
        }
    const qsizetype n = text.size();
    run.indexes.resize(n);
    run.positions.resize(n);
    run.inkLeft.resize(n);
    run.inkRight.resize(n);
    qreal x = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const Glyph& g = *Find(text[i]);
        run.indexes[i] = g.index;
        run.positions[i] = QPointF(x, baseline_);
        run.inkLeft[i] = x + g.inkLeft;
        run.inkRight[i] = x + g.inkRight;
        x += g.advance;
    }
    return true;
}

void CaptionGlyphs::Draw(QPainter& painter, const Run& run, const QRect& area) const
{
    // Most repaints are of the last few digits; the others are clipped away
    // anyway, so they are not handed to the painter at all.
    qsizetype first = 0;
    qsizetype last = run.indexes.size();
    while (first < last && run.inkRight[first] + Fringe <= area.left())
        ++first;
    while (last > first && run.inkLeft[last - 1] - Fringe >= area.right() + 1)
        --last;
    if (first == last)
        return;
    QGlyphRun part;
    part.setRawFont(raw_);
    part.setRawData(run.indexes.constData() + first, run.positions.constData() + first,
                    static_cast<int>(last - first));
    painter.drawGlyphRun(QPointF(0, 0), part);
}

std::pair<int, int> CaptionGlyphs::ChangedSpan(const QString& before, const Run& was, const QString& after,
                                               const Run& is)
{
    qsizetype same = 0;
    while (same < before.size() && same < after.size() && before[same] == after[same])
        ++same;
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (const Run* run : {&was, &is})
        for (qsizetype j = same; j < run->inkLeft.size(); ++j) {
            left = std::min(left, run->inkLeft[j]);
            right = std::max(right, run->inkRight[j]);
        }
    if (left > right)
        return {0, 0};
    return {static_cast<int>(std::floor(left)) - Fringe, static_cast<int>(std::ceil(right)) + Fringe};
}
