#pragma once
// A tab strip: rows of tabs along one side over one page area that holds the
// controls of every page. The controls of the pages not shown stand 75000
// twips (in the strip's units) to the left of their place, so that a layout
// control sees where each control belongs on its page; showing another tab
// moves them. The host knows it as "SSTab": a container with Tabs, TabsPerRow,
// TabOrientation (0 top, 1 bottom, 2 left, 3 right) and TabHeight (the height
// of one row of tabs, in the units of the strip's own container).
//
// A control belongs to the page shown when it is put on the strip, until
// setPageOf (or its dynamic property "TabPage") says otherwise. A line keeps
// its end points apart: each is moved by itself.
//
// Qt's tab bar shows a single row of tabs, so the strip draws its rows itself
// with the style's tab elements; the row holding the tab shown lies next to
// the page, as a tab strip's rows do.
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "host/qt/HostWidget.h"

namespace host::qt {

class TabStrip : public QWidget, public HostWidget {
    Q_OBJECT
    Q_PROPERTY(int Tabs READ Tabs WRITE setTabs)
    Q_PROPERTY(int TabsPerRow READ TabsPerRow WRITE setTabsPerRow)
    Q_PROPERTY(int TabOrientation READ TabOrientation WRITE setTabOrientation)
    Q_PROPERTY(double TabHeight READ TabHeight WRITE setTabHeight)
    Q_PROPERTY(int Tab READ Tab WRITE setTab)
    Q_PROPERTY(QStringList TabCaptions READ TabCaptions WRITE setTabCaptions)

public:
    explicit TabStrip(QWidget* parent = nullptr);

    // At least 1; tabs beyond the number are dropped with their captions.
    [[nodiscard]] int Tabs() const { return static_cast<int>(captions_.size()); }
    void setTabs(int tabs);
    // At least 1.
    [[nodiscard]] int TabsPerRow() const { return tabsPerRow_; }
    void setTabsPerRow(int tabsPerRow);
    // 0 to 3; any other value is refused (ignored).
    [[nodiscard]] int TabOrientation() const { return orientation_; }
    void setTabOrientation(int orientation);
    // One row's height across the band, in the units of the strip's container.
    [[nodiscard]] double TabHeight() const;
    void setTabHeight(double height);
    // The tab shown, from 0; setting it moves the controls of every page.
    [[nodiscard]] int Tab() const { return current_; }
    void setTab(int tab);
    [[nodiscard]] QString TabCaption(int tab) const;
    void setTabCaption(int tab, const QString& caption);
    // Every tab's caption at once; the number of tabs follows the list's.
    [[nodiscard]] QStringList TabCaptions() const;
    void setTabCaptions(const QStringList& captions);

    // The page a control of the strip belongs to; -1 for a widget that is not
    // one of its controls.
    [[nodiscard]] int pageOf(const QWidget* control) const;
    void setPageOf(QWidget* control, int tab);

    // The rows of tabs the strip shows, and the area they leave for the page
    // (pixels of the strip).
    [[nodiscard]] int rows() const;
    [[nodiscard]] QRect pageArea() const;
    // Where tab `tab` is drawn (pixels of the strip).
    [[nodiscard]] QRect tabRect(int tab) const;
    // The font of the captions: the strip's, made smaller where a row is too
    // low for it.
    [[nodiscard]] QFont captionFont() const;
    // The caption as tab `tab` shows it: whole where it fits, else shortened.
    [[nodiscard]] QString shownCaption(int tab) const;

    [[nodiscard]] ObjectRef makeHostObject() override;
    [[nodiscard]] bool isContainer() const override { return true; }
    [[nodiscard]] QSize sizeHint() const override;

signals:
    // A tab was chosen with the mouse (after the pages moved).
    void Click(int PreviousTab);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] std::vector<QWidget*> controls() const;
    // Puts a control where its page says: in place, or 75000 units left.
    void place(QWidget* control);
    [[nodiscard]] double bandPixels() const;
    // How far a tab's caption may reach into the style's spacing at each end.
    [[nodiscard]] int captionWidening(int tab) const;

    std::vector<QString> captions_;
    int tabsPerRow_ = 3;
    int orientation_ = 0;
    double tabHeightPixels_ = 25;
    int current_ = 0;
};

}  // namespace host::qt
