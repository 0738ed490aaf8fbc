#include "runtime/Notebook.h"

#include <QFontMetrics>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace rt {

namespace {

// Room on either side of a caption's own blanks, and what the notebook keeps free beside the
// row of tabs (it may hang a pixel over the window's edges).
constexpr int kTabPad = 3;
constexpr int kRowSlack = 6;
// The row of tabs starts this far in, clear of an edge the window may cut off.
constexpr int kRowIndent = 4;

QFont tabFont(int pixels) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

// A tab as wide as its caption. The style's own label would keep a wide margin inside the tab
// and cut the caption there, so the strip draws the tab's shape with the style and the caption
// itself, centred as it stands.
class TabStrip final : public QTabBar {
public:
    explicit TabStrip(QWidget* parent) : QTabBar(parent) {
        setElideMode(Qt::ElideNone);
        setUsesScrollButtons(false);
        setExpanding(false);
        setDrawBase(false);
    }

    int rowWidth(const QFont& font) const {
        const QFontMetrics fm(font);
        int width = 0;
        for (int i = 0; i < count(); ++i)
            width += fm.horizontalAdvance(tabText(i)) + 2 * kTabPad;
        return width;
    }

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setWidth(fontMetrics().horizontalAdvance(tabText(index)) + 2 * kTabPad);
        return size;
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        for (int i = 0; i < count(); ++i)
            if (i != currentIndex())
                drawTab(painter, i);
        // The current tab last: its shape overlaps its neighbours.
        if (currentIndex() >= 0)
            drawTab(painter, currentIndex());
    }

private:
    void drawTab(QStylePainter& painter, int index) {
        QStyleOptionTab option;
        initStyleOption(&option, index);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);

        const QRect box = tabRect(index);
        const QFontMetrics fm = fontMetrics();
        const QString text = tabText(index);
        int shift = 0;
        if (index != currentIndex())
            shift = style()->pixelMetric(QStyle::PM_TabBarTabShiftVertical, &option, this);
        const int x = box.left() + (box.width() - fm.horizontalAdvance(text)) / 2;
        const int y = box.top() + (box.height() - fm.height()) / 2 + fm.ascent() + shift;
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(QPoint(x, y), text);
        // The keyboard's focus, on the current tab, as the style draws it around a caption.
        if ((option.state & QStyle::State_HasFocus) &&
            (option.state & QStyle::State_KeyboardFocusChange)) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = box.adjusted(2, 2, -2, -1);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
};

// An empty corner before the first tab.
class RowIndent final : public QWidget {
public:
    explicit RowIndent(QWidget* parent) : QWidget(parent) {}
    QSize sizeHint() const override { return {kRowIndent, 1}; }
};

} // namespace

Notebook::Notebook(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TabStrip(this));
    setCornerWidget(new RowIndent(this), Qt::TopLeftCorner);
    setFocusPolicy(Qt::TabFocus);
    tabBar()->setFocusPolicy(Qt::TabFocus);
    tabBar()->setFont(tabFont(kMaxTabPixels));
}

QWidget* Notebook::addPage(const QString& caption) {
    auto* page = new QWidget;
    page->setAutoFillBackground(true);
    addTab(page, caption);
    fitTabs();
    return page;
}

int Notebook::tabPixels() const {
    return tabBar()->font().pixelSize();
}

void Notebook::fitTabs() {
    const auto* strip = static_cast<const TabStrip*>(tabBar());
    int pixels = kMaxTabPixels;
    while (pixels > kMinTabPixels &&
           strip->rowWidth(tabFont(pixels)) > width() - kRowIndent - kRowSlack)
        --pixels;
    if (pixels != tabPixels())
        tabBar()->setFont(tabFont(pixels));
    // Only when even the smallest font leaves tabs over do they scroll.
    tabBar()->setUsesScrollButtons(strip->rowWidth(tabBar()->font()) >
                                   width() - kRowIndent - kRowSlack);
}

void Notebook::place(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    fitTabs();
}

void Notebook::resizeEvent(QResizeEvent* event) {
    fitTabs();
    QTabWidget::resizeEvent(event);
}

QRect Notebook::pageRect() const {
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
}

} // namespace rt
