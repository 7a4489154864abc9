#pragma once
// PropAnchor's window: the keys of the anchor list on the left, and on the
// right a box standing for the control with four bars around it, grey where
// the control keeps its distance to that edge, white where it is free. A click
// on a bar switches it. The page edits the first of the controls it is given
// through their "Anchorit" property; PropAnchorDialog is the frame a designer
// shows it in (OK, Cancel, Apply).
#include <QDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include "anchor/PropAnchor.h"

namespace anchor {

class PropAnchorPage : public QWidget {
    Q_OBJECT

public:
    explicit PropAnchorPage(QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLabel* Label1;
    QListWidget* List;
    QLabel* Label2;
    QFrame* Picture1;
    QFrame* ATop;
    QFrame* ABottom;
    QFrame* ALeft;
    QFrame* ARight;
    QPushButton* Command1;

    // The controls the page edits (only the first is read or written).
    void setSelectedControls(const QList<QObject*>& controls);
    void PropertyPage_SelectionChanged();
    void PropertyPage_ApplyChanges();
    [[nodiscard]] bool Changed() const { return page_.Changed; }
    [[nodiscard]] PropAnchor& page() { return page_; }
    // The colour a bar shows for its BackColor.
    [[nodiscard]] QColor barColour(std::uint32_t backColor) const;

signals:
    void changedChanged(bool changed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBars();
    void showList();

    PropAnchor page_;
    bool filling_ = false;
};

class PropAnchorDialog : public QDialog {
    Q_OBJECT

public:
    explicit PropAnchorDialog(const QList<QObject*>& controls, QWidget* parent = nullptr);

    PropAnchorPage* page;
    QDialogButtonBox* buttons;
    [[nodiscard]] QPushButton* applyButton() const;

    void Apply();
};

}  // namespace anchor
