#include "desktop/MoreSettings.h"

#include "desktop/Awareness.h"
#include "runtime/Accessibility.h"
#include "runtime/ProgramTexts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace desk {

namespace {

const QString kNotOffered = QStringLiteral("nicht verfügbar auf diesem Desktop");
const QString kBreaksNote = QStringLiteral("Diese Zeit ohne Tastatur und Maus zählt als Pause.");

// A line of smaller, quieter text below a control, indented like the control's text. The
// program's font is set in pixels, a desktop's in points: whichever it has is made smaller.
QLabel* note(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    QFont f = label->font();
    constexpr double kSmaller = 0.9;
    if (f.pixelSize() > 0)
        f.setPixelSize(std::max(1, int(std::lround(f.pixelSize() * kSmaller))));
    else if (f.pointSizeF() > 0)
        f.setPointSizeF(f.pointSizeF() * kSmaller);
    label->setFont(f);
    label->setContentsMargins(22, 0, 0, 0);
    return label;
}

QString shown(const QString& what) {
    return what.isEmpty() ? QStringLiteral("nicht verfügbar") : what;
}

} // namespace

DesktopFindings findings(const Awareness& a, const QString& panel) {
    DesktopFindings f;
    f.offers.idleTime = !a.awayName(AwayKind::IdleTime).isEmpty();
    f.offers.fullScreen = !a.holdName(HoldKind::FullScreen).isEmpty();
    f.offers.doNotDisturb = !a.holdName(HoldKind::DoNotDisturb).isEmpty();
    f.offers.inhibitors = !a.holdName(HoldKind::Inhibitor).isEmpty();
    f.offers.panel = !panel.isEmpty();
    f.detected = {
        {QStringLiteral("Ruhezeit"), a.awayName(AwayKind::IdleTime)},
        {QStringLiteral("Sperre und Ruhezustand"), a.awayName(AwayKind::LockAndSleep)},
        {QStringLiteral("Vollbild"), a.holdName(HoldKind::FullScreen)},
        {QStringLiteral("Nicht stören"), a.holdName(HoldKind::DoNotDisturb)},
        {QStringLiteral("Bildschirm wach gehalten"), a.holdName(HoldKind::Inhibitor)},
        {QStringLiteral("Symbol im Panel"), panel},
    };
    return f;
}

MoreSettings::MoreSettings(const Preferences& prefs, const DesktopOffers& offers,
                           const DetectedLines& detected, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      prefs_(prefs), given_(prefs), offers_(offers) {
    setWindowTitle(QStringLiteral("Weitere Einstellungen") + QLatin1String(rt::kCaptionSuffix));
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
    breaksNote_ = note(breaks, kBreaksNote);
    breaksLayout->addWidget(breaksNote_);
    layout->addWidget(breaks);

    // The reasons for holding a prompt back until they have passed.
    auto* holds = new QGroupBox(QStringLiteral("Erinnerungen zurückhalten"), this);
    auto* holdsLayout = new QVBoxLayout(holds);
    fullScreen_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm im "
                                         "&Vollbild läuft"),
                          &Preferences::holdFullScreen, &DesktopOffers::fullScreen);
    // GNOME and KDE both call their switch so.
    doNotDisturb_ = holdBox(holds,
                            QStringLiteral("Nicht stören, solange „Nicht stören“ "
                                           "&eingeschaltet ist"),
                            &Preferences::holdDoNotDisturb, &DesktopOffers::doNotDisturb);
    inhibitors_ = holdBox(holds,
                          QStringLiteral("Nicht stören, solange ein Programm den "
                                         "Bildschirm &wach hält (Video, Anruf)"),
                          &Preferences::holdInhibitors, &DesktopOffers::inhibitors);
    holdsLayout->addWidget(note(holds, QStringLiteral("Eine zurückgehaltene Erinnerung "
                                                      "erscheint, sobald der Grund entfällt.")));
    layout->addWidget(holds);

    // Where the board waits between reminders.
    auto* panel = new QGroupBox(QStringLiteral("Panel"), this);
    new QVBoxLayout(panel);
    panel_ = holdBox(panel, QStringLiteral("Im &Panel statt im kleinen Fenster warten"),
                     &Preferences::waitInPanel, &DesktopOffers::panel);
    panelNote_ = note(panel, QStringLiteral("Das Symbol im Panel zeigt, wann die nächste "
                                            "Erinnerung kommt; ein Klick darauf zeigt das kleine "
                                            "Fenster."));
    panel->layout()->addWidget(panelNote_);
    layout->addWidget(panel);

    // What the program found here; text only, out of the way of the keyboard.
    auto* found = new QGroupBox(QStringLiteral("Auf diesem Desktop erkannt"), this);
    found_ = new QFormLayout(found);
    nothingFound_ = new QLabel(QStringLiteral("Keine Angaben"), found);
    found_->addRow(nothingFound_);
    showDetected(detected);
    layout->addWidget(found);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    close_ = new QPushButton(QStringLiteral("&Schließen"), this);
    close_->setDefault(true);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    // Fill in, then follow every change.
    minutes_->setValue(prefs_.naturalBreakMinutes);
    showOffers();
    connect(naturalBreak_, &QCheckBox::toggled, this, [this](bool on) {
        prefs_.naturalBreak = on;
        updateEnabled();
    });
    connect(minutes_, &QSpinBox::valueChanged, this,
            [this](int value) { prefs_.naturalBreakMinutes = value; });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    // Row by row, top to bottom.
    setTabOrder(naturalBreak_, minutes_);
    setTabOrder(minutes_, fullScreen_);
    setTabOrder(fullScreen_, doNotDisturb_);
    setTabOrder(doNotDisturb_, inhibitors_);
    setTabOrder(inhibitors_, panel_);
    setTabOrder(panel_, close_);
}

QCheckBox* MoreSettings::holdBox(QWidget* parent, const QString& text, bool Preferences::*value,
                                 bool DesktopOffers::*offered) {
    auto* box = new QCheckBox(text, parent);
    parent->layout()->addWidget(box);
    QLabel* why = note(parent, kNotOffered);
    parent->layout()->addWidget(why);
    offered_.push_back({box, why, value, offered});
    // Only the user's own clicks change the value: a switch the desktop no longer offers is
    // shown off, and keeps what was chosen.
    connect(box, &QCheckBox::toggled, this, [this, value](bool on) { prefs_.*value = on; });
    return box;
}

void MoreSettings::setDesktop(const DesktopOffers& offers, const DetectedLines& detected) {
    offers_ = offers;
    showOffers();
    showDetected(detected);
}

void MoreSettings::showOffers() {
    for (const Offered& o : offered_) {
        const bool offered = offers_.*o.offered;
        const QSignalBlocker quiet(o.box);
        o.box->setChecked(offered && prefs_.*o.value);
        o.box->setEnabled(offered);
        o.box->setAccessibleDescription(offered ? QString() : kNotOffered);
        o.note->setVisible(!offered);
    }
    panelNote_->setVisible(offers_.panel);
    {
        const QSignalBlocker quiet(naturalBreak_);
        naturalBreak_->setChecked(offers_.idleTime && prefs_.naturalBreak);
    }
    naturalBreak_->setAccessibleDescription(offers_.idleTime ? QString() : kNotOffered);
    breaksNote_->setText(offers_.idleTime ? kBreaksNote : kNotOffered);
    updateEnabled();
}

void MoreSettings::showDetected(const DetectedLines& detected) {
    for (const auto& [label, what] : detected) {
        const auto line = std::find_if(detected_.begin(), detected_.end(),
                                       [&label](const auto& l) { return l.first == label; });
        if (line != detected_.end()) {
            line->second->setText(shown(what));
            continue;
        }
        auto* value = new QLabel(shown(what), found_->parentWidget());
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        found_->addRow(label + QLatin1Char(':'), value);
        detected_.append({label, value});
    }
    nothingFound_->setVisible(detected_.isEmpty());
}

void MoreSettings::updateEnabled() {
    naturalBreak_->setEnabled(offers_.idleTime);
    const bool length = offers_.idleTime && naturalBreak_->isChecked();
    minutesBefore_->setEnabled(length);
    minutes_->setEnabled(length);
    minutesAfter_->setEnabled(length);
}

// The window opens with its first control focused and the focus shown, as after a Tab: Qt
// draws the focus frame only once the keyboard has moved the focus in a window.
void MoreSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    for (QWidget* first : std::initializer_list<QWidget*>{
             naturalBreak_, minutes_, fullScreen_, doNotDisturb_, inhibitors_, panel_, close_}) {
        if (first->isEnabled()) {
            rt::showFocus(first);
            break;
        }
    }
}

QStringList MoreSettings::detectedLines() const {
    QStringList lines;
    for (const auto& [label, value] : detected_)
        lines << label + QStringLiteral(": ") + value->text();
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
