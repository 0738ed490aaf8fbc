#include "info/UImpressum.h"
#include "info/HelpTexts.h"
#include "runtime/Accessibility.h"
#include "runtime/Pictures.h"
#include "runtime/ProgramTexts.h"

#include <QImage>

#include <algorithm>

namespace {

const char* const kQualifikationen = R"(
|Worauf Quillet steht

Quillet ist in C++20 geschrieben. Fenster und Bedienelemente stammen aus Qt~6 Widgets. Die
JPEG-Bilder liest libjpeg-turbo, die BMP- und PNG-Bilder lesen die Bildleser von Qt. Die Ansagen
liest libsndfile, und libpulse spielt sie über den Tonserver des Desktops ab (PulseAudio oder
PipeWire).

Alle Bilder zeichnet unser eigener Bildgenerator: eine bewegliche Figur aus runden Körpern, dazu
Räume, Landschaften und Symbole, alles aus Programmcode, nichts von Hand und nichts aus fremden
Quellen. Die gesprochenen Anleitungen erzeugt eSpeak NG mit seiner deutschen Stimme; SoX macht
sie ruhiger und gleicht die Lautstärke an. Das Rauschen und die Welle des Vorspanns, den Gong und
den Ton unter dem Mantra berechnet ein kleines Programm Abtastwert für Abtastwert.

|Wie Quillet geprüft wird

Unit- und Widget-Tests mit GoogleTest prüfen die Einstellungsdatei, die Übungsabläufe und die
Fenster mit echten Qt-Widgets. Jeder Testlauf wiederholt alle Tests unter AddressSanitizer und
UndefinedBehaviorSanitizer. Weitere Tests starten das fertige Programm unter einem echten
Fenstermanager (Openbox auf einem virtuellen X-Server) und prüfen, was Sie zu sehen bekommen.
Benchmarks messen das Laden der Bilder, den Takt der Übungen, den Programmstart und den Verbrauch
im Wartezustand.

|Lizenzen

Der Programmcode steht unter der GNU General Public License, Version~3 oder später
(GPL-3.0-or-later). Die Bilder und die Ansagen stehen unter der Lizenz Creative Commons
Namensnennung – Weitergabe unter gleichen Bedingungen 4.0~International (CC~BY-SA~4.0).
)";

const char* const kRepository = R"(
Quillet ist freie Software. Den Quelltext, den Bildgenerator, die Werkzeuge für die Ansagen und
die Lizenzen finden Sie im Projekt-Repository, aus dem Ihr Quillet stammt.
)";

const char* const kIssues = R"(
Fragen, Fehler und Wünsche: im Fehlerverfolgungssystem (Issues) des Projekt-Repositorys. Bitte
nennen Sie dabei die Version aus der Titelzeile und beschreiben Sie, was Sie getan haben und was
daraufhin geschah.
)";

// The frame around a picture.
const QColor kFrameColor(0x8a, 0x74, 0x5c);
constexpr int kFrame = 6;

QFont labelFont(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* newLabel(QWidget* page, const char* text, int pixels, bool bold) {
    auto* label = new QLabel(QString::fromUtf8(text), page);
    label->setFont(labelFont(pixels, bold));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

rt::Image* newPicture(QWidget* parent, const char* name) {
    auto* image = new rt::Image(parent);
    const QString path = QStringLiteral(":/design/") + QLatin1String(name);
    image->setPicture(rt::designPicture(path), path);
    return image;
}

// A picture in a frame: the panel is the frame, the picture lies inside it at its own size.
rt::Panel* newFramed(QWidget* page, rt::Image*& image, const char* name) {
    auto* panel = new rt::Panel(page, kFrameColor);
    image = newPicture(panel, name);
    const QSize size = image->bitmap().size();
    panel->resize(size.width() + 2 * kFrame, size.height() + 2 * kFrame);
    image->setGeometry(kFrame, kFrame, size.width(), size.height());
    return panel;
}

rt::ProseArea* newProse(QWidget* page, const char* text, bool bar) {
    auto* memo = new rt::ProseArea(page);
    memo->setVerticalBar(bar);
    memo->setProse(QString::fromUtf8(text));
    return memo;
}

} // namespace

TFImpressum::TFImpressum() : Form(new rt::Form) {
    Form->setCaption(QStringLiteral("Impressum"));
    Form->setBorder(rt::Form::Border::Dialog);
    Form->setOuterSize(kOuterWidth, kOuterHeight);

    TNB1 = new rt::Notebook(Form);

    QWidget* brand = TNB1->addPage(QStringLiteral(" Quillet "));
    Image7 = newPicture(brand, "impressum_marke.png");

    QWidget* studio = TNB1->addPage(QStringLiteral(" Unser Zeichenstudio "));
    Label1 = newLabel(studio,
                      "Herzlichen Dank an die freien Projekte, ohne die es Quillet nicht gäbe:", 13,
                      false);
    Panel1 = newFramed(studio, Image2, "impressum_ort.png");
    Label2 =
        newLabel(studio, "Qt, libjpeg-turbo, libsndfile, PulseAudio, eSpeak NG und SoX.", 13, true);

    QWidget* makers = TNB1->addPage(QStringLiteral("  Die Autoren   "));
    Panel2 = newFramed(makers, Image3, "impressum_autor1.png");
    Panel3 = newFramed(makers, Image1, "impressum_autor2.png");
    Label3 = newLabel(makers, "das Quillet-Team: Programm", 12, true);
    Label4 = newLabel(makers, "das Quillet-Team: Bilder und Ton", 12, true);
    Label6 = newLabel(makers, "bei der täglichen ", 15, true);
    Label7 = newLabel(makers, "„Schreibtischarbeit“", 15, true);

    QWidget* skills = TNB1->addPage(QStringLiteral("   Qualifikationen   "));
    Memo3 = newProse(skills, kQualifikationen, true);

    QWidget* contact = TNB1->addPage(QStringLiteral("  Kontakt  "));
    Memo1 = newProse(contact, kRepository, false);
    Memo4 = newProse(contact, kIssues, false);
    Image4 = newPicture(contact, "impressum_kontakt.png");
    Image4->setToolTip(QStringLiteral(
        "Wir freuen uns über jede Rückmeldung – ob Lob, Kritik oder eine neue Übungsidee."));

    QWidget* farm = TNB1->addPage(QStringLiteral("   Drehpause  auf dem Bauernhof   "));
    Image5 = newPicture(farm, "impressum_bauernhof.png");

    // What each picture shows, for a screen reader. The contact picture's description is its
    // tooltip.
    rt::describe(
        Image7, QStringLiteral("Quillet – Kleine Pausen für Körper und Geist am Arbeitsplatz"),
        QStringLiteral("Eine Person streckt die Arme nach oben; daneben die Zeichen der vier "
                       "Übungen: Lunge, Figur, Auge und Mond"));
    rt::describe(
        Image2, QStringLiteral("Arbeitsplatz im Zeichenstudio"),
        QStringLiteral("Schreibtisch mit Bildschirm, Tastatur, Pflanze und Tasse vor einem "
                       "Fenster mit Blick auf eine Wiese"));
    rt::describe(Image3, QStringLiteral("Porträt des Quillet-Teams, Programm"),
                 QStringLiteral("Gezeichnetes Gesicht mit braunem Haar und grünem Hemd"));
    rt::describe(Image1, QStringLiteral("Porträt des Quillet-Teams, Bilder und Ton"),
                 QStringLiteral("Gezeichnetes Gesicht mit hellbraunem Haar und rotem Hemd"));
    Image4->setAccessibleName(QStringLiteral("Brief im Umschlag und Bleistift"));
    rt::describe(
        Image5, QStringLiteral("Pause auf dem Bauernhof"),
        QStringLiteral("Eine Person ruht auf einer Bank vor einer roten Scheune, mit Zaun, "
                       "Wiese und Sonne"));

    Form->onGeometry = [this] { FitToFrame(); };
    FormCreate();
}

TFImpressum::~TFImpressum() {
    delete Form;
}

void TFImpressum::FormCreate() {
    Form->setCaption(Form->caption() + QString() + QLatin1String(rt::kCaptionSuffix));
    TNB1->place(-1, 0, Form->outerWidth(), Form->outerHeight());
    TNB1->setPageIndex(0);
    LayOut();
}

void TFImpressum::FitToFrame() {
    if (!TNB1)
        return;
    TNB1->place(-1, 0, Form->outerWidth(), Form->outerHeight());
    LayOut();
}

QRect TFImpressum::VisiblePage() const {
    const QRect page = TNB1->pageRect().translated(TNB1->pos());
    const QRect visible = page & QRect(0, 0, Form->clientWidth(), Form->clientHeight());
    return visible.translated(-page.topLeft());
}

void TFImpressum::LayOut() {
    const QRect area = VisiblePage();
    const int w = area.width(), h = area.height();

    // Pictures that fill their page.
    Image7->setGeometry(area);
    Image5->setGeometry(area);

    // The studio: thanks above and below the framed picture, the three centred together.
    {
        const int lineHeight = 22, gap = 12;
        const int block = lineHeight + gap + Panel1->height() + gap + lineHeight;
        const int top = area.top() + std::max(0, (h - block) / 2);
        Label1->setGeometry(area.left(), top, w, lineHeight);
        Panel1->move(area.left() + (w - Panel1->width()) / 2, top + lineHeight + gap);
        Label2->setGeometry(area.left(), Panel1->geometry().bottom() + 1 + gap, w, lineHeight);
    }

    // The makers: two portraits side by side, each with its name, and the caption below both.
    {
        const int gap = 56, nameGap = 6, nameHeight = 20, captionGap = 18, captionHeight = 22;
        const int pair = Panel2->width() + gap + Panel3->width();
        const int block = Panel2->height() + nameGap + nameHeight + captionGap + 2 * captionHeight;
        const int left = area.left() + (w - pair) / 2;
        const int top = area.top() + std::max(0, (h - block) / 2);
        Panel2->move(left, top);
        Panel3->move(left + Panel2->width() + gap, top);
        const int nameTop = top + Panel2->height() + nameGap;
        Label3->setGeometry(Panel2->x() - gap / 2, nameTop, Panel2->width() + gap, nameHeight);
        Label4->setGeometry(Panel3->x() - gap / 2, nameTop, Panel3->width() + gap, nameHeight);
        const int captionTop = nameTop + nameHeight + captionGap;
        Label6->setGeometry(area.left(), captionTop, w, captionHeight);
        Label7->setGeometry(area.left(), captionTop + captionHeight, w, captionHeight);
    }

    // Built with: one text area over the page.
    Memo3->setGeometry(area.adjusted(8, 8, -8, -8));

    // Contact: the two texts on the left, one above the other, the picture on the right; all
    // three centred on the page's middle.
    {
        const int margin = 16, gap = 24, textGap = 16, textHeight = 116;
        const QSize picture = Image4->bitmap().size();
        const int textWidth = w - 2 * margin - gap - picture.width();
        const int textTop = area.top() + std::max(margin, (h - 2 * textHeight - textGap) / 2);
        Memo1->setGeometry(area.left() + margin, textTop, textWidth, textHeight);
        Memo4->setGeometry(area.left() + margin, textTop + textHeight + textGap, textWidth,
                           textHeight);
        Image4->setGeometry(area.left() + w - margin - picture.width(),
                            area.top() + (h - picture.height()) / 2, picture.width(),
                            picture.height());
    }
}
