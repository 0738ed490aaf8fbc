#pragma once
// Alt and a letter taken by two controls of one window (or two entries of a menu) presses neither:
// Qt only moves between them. These helpers find such letters.
#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QStringList>

#include <string>

namespace keys {

// The texts that share their underlined letter, each group as "text / text"; empty if none do.
inline std::string sharedLetters(const QStringList& texts) {
    QMap<int, QStringList> byKey;
    for (const QString& text : texts) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            byKey[key[0].toCombined()] << text;
    }
    QStringList shared;
    for (const QStringList& group : byKey)
        if (group.size() > 1)
            shared << group.join(QStringLiteral(" / "));
    return shared.join(QStringLiteral("; ")).toStdString();
}

// What a window's buttons, labels of a field and group boxes that would show with it read.
inline QStringList textsOf(const QWidget& window) {
    QStringList texts;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window))
            continue;
        if (const auto* b = qobject_cast<const QAbstractButton*>(w))
            texts << b->text();
        else if (const auto* l = qobject_cast<const QLabel*>(w); l && l->buddy())
            texts << l->text();
        else if (const auto* g = qobject_cast<const QGroupBox*>(w))
            texts << g->title();
    }
    return texts;
}

inline QStringList textsOf(const QMenu& menu) {
    QStringList texts;
    for (const QAction* a : menu.actions())
        if (a->isVisible() && !a->isSeparator())
            texts << a->text();
    return texts;
}

} // namespace keys
