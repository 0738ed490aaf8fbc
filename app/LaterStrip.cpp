#include "app/LaterStrip.h"

#include "runtime/Accessibility.h"
#include "runtime/Controls.h"
#include "runtime/Form.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

LaterStrip::LaterStrip(QWidget* parent)
    : QWidget(parent), button_(new QPushButton(this)), line_(new QLabel(this)) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xc0, 0xc0, 0xc0));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->addWidget(line_, 1);
    row->addStretch(); // the button keeps to the right, as small as its text
    row->addWidget(button_);
    line_->setFont(rt::pixelFont(12));
    button_->setFont(rt::pixelFont(12));
    // Reached by Tab once the user turns to the prompt; never the focus a prompt comes with.
    rt::Form::setTabOnly(button_);
    button_->installEventFilter(this);
    QObject::connect(button_, &QPushButton::clicked, this, [this] {
        if (onLater)
            onLater();
    });
    hide();
}

void LaterStrip::offer(int minutes, int done, int limit) {
    const bool more = limit <= 0 || done < limit;
    button_->setVisible(more);
    line_->setVisible(!more);
    const QString text = QStringLiteral("Später (%1 Min.)").arg(minutes);
    button_->setText(text);
    rt::describe(button_, text,
                 QStringLiteral("Verschiebt diese Erinnerung um %1 Minuten.").arg(minutes));
    line_->setText(
        more ? QString()
             : QStringLiteral("Schon %1-mal nacheinander verschoben: jetzt nicht mehr.").arg(done));
}

bool LaterStrip::offered() const {
    return !button_->isHidden();
}

QString LaterStrip::line() const {
    return line_->isHidden() ? QString() : line_->text();
}

// Qt gives a window that becomes active and has no focus the first control Tab would reach: the
// watchdog's prompt, coming up in the window the user was typing in, would take the next Enter
// for "Später". It waits for Tab.
bool LaterStrip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == button_ && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason)
        button_->clearFocus();
    return QWidget::eventFilter(watched, event);
}
