#include "desktop/MoreSettings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace desk {

namespace {

constexpr const char* kCaptionSuffix = "   /   Version 01-03-2009";
const QString kNotOffered = QStringLiteral("nicht verfügbar auf diesem Desktop");

// A line of smaller, quieter text below a control, indented like the control's text.
QLabel* note(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    label->setFont(f);
    label->setContentsMargins(22, 0, 0, 0);
    return label;
}

} // namespace

MoreSettings::MoreSettings(const Preferences& prefs, const DesktopOffers& offers,
                           const QList<QPair<QString, QString>>& detected, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      prefs_(prefs), given_(prefs), offers_(offers) {
    setWindowTitle(QStringLiteral("Weitere Einstellungen") + QLatin1String(kCaptionSuffix));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Natural breaks: the switch, and below it the length.
    auto* breaks = new QGroupBox(QStringLiteral("Natürliche Pausen"), this);
    auto* breaksLayout = new QVBoxLayout(breaks);
    naturalBreak_ = new QCheckBox(QStringLiteral("&Natürliche Pausen erkennen"), breaks);
    breaksLayout->addWidget(naturalBreak_);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->setContentsMargins(22, 0, 0, 0);
    minutesBefore_ = new QLabel(QStringLiteral("nach"), breaks);
    minutes_ = new QSpinBox(breaks);
    minutes_->setRange(kNaturalBreakMinMinutes, kNaturalBreakMaxMinutes);
    minutes_->setAccessibleName(QStringLiteral("Minuten ohne Eingabe bis zur natürlichen Pause"));
    minutesAfter_ = new QLabel(QStringLiteral("&Minuten ohne Eingabe"), breaks);
    minutesAfter_->setBuddy(minutes_);
    lengthRow->addWidget(minutesBefore_);
    lengthRow->addWidget(minutes_);
    lengthRow->addWidget(minutesAfter_);
    lengthRow->addStretch(1);
    breaksLayout->addLayout(lengthRow);
    breaksLayout->addWidget(
        note(breaks, offers.idleTime
                         ? QStringLiteral("Diese Zeit ohne Tastatur und Maus zählt als Pause.")
                         : kNotOffered));
    layout->addWidget(breaks);

    // The reasons for holding a prompt back until they have passed.
    auto* holds = new QGroupBox(QStringLiteral("Erinnerungen zurückhalten"), this);
    auto* holdsLayout = new QVBoxLayout(holds);
    fullScreen_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm im "
                                         "&Vollbild läuft"),
                          &Preferences::holdFullScreen, offers.fullScreen);
    doNotDisturb_ = holdBox(holds,
                            QStringLiteral("Nicht stören, solange der Desktop "
                                           "„&Bitte nicht stören“ zeigt"),
                            &Preferences::holdDoNotDisturb, offers.doNotDisturb);
    inhibitors_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm den "
                                         "Bildschirm &wach hält (Video, Anruf)"),
                          &Preferences::holdInhibitors, offers.inhibitors);
    holdsLayout->addWidget(note(holds, QStringLiteral("Eine zurückgehaltene Erinnerung "
                                                      "erscheint, sobald der Grund entfällt.")));
    layout->addWidget(holds);

    // Where the board waits between reminders.
    auto* panel = new QGroupBox(QStringLiteral("Panel"), this);
    new QVBoxLayout(panel);
    panel_ = holdBox(panel, QStringLiteral("Im &Panel statt im kleinen Fenster warten"),
                     &Preferences::waitInPanel, offers.panel);
    if (offers.panel)
        panel->layout()->addWidget(
            note(panel, QStringLiteral("Das Symbol im Panel zeigt, wann die nächste Erinnerung "
                                       "kommt; ein Klick darauf zeigt das kleine Fenster.")));
    layout->addWidget(panel);

    // What the program found here; text only, out of the way of the keyboard.
    auto* found = new QGroupBox(QStringLiteral("Auf diesem Desktop erkannt"), this);
    auto* foundLayout = new QFormLayout(found);
    for (const auto& [label, what] : detected) {
        auto* value = new QLabel(what.isEmpty() ? QStringLiteral("nicht verfügbar") : what, found);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        foundLayout->addRow(label + QLatin1Char(':'), value);
        detected_.append(value);
    }
    if (detected.isEmpty())
        foundLayout->addRow(new QLabel(QStringLiteral("Keine Angaben"), found));
    layout->addWidget(found);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    close_ = new QPushButton(QStringLiteral("&Schließen"), this);
    close_->setDefault(true);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    // Fill in, then follow every change.
    naturalBreak_->setChecked(offers.idleTime && prefs_.naturalBreak);
    minutes_->setValue(prefs_.naturalBreakMinutes);
    connect(naturalBreak_, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.naturalBreak = on;
        updateEnabled();
    });
    connect(minutes_, &QSpinBox::valueChanged, this,
            [this](int value) { prefs_.naturalBreakMinutes = value; });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    updateEnabled();

    // Row by row, top to bottom.
    setTabOrder(naturalBreak_, minutes_);
    setTabOrder(minutes_, fullScreen_);
    setTabOrder(fullScreen_, doNotDisturb_);
    setTabOrder(doNotDisturb_, inhibitors_);
    setTabOrder(inhibitors_, panel_);
    setTabOrder(panel_, close_);
}

QCheckBox* MoreSettings::holdBox(QWidget* parent, const QString& text, bool Preferences::*member,
                                 bool offered) {
    auto* box = new QCheckBox(text, parent);
    parent->layout()->addWidget(box);
    box->setChecked(offered && prefs_.*member);
    box->setEnabled(offered);
    if (!offered) {
        box->setAccessibleDescription(kNotOffered);
        parent->layout()->addWidget(note(parent, kNotOffered));
    }
    connect(box, &QCheckBox::toggled, this, [this, member](bool on) { prefs_.*member = on; });
    return box;
}

void MoreSettings::updateEnabled() {
    naturalBreak_->setEnabled(offers_.idleTime);
    if (!offers_.idleTime)
        naturalBreak_->setAccessibleDescription(kNotOffered);
    const bool length = offers_.idleTime && naturalBreak_->isChecked();
    minutesBefore_->setEnabled(length);
    minutes_->setEnabled(length);
    minutesAfter_->setEnabled(length);
}

QStringList MoreSettings::detectedLines() const {
    QStringList lines;
    auto* form = detected_.isEmpty() ? nullptr : detected_.first()->parentWidget();
    for (QLabel* value : detected_) {
        auto* layout = static_cast<QFormLayout*>(form->layout());
        const auto* label = qobject_cast<QLabel*>(layout->labelForField(value));
        lines << (label ? label->text() : QString()) + QLatin1Char(' ') + value->text();
    }
    return lines;
}

void MoreSettings::done(int result) {
    // A length typed but not yet confirmed counts as well.
    minutes_->interpretText();
    if (prefs_ != given_) {
        if (file)
            file->save(prefs_);
        given_ = prefs_;
        if (changed)
            changed(prefs_);
    }
    QDialog::done(result);
}

} // namespace desk
