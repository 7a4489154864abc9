#include "anchor/PropAnchorPage.h"

#include <QMouseEvent>
#include <QVariant>

#include "ui/Twips.h"

using namespace Qt::StringLiterals;

namespace anchor {

namespace {

// A control the page edits, by its "Anchorit" property.
class ObjectTarget : public PropAnchor::Target {
public:
    explicit ObjectTarget(QObject* object) : object_(object) {}
    std::string Anchorit() override {
        return object_ ? object_->property("Anchorit").toString().toStdString() : std::string();
    }
    void setAnchorit(const std::string& value) override {
        if (object_) object_->setProperty("Anchorit", QString::fromStdString(value));
    }

private:
    QPointer<QObject> object_;
};

constexpr int kPageWidth = 5280;
constexpr int kPageHeight = 2490;

}  // namespace

PropAnchorPage::PropAnchorPage(QWidget* parent) : QWidget(parent) {
    setObjectName(u"PropAnchor"_s);
    setWindowTitle(u"Anchor"_s);
    auto named = [](auto* w, const QString& name, int l, int t, int width, int h) {
        w->setObjectName(name);
        w->setGeometry(ui::twipsRect(l, t, width, h));
        return w;
    };
    Frame1 = named(new QGroupBox(this), u"Frame1"_s, 120, 0, 5055, 2415);
    Label1 = named(new QLabel(u"Controls :"_s, Frame1), u"Label1"_s, 120, 240, 1455, 255);
    List = named(new QListWidget(Frame1), u"List"_s, 120, 480, 2415, 1815);
    Label2 = named(new QLabel(u"Anchor :"_s, Frame1), u"Label2"_s, 2760, 240, 1455, 255);
    Picture1 = named(new QFrame(Frame1), u"Picture1"_s, 2760, 480, 2170, 1820);
    Picture1->setFrameShape(QFrame::StyledPanel);
    Picture1->setFrameShadow(QFrame::Sunken);
    Picture1->setAutoFillBackground(true);
    QPalette white = Picture1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Picture1->setPalette(white);
    auto bar = [&](const QString& name, int l, int t, int w, int h) {
        QFrame* b = named(new QFrame(Picture1), name, l, t, w, h);
        b->setFrameShape(QFrame::Box);
        b->setAutoFillBackground(true);
        b->setCursor(Qt::PointingHandCursor);
        b->installEventFilter(this);
        return b;
    };
    ATop = bar(u"ATop"_s, 960, 0, 200, 550);
    ABottom = bar(u"ABottom"_s, 960, 1190, 200, 560);
    ALeft = bar(u"ALeft"_s, 0, 790, 550, 200);
    ARight = bar(u"ARight"_s, 1560, 790, 550, 200);
    // Stands for the control; it does nothing.
    Command1 = named(new QPushButton(Picture1), u"Command1"_s, 550, 550, 1000, 635);
    Command1->setFocusPolicy(Qt::NoFocus);

    connect(List, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_) return;
        page_.selectItem(row);
        showBars();
    });
    setFixedSize(ui::twipsToPixels(kPageWidth), ui::twipsToPixels(kPageHeight));
    showBars();
}

QColor PropAnchorPage::barColour(std::uint32_t backColor) const {
    if (backColor == PropAnchor::kAnchored) return palette().color(QPalette::Dark);
    return QColor::fromRgb(backColor & 0xFFFFFFu);
}

void PropAnchorPage::setSelectedControls(const QList<QObject*>& controls) {
    page_.SelectedControls.clear();
    for (QObject* c : controls) page_.SelectedControls.push_back(std::make_shared<ObjectTarget>(c));
    PropertyPage_SelectionChanged();
}

void PropAnchorPage::PropertyPage_SelectionChanged() {
    const bool was = page_.Changed;
    page_.PropertyPage_SelectionChanged();
    showList();
    showBars();
    if (page_.Changed != was) emit changedChanged(page_.Changed);
}

void PropAnchorPage::PropertyPage_ApplyChanges() {
    page_.PropertyPage_ApplyChanges();
    page_.Changed = false;
    emit changedChanged(false);
}

void PropAnchorPage::showList() {
    filling_ = true;
    List->clear();
    for (const PropAnchor::ListItem& item : page_.List()) {
        auto* row = new QListWidgetItem(QString::fromStdString(item.text), List);
        row->setData(Qt::UserRole, item.itemData);
    }
    List->setCurrentRow(page_.ListIndex());
    filling_ = false;
}

void PropAnchorPage::showBars() {
    const std::pair<QFrame*, std::uint32_t> bars[] = {
        {ALeft, page_.ALeft}, {ATop, page_.ATop}, {ARight, page_.ARight}, {ABottom, page_.ABottom}};
    for (const auto& [frame, colour] : bars) {
        QPalette p = frame->palette();
        p.setColor(QPalette::Window, barColour(colour));
        frame->setPalette(p);
    }
}

bool PropAnchorPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    const bool was = page_.Changed;
    if (watched == ALeft) page_.ALeft_Click();
    if (watched == ATop) page_.ATop_Click();
    if (watched == ARight) page_.ARight_Click();
    if (watched == ABottom) page_.ABottom_Click();
    showBars();
    if (page_.Changed != was) emit changedChanged(page_.Changed);
    return true;
}

PropAnchorDialog::PropAnchorDialog(const QList<QObject*>& controls, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"PropAnchorDialog"_s);
    setWindowTitle(u"Anchor"_s);
    page = new PropAnchorPage(this);
    buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    const int margin = ui::twipsToPixels(120);
    page->move(0, margin);
    buttons->adjustSize();
    const int width = std::max(page->width(), buttons->sizeHint().width() + 2 * margin);
    buttons->setGeometry(margin, page->geometry().bottom() + margin, width - 2 * margin,
                         buttons->sizeHint().height());
    setFixedSize(width, buttons->geometry().bottom() + 1 + margin);
    applyButton()->setEnabled(false);
    connect(page, &PropAnchorPage::changedChanged, applyButton(), &QPushButton::setEnabled);
    connect(applyButton(), &QPushButton::clicked, this, &PropAnchorDialog::Apply);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    page->setSelectedControls(controls);
}

QPushButton* PropAnchorDialog::applyButton() const {
    return buttons->button(QDialogButtonBox::Apply);
}

void PropAnchorDialog::Apply() {
    if (page->Changed()) page->PropertyPage_ApplyChanges();
}

}  // namespace anchor
