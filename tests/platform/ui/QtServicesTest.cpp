#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <stdexcept>

#include "report/testing/FixedTextMetrics.h"
#include "ui/QtServices.h"
#include "ui/ReportRenderer.h"
#include "ui/testing/QtTestApplication.h"

using namespace Qt::StringLiterals;

namespace {

// Presses `button` on the message box as soon as it is shown, and keeps what
// the box showed.
struct BoxPress {
    QMessageBox::StandardButton button;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    bool waitCursor = true;

    void arm() {
        QTimer::singleShot(0, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            format = box->textFormat();
            waitCursor = QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            box->button(button)->click();
        });
    }
};

TEST(QtServices, MessageBoxShowsPlainTextAndReturnsTheButtonPressed) {
    ui::testing::qtApplication();
    ui::QtServices services(u"Batchrun1"_s);
    BoxPress press{QMessageBox::No, {}, {}};
    press.arm();
    const auto answer = services.MsgBox(u"An error occured : \r\n5-<b>x</b>\r\n\r\nContinue?"_s,
                                        ui::Buttons::YesNo, ui::Icon::Exclamation);
    EXPECT_EQ(answer, ui::Answer::No);
    EXPECT_EQ(press.text, u"An error occured : \n5-<b>x</b>\n\nContinue?"_s);
    EXPECT_EQ(press.title, u"Batchrun1"_s);
    EXPECT_EQ(press.icon, QMessageBox::Warning);
    EXPECT_EQ(press.format, Qt::PlainText);
}

// A box shown while no window is active, as right after a dialog has closed
// and before the window system gives its window back the activation (the
// configuration's "replace it?" after its save dialog), opens over the window
// that owned the dialog, not alone in the middle of the screen.
TEST(QtServices, ABoxWhileNoWindowIsActiveOpensOverTheLastOwner) {
    ui::testing::qtApplication();
    ui::QtServices services(u"Parabase"_s);
    QWidget main;
    main.show();
    QApplication::setActiveWindow(&main);
    QApplication::processEvents();
    QWidget* owners[2] = {nullptr, nullptr};
    for (QWidget*& owner : owners) {
        QTimer::singleShot(0, [&owner] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            owner = box->parentWidget();
            box->button(QMessageBox::Yes)->click();
        });
        (void)services.MsgBox(u"Replace it?"_s, ui::Buttons::YesNo, ui::Icon::Exclamation);
        QApplication::setActiveWindow(nullptr);
    }
    EXPECT_EQ(owners[0], &main);
    EXPECT_EQ(owners[1], &main);
    // A window that is gone owns nothing.
    main.hide();
    QWidget* owner = &main;
    QTimer::singleShot(0, [&owner] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        owner = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    (void)services.MsgBox(u"Done."_s);
    EXPECT_EQ(owner, nullptr);
}

TEST(QtServices, BusyPointerIsTheWaitCursorButBoxesGetTheArrow) {
    ui::testing::qtApplication();
    ui::QtServices services(u"T"_s);
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    try {
        const ui::BusyPointer busy(services);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        BoxPress press{QMessageBox::Ok, {}, {}};
        press.arm();
        EXPECT_EQ(services.MsgBox(u"x"_s), ui::Answer::Ok);
        EXPECT_FALSE(press.waitCursor);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Closes the modal dialog shown next, accepting or not, and keeps its class.
struct DialogClose {
    bool accept;
    QString className;
    void arm() {
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            className = QString::fromLatin1(dialog->metaObject()->className());
            if (accept)
                dialog->accept();
            else
                dialog->reject();
        });
    }
};

TEST(QtServices, PageSetupSetsUpTheProgramsPrinter) {
    ui::testing::qtApplication();
    ui::QtServices services(u"Parabase1"_s);
    report::PageFormat landscape;
    landscape.paper = report::Paper::Letter();
    landscape.orientation = report::Orientation::Landscape;
    DialogClose cancel{false, {}};
    cancel.arm();
    EXPECT_EQ(services.ShowPageSetup(landscape), std::nullopt);
    EXPECT_EQ(cancel.className, u"QPageSetupDialog"_s);
    DialogClose ok{true, {}};
    ok.arm();
    const auto chosen = services.ShowPageSetup(landscape);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->orientation, report::Orientation::Landscape);
    EXPECT_EQ(chosen->paper.code, report::Paper::Letter().code);
    EXPECT_EQ(services.printer().pageLayout().orientation(), QPageLayout::Landscape);
}

TEST(QtServices, PreviewShowsTheReportOnTheProgramsPrinter) {
    ui::testing::qtApplication();
    ui::QtServices services(u"Parabase1"_s);
    report::testing::FixedTextMetrics metrics;
    report::Document doc(metrics);
    doc.DocumentTitle("Comparison Details Report");
    doc.PrintLine("line");
    doc.Orientation(report::Orientation::Landscape);
    DialogClose close{false, {}};
    close.arm();
    services.ShowPreview(doc, nullptr);
    EXPECT_EQ(close.className, u"QPrintPreviewDialog"_s);
    EXPECT_EQ(services.printer().pageLayout().orientation(), QPageLayout::Landscape);
}

}  // namespace
