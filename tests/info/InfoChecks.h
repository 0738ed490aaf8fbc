#pragma once

#include "runtime/Form.h"
#include "runtime/Notebook.h"
#include "runtime/ProseArea.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTabBar>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace infotest {

// Shows a window (off screen) and lets it lay itself out.
inline void showNow(rt::Form* form) {
    form->show();
    QApplication::processEvents();
}

// Runs `inside` while `form` is open modally, then closes it.
inline void whileOpen(rt::Form* form, const std::function<void()>& inside) {
    QTimer::singleShot(0, form, [form, inside] {
        inside();
        form->close();
    });
    form->showModal();
}

// The pixels a line of `area` may take on screen: its viewport less the text's margins.
inline int shownRoom(const rt::ProseArea* area) {
    return area->viewport()->width() - 2 * int(area->document()->documentMargin());
}

// Every line of a shown text area fits its visible width, and nothing lies beyond it.
inline void expectLinesFit(const rt::ProseArea* area, const QString& what) {
    ASSERT_TRUE(area->isVisible()) << what.toStdString();
    EXPECT_EQ(area->lineWrapMode(), QPlainTextEdit::NoWrap) << what.toStdString();
    const QFontMetrics fm(area->font());
    const int room = shownRoom(area);
    const QStringList lines = area->lines();
    ASSERT_FALSE(lines.isEmpty()) << what.toStdString();
    for (const QString& line : lines)
        EXPECT_LE(fm.horizontalAdvance(line), room)
            << what.toStdString() << ": " << line.toStdString();
    EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << what.toStdString();
}

// Every control on the shown page of `notebook` lies wholly inside the window's client area,
// and every label's text fits its label.
inline void expectPageInside(const rt::Form* form, const rt::Notebook* notebook) {
    QWidget* page = notebook->currentWidget();
    const QRect client = form->rect();
    const QString name = notebook->pageCaption(notebook->pageIndex());
    for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        const QRect onForm(control->mapTo(form, QPoint(0, 0)), control->size());
        EXPECT_TRUE(client.contains(onForm))
            << name.toStdString() << ": " << control->metaObject()->className() << " at "
            << onForm.x() << "," << onForm.y() << " " << onForm.width() << "x" << onForm.height();
        if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
        }
    }
}

} // namespace infotest
