#include "runtime/ProseArea.h"

#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextDocument>

namespace rt {

namespace {

const QString kIndent = QStringLiteral("   ");
const QString kHanging = QStringLiteral("      ");
const QString kDash = QStringLiteral("\u2013");

// A pixel kept free at each end of a line, for the text cursor and rounding.
constexpr int kLineSlack = 2;

// The paragraphs of the source: runs of lines that are not blank.
QList<QStringList> paragraphsOf(const QString& source) {
    QList<QStringList> paragraphs;
    QStringList current;
    for (const QString& line : source.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            if (!current.isEmpty())
                paragraphs << current;
            current.clear();
        } else {
            current << line;
        }
    }
    if (!current.isEmpty())
        paragraphs << current;
    return paragraphs;
}

// The words of running text as units that are never split across lines: a word ending in a
// hyphen goes with the word after it, a dash with the word before it.
QStringList unitsOf(const QStringList& words) {
    QStringList units;
    bool joinNext = false;
    for (const QString& word : words) {
        if (!units.isEmpty() && (joinNext || word == kDash))
            units.last() += QLatin1Char(' ') + word;
        else
            units << word;
        joinNext = word.endsWith(QLatin1Char('-'));
    }
    return units;
}

} // namespace

QStringList breakProse(const QString& source, const QFontMetrics& metrics, int room) {
    QStringList out;
    for (const QStringList& paragraph : paragraphsOf(source)) {
        if (!out.isEmpty())
            out << QString();
        const bool entry = paragraph.first().trimmed().startsWith(QStringLiteral("* "));
        bool firstLine = true;
        QStringList words;

        const auto flow = [&] {
            QString line;
            for (QString unit : unitsOf(words)) {
                unit.replace(QLatin1Char('~'), QLatin1Char(' '));
                const QString lead = firstLine || !entry ? kIndent : kHanging;
                if (line.isEmpty()) {
                    line = lead + unit;
                } else if (metrics.horizontalAdvance(line + QLatin1Char(' ') + unit) <= room) {
                    line += QLatin1Char(' ') + unit;
                } else {
                    out << line;
                    firstLine = false;
                    line = (entry ? kHanging : kIndent) + unit;
                }
            }
            if (!line.isEmpty()) {
                out << line;
                firstLine = false;
            }
            words.clear();
        };

        for (int i = 0; i < paragraph.size(); ++i) {
            QString line = paragraph[i];
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('|'))) {
                flow();
                out << kIndent + line.mid(line.indexOf(QLatin1Char('|')) + 1);
                firstLine = false;
                continue;
            }
            if (i == 0 && entry)
                line = trimmed.mid(2);
            words << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
        flow();
    }
    return out;
}

QFont ProseArea::proseFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kFontPixels);
    return font;
}

ProseArea::ProseArea(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFont(proseFont());
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::white);
        pal.setColor(group, QPalette::Text, Qt::black);
    }
    setPalette(pal);
}

void ProseArea::setVerticalBar(bool on) {
    setVerticalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (!source_.isEmpty() && lineRoom() != laidOutRoom_)
        layOut();
}

void ProseArea::setProse(const QString& source) {
    source_ = source;
    layOut();
}

QStringList ProseArea::lines() const {
    const QString text = toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

int ProseArea::lineRoom() const {
    int visible = 0;
    if (testAttribute(Qt::WA_PendingResizeEvent)) {
        // Not laid out yet: what the viewport will be.
        visible = contentsRect().width();
        if (hasVerticalBar())
            visible -= verticalScrollBar()->sizeHint().width();
    } else {
        visible = viewport()->width();
    }
    return visible - 2 * int(document()->documentMargin()) - 2 * kLineSlack;
}

void ProseArea::layOut() {
    laidOutRoom_ = lineRoom();
    setPlainText(breakProse(source_, QFontMetrics(font()), laidOutRoom_).join(QLatin1Char('\n')));
}

void ProseArea::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (!source_.isEmpty() && lineRoom() != laidOutRoom_)
        layOut();
}

} // namespace rt
