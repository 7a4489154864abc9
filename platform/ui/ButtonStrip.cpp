#include "ui/ButtonStrip.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <string>

#include "ui/ControlError.h"

using namespace Qt::StringLiterals;

namespace ui {

namespace {

// Only MarkCurrent checks a button: a click alone changes nothing.
class StripButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void nextCheckState() override {}
};

}  // namespace

ButtonStrip::ButtonStrip(const QString& caption, QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(1, 1, 1, 1);
    layout_->setSpacing(2);
    caption_ = new QLabel(caption, this);
    caption_->setObjectName(u"caption"_s);
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setMargin(3);
    caption_->setAutoFillBackground(true);
    caption_->setBackgroundRole(QPalette::Button);
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    layout_->addWidget(caption_);
    layout_->addStretch(1);
}

QString ButtonStrip::Caption() const { return caption_->text(); }

int ButtonStrip::AddButton(const QString& caption, const QString& toolTip, const QIcon& picture) {
    auto* button = new StripButton(this);
    button->setText(caption);
    button->setToolTip(toolTip);
    button->setIcon(picture);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setCheckable(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Before the stretch that keeps the buttons at the top.
    layout_->insertWidget(layout_->count() - 1, button);
    buttons_.push_back(button);
    const int number = ButtonCount();
    connect(button, &QToolButton::clicked, this, [this, number] { MarkCurrent(number); });
    return number;
}

void ButtonStrip::MarkCurrent(int button) {
    if (button < 1 || button > ButtonCount())
        throw ControlError("Navigation button " + std::to_string(button) + " does not exist");
    current_ = button;
    for (int i = 1; i <= ButtonCount(); ++i)
        buttons_[static_cast<size_t>(i - 1)]->setChecked(i == button);
    ButtonClick(button);
}

QToolButton* ButtonStrip::buttonWidget(int button) const {
    if (button < 1 || button > ButtonCount()) return nullptr;
    return buttons_[static_cast<size_t>(button - 1)];
}

}  // namespace ui
