#include "info/HelpTexts.h"

// Paragraphs are separated by an empty line; "* " starts an entry with indented further lines,
// "~" is a blank the line is not broken at, "|" keeps a line as it stands.
// Nothing here is hyphenated by hand: the text area breaks the lines at blanks for its width.

namespace {

const char* const kEinfuehrung = R"(
zentration und Ausdauer. Wer viele Stunden sitzt und auf den Bildschirm blickt, spürt es oft
erst am Abend: im Nacken, in den Schultern, im Rücken und in den Augen. Quillet lädt Sie ein, die
Arbeit regelmäßig für wenige Minuten zu unterbrechen und dabei etwas für sich zu tun.

Vier angeleitete Übungsfolgen stehen bereit: Atemübungen, Körperübungen am Schreibtisch,
Augenübungen und Entspannungsübungen. Jede führt Sie mit Bildern, einer gesprochenen Anleitung
und einer Textzeile Schritt für Schritt durch die Übungen.

Die Zeitschaltuhr ruft Sie in einstellbaren Abständen zur nächsten Übung, immer reihum: Atmen,
Körper, Augen, Entspannung. Ist sie eingeschaltet, zeigt ihr Knopf ein rotes Licht, und der Knopf
der vorgeschlagenen Übung leuchtet grün. Dazwischen meldet sich in eigenem Takt der „Innere
Schweinehund“, ein Wächter, der Sie für einen Augenblick an eine Pause erinnert.

Im Menü für Einstellungen legen Sie Dauer und Wiederholungen jeder Übung fest; eine kleine
Stoppuhr hilft beim Ausprobieren. Dort wählen Sie auch, ob Sie die Anleitung als Ton, als Text
oder auf beide Arten erhalten.

Quillet zeigt sich in drei Größen: Maxi, Midi und Mini. Jede Übung können Sie jederzeit
starten und jederzeit wieder beenden.
)";

const char* const kZeitschaltuhr = R"(
bar, auf der Seite „Sound / Timer“:

* Trainingsaufforderung: ein- oder ausschalten und festlegen, nach welcher Zeit die nächste
Übung vorgeschlagen wird (voreingestellt: 45~Minuten). Die Aufforderung erscheint mit einem Gong
über allen Fenstern; wie lange sie sichtbar bleibt, ist einstellbar (voreingestellt: 7~Sekunden).

* Wächterfunktion: ein- oder ausschalten und festlegen, wie oft der Wächter erscheint
(voreingestellt: alle 10~Minuten). Wie lange er über allen Fenstern bleibt, bestimmt „StayOnTop“
(voreingestellt: 7~Sekunden). Wählen Sie die Zeit des Wächters kürzer als die des Trainings,
sonst kommt ihm das Training jedes Mal zuvor.

* Start mit aktivierter Zeitschaltuhr: Ist diese Wahl angekreuzt, entfällt beim Programmstart der
Vorspann. Quillet zeigt gleich nur die kleine Bedienleiste und beginnt zu zählen – so eignet es
sich gut für den automatischen Start mit dem System. Sind Trainingsaufforderung und Wächter dabei
beide ausgeschaltet, schaltet das Menü sie beim Schließen ein.

Solange die Zeitschaltuhr läuft, zählen die eingeschalteten Zeiten in der Titelzeile der kleinen
Bedienleiste rückwärts. Ein Klick auf den Knopf mit der Uhr schaltet sie aus und wieder ein.

Waren Sie mindestens fünf Minuten fort – ohne Tastatur und Maus, bei gesperrtem Bildschirm oder
im Ruhezustand –, hatten Sie schon eine Pause: Bei Ihrer Rückkehr beginnen beide Zeiten von vorn,
und eine inzwischen fällige Aufforderung entfällt. Läuft ein Programm im Vollbild, hält ein Video
oder ein Anruf den Bildschirm wach, nimmt ein anderes Programm über das Mikrofon auf oder nutzt
die Kamera, ist ein Programm aus Ihrer Liste vorn oder zeigt der Desktop „Bitte nicht stören“,
wartet eine fällige Aufforderung („wartet“ in der Titelzeile) und kommt, sobald der Grund
entfällt.

Passt eine Aufforderung gerade nicht, verschiebt „Später“ unter ihrem Bild sie um einige
Minuten (mit der Tabulatortaste erreichbar); dreimal nacheinander geht das.

Ein Klick mit der rechten Maustaste auf die Bedienleiste (oder Umschalt+F10) öffnet ein Menü:
„Erinnerungen pausieren“ für 30 Minuten, eine oder zwei Stunden oder bis morgen früh um 6 Uhr;
die Titelzeile zeigt, bis wann. Dort finden Sie auch die „Weiteren Einstellungen“ zu Pausen und
Störungen, zu „Später“ und zum Start mit der Sitzung.
)";

const char* const kHinweise = R"(
für die Körperübungen siebeneinhalb Minuten. Im Menü für Einstellungen können Sie jede Übung
länger oder kürzer einstellen; die Gesamtdauer jeder Übungsfolge zeigt das Menü gleich mit an.

„Reset“ im Menü setzt nach einer Rückfrage alle Einstellungen auf die Voreinstellungen zurück:
die Dauer und die Wiederholungen aller Übungen, Ton und Text sowie die Zeiten der Zeitschaltuhr.
Ihre eigenen Werte gehen dabei verloren. Danach öffnet sich das Menü noch einmal und zeigt die
Voreinstellungen.

Quillet richtet den Ablauf jeder Übung nach der Uhr des Computers. Auf einem langsamen oder stark
ausgelasteten Rechner kann die Anleitung deshalb gelegentlich einen kleinen Sprung machen: Ein
Bild oder eine Ansage kommt etwas später, der Ablauf als Ganzes bleibt aber im Takt.

Zu Ihrer Gesundheit:

* Haben Sie gesundheitliche Beschwerden, etwa an Herz und Kreislauf, an Wirbelsäule, Gelenken
oder Augen, sind Sie schwanger oder unsicher, ob eine Übung für Sie geeignet ist, so fragen Sie
vor dem Üben Ihre Ärztin oder Ihren Arzt.

* Lüften Sie vor den Atemübungen den Raum.

* Intensives Atmen kann Schwindel oder ein Kribbeln in Händen und Lippen auslösen. Atmen Sie dann
ruhig und natürlich weiter und setzen Sie die Übung erst fort, wenn es vorüber ist.

* In tiefer Entspannung sinken Puls und Blutdruck. Kommen Sie danach langsam zurück: Recken und
strecken Sie sich, atmen Sie einige Male tief durch, öffnen Sie die Augen und stehen Sie erst
dann auf.

* Führen Sie alle Bewegungen langsam und kontrolliert aus, ohne Schwung und ohne Schmerz. Ein
sanftes Dehnen ist gut; Schmerz ist ein Zeichen, sofort aufzuhören.

Die Übungen und Texte von Quillet sind eine Anleitung für kleine Pausen im Alltag. Sie ersetzen
weder eine ärztliche Behandlung noch eine Lehrerin oder einen Lehrer für Yoga und Entspannung,
die Ihre Haltung sehen und Sie persönlich anleiten können.
)";

const char* const kAtmen = R"(
beruhigt und sammelt die Gedanken – so beschreiben es die Atemlehren des Yoga, und viele Übende
erleben es ähnlich. Gut untersucht ist vor allem, dass langsames, ruhiges Atmen beim Entspannen
hilft. Ein dauerhaft erhöhter Blutdruck gehört allerdings in ärztliche Behandlung; die Übungen
können sie begleiten, aber nicht ersetzen.

Die Atemübungen von Quillet beginnen mit einer kleinen Fantasiereise: In zehn gezählten Schritten
gehen Sie in Gedanken vom Arbeitsplatz zu einem Wasserfall. Dort folgen die Vollatmung und die
Wechselatmung, danach ein Mantra und der gezählte Weg zurück. Eine Blende, die über eine
Farbleiste wandert, gibt dabei den Takt des Atems vor.

Vollatmung: Jeder Atemzug beginnt mit dem Ausatmen. Lassen Sie den Atem ruhig und vollständig
hinausströmen; Schultern, Brustkorb und Bauch sinken dabei zurück. Nach einer kurzen Pause atmen
Sie durch die Nase in drei Räume hinein: Zuerst wölbt sich der Bauch nach vorn, dann weitet sich
der Brustkorb, zuletzt heben sich die Schultern ein wenig. Wieder folgt eine kurze Pause, dann
beginnt der nächste Atemzug.

Wechselatmung: Sie atmen abwechselnd durch nur ein Nasenloch. Die rechte Hand schließt mit dem
Daumen das rechte und mit dem Ringfinger das linke Nasenloch. Schließen Sie zuerst rechts, atmen
Sie links aus und links wieder ein; schließen Sie dann links, öffnen Sie rechts, atmen Sie dort
aus und rechts wieder ein. So geht es ruhig im Wechsel weiter. Ist die Nase verstopft, lassen
Sie diese Übung aus.

Im Menü für Einstellungen bestimmen Sie die Zeiten für Ausatmen, Anhalten und Einatmen und die
Zahl der Durchgänge. Wählen Sie die Zeiten so, dass Sie bequem mitkommen; der Atem soll nie
gepresst oder angestrengt sein.

Wird Ihnen schwindlig oder kribbeln Hände oder Lippen, dann haben Sie zu kräftig oder zu schnell
geatmet. Atmen Sie ruhig und natürlich weiter, bis es vorüber ist, und üben Sie danach sanfter.
Halten Sie den Atem in den Pausen nie mit Kraft an.
)";

const char* const kKoerper = R"(
ständen. Termindruck, langes Sitzen und die starre Haltung vor dem Bildschirm lassen Nacken,
Schultern und Rücken fest werden; oft bemerken wir es erst, wenn es schmerzt.

Sanfte Lockerungs-, Dehn- und Kräftigungsübungen wirken dem entgegen. Sie bringen Bewegung in
Gelenke und Muskeln, fördern die Durchblutung und können helfen, Verspannungen vorzubeugen und
bestehende zu lösen. Schon wenige Minuten, mehrmals am Tag, sind eine gute Gewohnheit.

Die zehn Körperübungen von Quillet brauchen nur den Platz am Schreibtisch. Im Sitzen öffnen und
schließen Sie die Hände, drehen die Hände, rollen die Schultern und drehen den Kopf nach links und
rechts: gesenkt, aufrecht und in den Nacken gelegt. Zweimal richten Sie sich in fünf Stufen auf,
erst im Sitzen aus einer Gebetshaltung, dann im Stehen aus einer tiefen Vorbeuge. Im Stehen drehen
Sie auch den Rumpf. Wieder im Sitzen ziehen Sie die Knie an den Oberkörper, spannen die
Bauchmuskeln an und winkeln die Füße an und ab; zum Schluss schütteln Sie die Beine aus. Im Menü
für Einstellungen bestimmen Sie für jede Übung die Zahl der Durchgänge und die Sekunden pro
Bewegung.

Führen Sie jede Bewegung langsam und kontrolliert aus, ohne Schwung und nur so weit, wie es
angenehm ist. Atmen Sie dabei ruhig weiter und halten Sie den Atem nicht an. Den Kopf legen Sie
nur sanft in den Nacken und drehen ihn dort besonders behutsam. Bei Schmerzen hören Sie auf; bei
Beschwerden an Wirbelsäule oder Gelenken fragen Sie vorher Ihre Ärztin oder Ihren Arzt.
)";

const char* const kAugen = R"(
muskeln. Bei der Bildschirmarbeit bewegen sich die Augen wenig, stellen stundenlang auf dieselbe
Entfernung scharf und blinzeln seltener als sonst. Sie werden müde, trocken oder brennen. Kleine
Augenpausen tun dann gut.

Sechs äußere Muskeln bewegen jeden Augapfel. Die ersten beiden Übungen führen den Blick
waagerecht nach links und rechts und senkrecht nach oben und unten; dabei arbeiten die Muskeln,
die das Auge zur Seite und nach oben und unten drehen. Sie blicken dabei auf eine wirkliche oder
gedachte Linie an der Wand gegenüber, waagerecht in Augenhöhe und senkrecht in Verlängerung der
Nase, und wandern nur mit den Augen zu ihren Enden und zur Mitte; der Kopf bleibt ruhig. Das Bild
zeigt die Linie und wohin der Blick gerade geht. Nach jeder dieser Übungen schließen Sie die Augen
kurz.

Die dritte Übung wechselt zwischen nah und fern. Beim Blick in die Nähe wölbt ein kleiner Muskel
im Auge die Linse stärker, beim Blick in die Ferne entspannt er sich. Solche Fokussierübungen
werden gern gegen die Alterssichtigkeit empfohlen, die mit den Jahren das Sehen in der Nähe
erschwert. Sie können die Augen bei der Naharbeit entspannen; die Alterssichtigkeit selbst beruht
aber auf der nachlassenden Elastizität der Linse und lässt sich durch Übungen nach heutigem
Wissen nicht aufhalten. Eine passende Brille bleibt dann wichtig.

Zum Schluss reiben Sie die Hände warm und legen sie gewölbt über die geschlossenen Augen, ohne
auf die Augäpfel zu drücken. Wärme und Dunkelheit entspannen.

Zwischendurch hilft es, öfter bewusst zu blinzeln und den Blick in die Ferne schweifen zu lassen.
Bei Augenerkrankungen, nach Operationen an den Augen oder bei Schmerzen fragen Sie vorher Ihre
Augenärztin oder Ihren Augenarzt.
)";

const char* const kEntspannung = R"(
schenkt Ruhe und gibt Zeit, neue Kraft zu sammeln. Wer sich nie ganz entspannt, verbraucht auch
in Ruhe ständig Kraft – wie ein Auto, dessen Motor nie abgestellt wird.

Der Vergleich mit dem Motor eines Autos zeigt vier Zustände der Muskelspannung:

* Der Motor ist abgestellt und verbraucht nichts. Das entspricht der „Tiefen-Entspannung“: Die
Muskeln sind ganz gelöst, Atem und Puls gehen langsam.

* Der Motor läuft im Leerlauf, das Auto steht. Er verbraucht wenig und ist doch sofort bereit.
Das entspricht der „Entspannung“.

* Das Auto fährt gleichmäßig, der Motor leistet so viel, wie die Fahrt verlangt. Das entspricht
dem „Muskel-Tonus“, der gesunden Grundspannung, die uns aufrecht hält und handeln lässt.

* Der Motor heult mit Vollgas bei angezogener Handbremse: Er verbraucht viel, bringt das Auto
kaum voran und nutzt sich ab. Das entspricht der „Verspannung“, einer Spannung, die keiner
Arbeit dient.

Muskeln gewinnen ihre Kraft aus Brennstoffen wie Zucker und Fett, die das Blut zusammen mit dem
Sauerstoff heranführt. Angespannt werden sie von den Nerven, und auch das kostet Kraft. Die
„Nervenenergie“ ist dabei ein Bild, kein medizinischer Begriff: Dauernde Anspannung fordert nicht
nur die Muskeln, sondern auch Aufmerksamkeit und Nerven, und wir spüren das als Erschöpfung,
Gereiztheit oder Unruhe.

Wärme und Schwere sind gute Helfer. Wer sich vorstellt, dass Arme und Beine warm und schwer
werden, lässt die Muskeln leichter los; oft werden die Hände dabei tatsächlich wärmer. Auf dieser
Erfahrung beruht auch das Autogene Training.

Die Entspannungsübung von Quillet führt Sie in zehn gezählten Schritten in eine warme
Abenddämmerung. Dann schließen Sie die Augen und atmen nacheinander in zehn Bereiche des Körpers
hinein; auf dem Bildschirm füllt sich dabei eine Figur Bereich für Bereich mit Farbe. Ein Mantra
und der gezählte Weg zurück beschließen die Übung.

In tiefer Entspannung sinken Puls und Blutdruck. Kommen Sie darum langsam zurück: Ballen Sie die
Hände einige Male zur Faust, recken und strecken Sie sich, atmen Sie tief durch und öffnen Sie
die Augen. Stehen Sie erst dann auf – besonders, wenn Sie zu niedrigem Blutdruck neigen.
)";

// Every ISBN below was checked against a publisher's, retailer's or library's record.
const char* const kLiteratur = R"(
Zum Weiterlesen: Bücher über Yoga, Atmung, Entspannung und Gesundheit, nach Autorinnen und
Autoren geordnet.

* Herbert Benson: The Relaxation Response, New York (Avon Books), ISBN~0-380-81595-8

* Martha Davis, Elizabeth Robbins Eshelman, Matthew McKay: The Relaxation & Stress Reduction
Workbook, 6.~Auflage, Oakland (New Harbinger), ISBN~978-1-57224-549-5

* Claus Derra: Progressive Relaxation. Neurobiologische Grundlagen und Praxiswissen für Ärzte
und Psychologen, 2.~Auflage, Berlin (Springer), ISBN~978-3-662-54247-7

* T.~K.~V.~Desikachar: The Heart of Yoga. Developing a Personal Practice, Rochester, Vermont
(Inner Traditions International), ISBN~0-89281-764-X

* B.~K.~S.~Iyengar: Der Urquell des Yoga, München (O.~W.~Barth), ISBN~978-3-426-29107-8

* B.~K.~S.~Iyengar: Light on Yoga, New York (Schocken Books), ISBN~0-8052-1031-8

* Jon Kabat-Zinn: Full Catastrophe Living, New York (Delta), ISBN~0-385-30312-2

* Jon Kabat-Zinn: Gesund durch Meditation. Das große Buch der Selbstheilung mit MBSR, München
(Knaur), ISBN~978-3-426-87837-8

* Jon Kabat-Zinn: Wherever You Go, There You Are, New York (Hyperion), ISBN~1-4013-0778-7

* Leslie Kaminoff, Amy Matthews: Yoga Anatomy, 3.~Auflage, Champaign (Human Kinetics),
ISBN~978-1-4925-9647-9

* Günter Krampen: Entspannungsverfahren in Therapie und Prävention, 3.~Auflage, Göttingen
(Hogrefe), ISBN~978-3-8017-2414-6

* Robert~M.~Sapolsky: Why Zebras Don't Get Ulcers, 3.~Auflage, New York (Henry Holt),
ISBN~978-0-8050-7369-0

* Thich Nhat Hanh: The Miracle of Mindfulness, Boston (Beacon Press), ISBN~978-0-8070-1239-0
)";

} // namespace

const std::array<HelpPage, 8> kHelpPages{{
    {" Einführung ", "Memo1", false,
     "Schreibtisch- sowie Bildschirmarbeit stellt hohe Anforderungen an Körper und Geist "
     "hinsichtlich Kon-",
     kEinfuehrung},
    {" Zeitschaltuhr ", "Memo6", true,
     "Die automatische Trainingsaufforderung sowie die Wächterfunktion sind wie folgt im Menue "
     "einstell-",
     kZeitschaltuhr},
    {" Wichtige Hinweise ", "Memo7", true,
     "Die Voreinstellungen für Atem-, Augen-  und Entspannungsübungen sind jeweils fünf Minuten "
     "und",
     kHinweise},
    {" Atmen ", "Memo2", true,
     "Intensives Atmen steigert  die Sauerstoffzufuhr in  Körper und Gehirn, senkt überhöhten "
     "Blutdruck,",
     kAtmen},
    {" Körperübungen ", "Memo3", true,
     "In einer  duch  Leistungsdruck  geprägten Gesellschaft  neigt der Mensch  gerne zu  "
     "Spannungszu-",
     kKoerper},
    {" Augen  ", "Memo4", true,
     "Die Übungen mit den Augen Verbessern deren Durchblutung, entspannen und kräftigen die "
     "Augen-",
     kAugen},
    {" Entspannung ", "Memo5", true,
     "Gründliches Entspannen minimiert den  Verbrauch  an  Muskel-  und  besonders an "
     "Nervenenergie,",
     kEntspannung},
    {" Literaturverzeichnis ", "Memo8", true, nullptr, kLiteratur},
}};

QString HelpProse(const HelpPage& page) {
    QString prose;
    if (page.firstLine)
        prose = QLatin1Char('|') + QString::fromUtf8(page.firstLine);
    return prose + QString::fromUtf8(page.body);
}
