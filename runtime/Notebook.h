#pragma once

#include <QRect>
#include <QString>
#include <QTabWidget>

namespace rt {

// Pages with a row of tabs along the top; one page is shown at a time. The page shown stays
// shown while the window is hidden and shown again.
//
// Captions are shown exactly as given, blanks included: the blanks around a caption are the
// room beside its text, so a tab is no wider than its caption. The tab font is the largest (up
// to kMaxTabPixels) with which every tab fits the notebook's width.
class Notebook : public QTabWidget {
public:
    static constexpr int kMaxTabPixels = 12;
    static constexpr int kMinTabPixels = 9;

    explicit Notebook(QWidget* parent);

    // A new page at the end; the caller places its controls on the returned page.
    QWidget* addPage(const QString& caption);
    int pageCount() const { return count(); }
    QWidget* page(int index) const { return widget(index); }
    QString pageCaption(int index) const { return tabText(index); }
    int pageIndex() const { return currentIndex(); }
    void setPageIndex(int index) { setCurrentIndex(index); }

    // Places the notebook and fits its tabs to the new width at once (a notebook not yet shown
    // would otherwise fit them only when it is).
    void place(int left, int top, int width, int height);

    // Where the pages lie, in the notebook's own coordinates (known before the first showing).
    QRect pageRect() const;
    // The pixel size of the tabs' font.
    int tabPixels() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitTabs();
};

} // namespace rt
