#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Error.h"
#include "host/model/Desktop.h"
#include "subclass/MSubclass.h"

namespace {

using host::Hwnd;
using host::model::Desktop;
using subclass::emrConsume;
using subclass::emrPostProcess;
using subclass::emrPreprocess;
using subclass::EMsgResponse;
using subclass::ISubclass;
using subclass::MSubclass;

constexpr std::int32_t kMsg = 5;
using Log = std::vector<std::string>;

// A client that writes its name into a shared log when called and answers
// with its own result.
class Recorder : public ISubclass {
public:
    Recorder(std::string n, Log& log, host::LResult result)
        : name(std::move(n)), log_(log), result_(result) {}
    host::LResult WindowProc(Hwnd, std::uint32_t, host::WParam, host::LParam) override {
        log_.push_back(name);
        if (during) during();
        return result_;
    }
    std::string name;
    std::function<void()> during;

private:
    Log& log_;
    host::LResult result_;
};

class MSubclassTest : public ::testing::Test {
protected:
    MSubclassTest() {
        desktop.setOwnResult(form, 99);
        desktop.setOwnHandler(form, [this](Hwnd, std::uint32_t, host::WParam, host::LParam) {
            log.push_back("previous");
            return host::LResult{0};
        });
    }
    std::shared_ptr<Recorder> client(const std::string& name, host::LResult result = 0,
                                     EMsgResponse response = emrConsume) {
        auto c = std::make_shared<Recorder>(name, log, result);
        c->setMsgResponse(response);
        return c;
    }
    // The window carries nothing of the module's any more.
    void expectPlain(Hwnd hwnd) {
        EXPECT_EQ(desktop.GetWindowProc(hwnd), desktop.OwnProc(hwnd));
        EXPECT_TRUE(desktop.PropKeys(hwnd).empty());
    }
    host::LResult send(std::int32_t msg = kMsg) {
        return desktop.SendMessage(form, static_cast<std::uint32_t>(msg), 0, 0);
    }

    Desktop desktop;
    Hwnd form = desktop.CreateWindow(400, 300);
    MSubclass module{"Bollard2", desktop};
    Log log;
};

std::string h(Hwnd hwnd) { return std::to_string(hwnd); }

TEST_F(MSubclassTest, FirstAttachInstallsTheProcedureAndStoresEverythingUnderItsKeys) {
    const host::ProcId own = desktop.GetWindowProc(form);
    auto a = client("A");
    auto b = client("B");
    module.AttachMessage(a, form, kMsg);
    module.AttachMessage(b, form, kMsg);
    module.AttachMessage(a, form, 36);

    EXPECT_EQ(desktop.GetWindowProc(form), module.procedure());
    EXPECT_EQ(desktop.GetProp(form, "C" + h(form)), 3);
    EXPECT_EQ(desktop.GetProp(form, h(form)), own);
    EXPECT_EQ(desktop.GetProp(form, h(form) + "#5C"), 2);
    EXPECT_EQ(desktop.GetProp(form, h(form) + "#36C"), 1);
    EXPECT_EQ(desktop.GetProp(form, h(form) + "#5#1"), MSubclass::clientNumber(*a));
    EXPECT_EQ(desktop.GetProp(form, h(form) + "#5#2"), MSubclass::clientNumber(*b));
    EXPECT_EQ(desktop.GetProp(form, h(form) + "#36#1"), MSubclass::clientNumber(*a));
    EXPECT_NE(MSubclass::clientNumber(*a), MSubclass::clientNumber(*b));
}

TEST_F(MSubclassTest, AHandleThatPrintsNegativeGivesKeysWithALeadingMinus) {
    const Hwnd negative = desktop.CreateWindow(10, 10, -1234);
    module.AttachMessage(client("A"), negative, kMsg);
    EXPECT_EQ(desktop.GetProp(negative, "C-1234"), 1);
    EXPECT_NE(desktop.GetProp(negative, "-1234"), 0);
    EXPECT_EQ(desktop.GetProp(negative, "-1234#5C"), 1);
    EXPECT_NE(desktop.GetProp(negative, "-1234#5#1"), 0);
}

// Who runs, in which order, and what the window returns, by the number of
// clients and the first-attached client's response.
struct DispatchCase {
    const char* name;
    EMsgResponse firstResponse;
    EMsgResponse laterResponse;
    bool two;
    Log order;
    host::LResult result;
};

class Dispatch : public MSubclassTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(Dispatch, RunsHandlersLastAttachedFirstAroundThePreviousProcedure) {
    const DispatchCase& c = GetParam();
    auto a = client("A", 1, c.firstResponse);
    auto b = client("B", 2, c.laterResponse);
    module.AttachMessage(a, form, kMsg);
    if (c.two) module.AttachMessage(b, form, kMsg);
    log.clear();
    EXPECT_EQ(send(), c.result);
    EXPECT_EQ(log, c.order);
}

INSTANTIATE_TEST_SUITE_P(
    Responses, Dispatch,
    ::testing::Values(
        DispatchCase{"OneConsumes", emrConsume, emrConsume, false, {"A"}, 1},
        DispatchCase{"OnePostProcesses", emrPostProcess, emrConsume, false, {"A", "previous"}, 99},
        DispatchCase{"OnePreprocesses", emrPreprocess, emrConsume, false, {"previous", "A"}, 1},
        DispatchCase{"TwoConsume", emrConsume, emrConsume, true, {"B", "A"}, 1},
        DispatchCase{
            "TwoPostProcess", emrPostProcess, emrConsume, true, {"B", "A", "previous"}, 99},
        DispatchCase{"TwoPreprocess", emrPreprocess, emrConsume, true, {"B", "previous", "A"}, 1},
        // Only the first-attached client's response counts.
        DispatchCase{"LaterResponseIgnored", emrConsume, emrPreprocess, true, {"B", "A"}, 1},
        DispatchCase{
            "LaterPostIgnored", emrPreprocess, emrPostProcess, true, {"B", "previous", "A"}, 1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(MSubclassTest, AMessageWithoutHandlersGoesStraightToThePreviousProcedure) {
    module.AttachMessage(client("A", 1), form, kMsg);
    log.clear();
    EXPECT_EQ(send(36), 99);
    EXPECT_EQ(log, (Log{"previous"}));
}

TEST_F(MSubclassTest, AttachingTheSameClientTwiceRaises13082AndLeavesOneEntry) {
    auto a = client("A");
    module.AttachMessage(a, form, kMsg);
    try {
        module.AttachMessage(a, form, kMsg);
        FAIL() << "no error";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), static_cast<std::int32_t>(0x8004331Au));
        EXPECT_EQ(e.source(), "Bollard2.WindowProc");
        EXPECT_EQ(e.description(), "Message already handled by another class");
    }
    EXPECT_EQ(module.GetMsgCount(form, kMsg), 1);
    EXPECT_EQ(module.GetWindowCount(form), 1);
}

struct AttachErrorCase {
    const char* name;
    std::int32_t number;
    const char* description;
};

class AttachError : public MSubclassTest, public ::testing::WithParamInterface<AttachErrorCase> {};

TEST_P(AttachError, RaisesTheModulesErrorAndLeavesTheWindowPlain) {
    const AttachErrorCase& c = GetParam();
    Hwnd target = form;
    const std::string which = c.name;
    if (which == "InvalidWindow") {
        target = 0x7777;
    } else if (which == "ExternalWindow") {
        target = desktop.CreateWindow(10, 10, 0, 999);
    } else if (which == "CantSubclass") {
        desktop.failSetWindowProc = true;
    }
    try {
        module.AttachMessage(client("A"), target, kMsg);
        FAIL() << "no error";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.source(), "Bollard2.WindowProc");
        EXPECT_EQ(e.description(), c.description);
    }
    expectPlain(form);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AttachError,
    ::testing::Values(AttachErrorCase{"CantSubclass", static_cast<std::int32_t>(0x80043319u),
                                      "Can't subclass window"},
                      AttachErrorCase{"InvalidWindow", static_cast<std::int32_t>(0x8004331Bu),
                                      "Invalid window"},
                      AttachErrorCase{"ExternalWindow", static_cast<std::int32_t>(0x8004331Cu),
                                      "Can't modify external window"}),
    [](const auto& p) { return std::string(p.param.name); });

// A store write that fails at each step of the attach: error 5 with the
// platform's text and no source, and nothing left behind.
class StoreFailure : public MSubclassTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StoreFailure, RaisesError5AndTakesEverythingBack) {
    const std::string failing = GetParam();
    const std::string key = failing == "MsgCount"   ? MSubclass::MsgCountKey(form, kMsg)
                            : failing == "MsgClass" ? MSubclass::MsgClassKey(form, kMsg, 1)
                            : failing == "OldProc"  ? MSubclass::OldProcKey(form)
                                                    : MSubclass::WindowCountKey(form);
    // Writes of 0 (taking back) still work.
    desktop.failSetProp = [key](Hwnd, const std::string& k, std::int32_t value) {
        return k == key && value != 0;
    };
    try {
        module.AttachMessage(client("A"), form, kMsg);
        FAIL() << "no error";
    } catch (const host::Error& e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_EQ(e.source(), "");
        EXPECT_EQ(e.description(), "Invalid procedure call or argument");
    }
    expectPlain(form);
}

INSTANTIATE_TEST_SUITE_P(Steps, StoreFailure,
                         ::testing::Values("MsgCount", "MsgClass", "OldProc", "WindowCount"));

TEST_F(MSubclassTest, AFailedStoreOnASubclassedWindowKeepsTheOtherAttachments) {
    auto a = client("A", 1);
    module.AttachMessage(a, form, kMsg);
    const std::string key = MSubclass::WindowCountKey(form);
    desktop.failSetProp = [key](Hwnd, const std::string& k, std::int32_t v) {
        return k == key && v == 2;
    };
    EXPECT_THROW(module.AttachMessage(client("B"), form, kMsg), host::Error);
    EXPECT_EQ(module.GetMsgCount(form, kMsg), 1);
    EXPECT_EQ(module.GetWindowCount(form), 1);
    EXPECT_EQ(desktop.GetWindowProc(form), module.procedure());
    log.clear();
    send();
    EXPECT_EQ(log, (Log{"A"}));
}

TEST_F(MSubclassTest, DetachingWhatIsNotAttachedDoesNothingAndRaisesNothing) {
    auto a = client("A");
    auto stranger = client("S");
    module.AttachMessage(a, form, kMsg);
    const auto before = desktop.PropKeys(form);
    EXPECT_NO_THROW(module.DetachMessage(*stranger, form, kMsg));
    EXPECT_NO_THROW(module.DetachMessage(*a, form, 36));
    EXPECT_NO_THROW(module.DetachMessage(*a, 0x7777, kMsg));
    const Hwnd foreign = desktop.CreateWindow(1, 1, 0, 999);
    EXPECT_NO_THROW(module.DetachMessage(*a, foreign, kMsg));
    EXPECT_EQ(desktop.PropKeys(form), before);
    desktop.DestroyWindow(form);
    EXPECT_NO_THROW(module.DetachMessage(*a, form, kMsg));
}

TEST_F(MSubclassTest, DetachingTheMiddleOfThreeKeepsTheOthersInOrder) {
    auto a = client("A");
    auto b = client("B");
    auto c = client("C");
    for (const auto& x : {a, b, c}) module.AttachMessage(x, form, kMsg);
    module.DetachMessage(*b, form, kMsg);
    EXPECT_EQ(module.GetMsgCount(form, kMsg), 2);
    EXPECT_EQ(module.GetMsgClass(form, kMsg, 1), MSubclass::clientNumber(*a));
    EXPECT_EQ(module.GetMsgClass(form, kMsg, 2), MSubclass::clientNumber(*c));
    EXPECT_EQ(module.GetMsgClass(form, kMsg, 3), 0);
    EXPECT_EQ(module.GetWindowCount(form), 2);
    log.clear();
    send();
    EXPECT_EQ(log, (Log{"C", "A"}));
}

TEST_F(MSubclassTest, TheLastDetachPutsThePreviousProcedureBack) {
    auto a = client("A");
    module.AttachMessage(a, form, kMsg);
    module.AttachMessage(a, form, 36);
    module.DetachMessage(*a, form, kMsg);
    EXPECT_EQ(desktop.GetWindowProc(form), module.procedure());
    module.DetachMessage(*a, form, 36);
    expectPlain(form);
    log.clear();
    EXPECT_EQ(send(), 99);
    EXPECT_EQ(log, (Log{"previous"}));
}

TEST_F(MSubclassTest, DestroyWithoutAHandlerPutsTheProcedureBackAndDropsTheWholeStore) {
    auto a = client("A");
    module.AttachMessage(a, form, kMsg);
    module.AttachMessage(a, form, 36);
    log.clear();
    EXPECT_EQ(send(host::WM_DESTROY), 99);
    EXPECT_EQ(log, (Log{"previous"}));
    expectPlain(form);
}

TEST_F(MSubclassTest, DestroyWithAHandlerRunsItThenReleasesTheWindow) {
    auto a = client("A", 7, emrPostProcess);
    module.AttachMessage(a, form, static_cast<std::int32_t>(host::WM_DESTROY));
    module.AttachMessage(a, form, kMsg);
    log.clear();
    EXPECT_EQ(send(host::WM_DESTROY), 99);
    EXPECT_EQ(log, (Log{"A", "previous"}));
    expectPlain(form);
}

TEST_F(MSubclassTest, AClientThatIsGoneIsSkipped) {
    auto a = client("A", 1, emrPostProcess);
    auto b = client("B", 2);
    module.AttachMessage(a, form, kMsg);
    module.AttachMessage(b, form, kMsg);
    b.reset();  // gone without detaching
    log.clear();
    EXPECT_EQ(send(), 99);
    EXPECT_EQ(log, (Log{"A", "previous"}));
    // The first-attached one gone: the later one still runs, and its own
    // response decides.
    a.reset();
    auto c = client("C", 3, emrPreprocess);
    module.AttachMessage(c, form, kMsg);
    log.clear();
    EXPECT_EQ(send(), 3);
    EXPECT_EQ(log, (Log{"C"}));
}

TEST_F(MSubclassTest, AClientReleasedDuringItsOwnCallLivesUntilTheCallReturns) {
    auto a = client("A", 5);
    std::weak_ptr<Recorder> weak = a;
    module.AttachMessage(a, form, kMsg);
    a->during = [&a] { a.reset(); };
    EXPECT_EQ(send(), 5);
    EXPECT_TRUE(weak.expired());
    log.clear();
    EXPECT_EQ(send(), 0);  // nobody called, nobody to decide
    EXPECT_TRUE(log.empty());
}

TEST_F(MSubclassTest, ClientsOfTwoLibrariesShareTheWindowsOneProcedure) {
    MSubclass other{"Scalora2", desktop};
    auto a = client("A", 1, emrPostProcess);
    auto b = client("B", 2);
    module.AttachMessage(a, form, kMsg);
    other.AttachMessage(b, form, kMsg);
    EXPECT_EQ(desktop.GetWindowProc(form), module.procedure());
    EXPECT_EQ(module.GetWindowCount(form), 2);
    log.clear();
    EXPECT_EQ(send(), 99);
    EXPECT_EQ(log, (Log{"B", "A", "previous"}));
    try {
        other.AttachMessage(b, form, kMsg);
        FAIL();
    } catch (const host::Error& e) {
        EXPECT_EQ(e.source(), "Scalora2.WindowProc");
    }
    other.DetachMessage(*b, form, kMsg);
    module.DetachMessage(*a, form, kMsg);
    expectPlain(form);
}

TEST_F(MSubclassTest, AHandlerMayReceiveMessagesWhileItRuns) {
    auto a = client("A", 1);
    int depth = 0;
    a->during = [&] {
        if (depth++ == 0) send();
    };
    module.AttachMessage(a, form, kMsg);
    log.clear();
    EXPECT_EQ(send(), 1);
    EXPECT_EQ(log, (Log{"A", "A"}));
}

TEST(MSubclassInterface, TheInterfacesOwnBodyKeepsItsResponseAndAnswersZero) {
    struct Bare : ISubclass {};
    Bare bare;
    EXPECT_EQ(bare.MsgResponse(), emrConsume);
    bare.setMsgResponse(emrPreprocess);
    EXPECT_EQ(bare.MsgResponse(), emrPreprocess);
    EXPECT_EQ(bare.WindowProc(1, 5, 0, 0), 0);
}

}  // namespace
