// The designer's side of the host layer that runs without Designer: the end of
// a form resize made with the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "host/qt/QtWindows.h"
#include "host/qt/designer/DesignerSite.h"
#include "subclass/MSubclass.h"
#include "ui/testing/QtTestApplication.h"

namespace {

class Recorder : public subclass::ISubclass {
public:
    host::LResult WindowProc(host::Hwnd, std::uint32_t msg, host::WParam, host::LParam) override {
        messages.push_back(msg);
        return 0;
    }
    std::vector<std::uint32_t> messages;
};

TEST(ResizeEnd, AMouseResizeEndsWithTheExitSizeMoveMessageATypedOneWithout) {
    ui::testing::qtApplication();
    QWidget form;
    form.resize(300, 200);
    form.show();
    QApplication::processEvents();
    auto& windows = host::qt::QtWindows::instance();
    subclass::MSubclass module("Test", windows);
    auto client = std::make_shared<Recorder>();
    module.AttachMessage(client, windows.handleOf(&form),
                         static_cast<std::int32_t>(host::WM_EXITSIZEMOVE));
    host::qt::watchResizeEnd(&form);
    host::qt::watchResizeEnd(&form);  // once per form

    form.resize(320, 200);  // typed: no button down
    QApplication::processEvents();
    QTest::mouseClick(&form, Qt::LeftButton);
    EXPECT_TRUE(client->messages.empty());

    QTest::mousePress(&form, Qt::LeftButton, {}, QPoint(5, 5));
    form.resize(340, 220);
    form.resize(360, 240);
    QApplication::processEvents();
    EXPECT_TRUE(client->messages.empty());
    QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(client->messages, (std::vector<std::uint32_t>{host::WM_EXITSIZEMOVE}));
    module.DetachMessage(*client, windows.handleOf(&form),
                         static_cast<std::int32_t>(host::WM_EXITSIZEMOVE));
}

}  // namespace
