#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

namespace rt {

// Breaks prose into the lines of a text area, at blanks only, so that every line fits `room`
// pixels in the font of `metrics`. Every line of text starts with three blanks.
//
// The source is a series of paragraphs separated by empty lines; an empty line is shown between
// them. Within a paragraph a line break is just a blank, except:
//   - a line that starts with '|' is shown as it stands (without the '|'), on a line of its own;
//   - a paragraph that starts with "* " is an entry: its further lines are indented by three
//     more blanks;
//   - '~' is a blank at which the line is not broken ("7~Sekunden").
// A word that ends in a hyphen ("Muskel-") stays on the line of the word after it ("und"), so
// that no line ends in a hyphen the source did not write at a line's end itself.
QStringList breakProse(const QString& source, const QFontMetrics& metrics, int room);

// Read-only text whose lines the area makes itself from prose (see breakProse), for the width
// it shows; the widget's own wrapping is off, so each line is shown exactly as made. White,
// black text, an optional vertical scroll bar.
class ProseArea : public QPlainTextEdit {
public:
    static constexpr int kFontPixels = 11;
    static QFont proseFont();

    explicit ProseArea(QWidget* parent);

    void setVerticalBar(bool on);
    bool hasVerticalBar() const { return verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn; }

    void setProse(const QString& source);
    const QString& prose() const { return source_; }
    // The lines as shown.
    QStringList lines() const;
    // The pixels a line may take: the visible width minus the text's margins.
    int lineRoom() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    QString source_;
    int laidOutRoom_ = -1;
};

} // namespace rt
