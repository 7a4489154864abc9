#include "ui/testing/ScriptedServices.h"

#include <gtest/gtest.h>

namespace ui::testing {

std::string describe(const Message& m) {
    return "box \"" + m.text.toStdString() + "\" titled \"" + m.title.toStdString() +
           "\" (buttons " + std::to_string(static_cast<int>(m.buttons)) + ", icon " +
           std::to_string(static_cast<int>(m.icon)) + ")";
}

std::string describe(const FileDialog& d) {
    return "dialog \"" + d.title.toStdString() + "\" filter \"" + d.filter.toStdString() +
           "\" folder \"" + d.initialFolder.toStdString() + "\" name \"" +
           d.fileName.toStdString() + "\" flags " + std::to_string(d.flags);
}

ScriptedServices::~ScriptedServices() { verify(); }

void ScriptedServices::verify() {
    for (const ExpectedBox& b : boxes_)
        ADD_FAILURE() << "expected "
                      << describe(Message{b.text, b.buttons, b.icon,
                                          b.title.isEmpty() ? programTitle() : b.title})
                      << " was never shown";
    for (const ExpectedDialog& d : dialogs_)
        ADD_FAILURE() << "expected " << (d.save ? "save " : "open ") << describe(d.dialog)
                      << " was never shown";
    if (!pageSetups_.empty())
        ADD_FAILURE() << pageSetups_.size() << " expected page set-up dialog(s) never shown";
    if (!previews_.empty())
        ADD_FAILURE() << previews_.size() << " expected print preview(s) never shown";
    boxes_.clear();
    dialogs_.clear();
    pageSetups_.clear();
    previews_.clear();
}

Answer ScriptedServices::showMessage(const Message& message) {
    shown_.push_back(message);
    if (boxes_.empty()) {
        ADD_FAILURE() << "unexpected " << describe(message);
        return closedAnswer(message.buttons);
    }
    const Message want{boxes_.front().text, boxes_.front().buttons, boxes_.front().icon,
                       boxes_.front().title.isEmpty() ? programTitle() : boxes_.front().title};
    if (want.text != message.text || want.buttons != message.buttons || want.icon != message.icon ||
        want.title != message.title) {
        ADD_FAILURE() << "shown " << describe(message) << "\n  but expected " << describe(want);
        // Taken as the box it stood for, so that one fault gives one failure.
        boxes_.pop_front();
        return closedAnswer(message.buttons);
    }
    ExpectedBox box = std::move(boxes_.front());
    boxes_.pop_front();
    if (box.whileShown) box.whileShown();
    return box.answer;
}

std::optional<QString> ScriptedServices::dialog(const FileDialog& d, bool save) {
    dialogsShown_.push_back(d);
    const char* kind = save ? "save " : "open ";
    if (dialogs_.empty()) {
        ADD_FAILURE() << "unexpected " << kind << describe(d);
        return std::nullopt;
    }
    if (dialogs_.front().save != save || !(dialogs_.front().dialog == d)) {
        ADD_FAILURE() << "shown " << kind << describe(d) << "\n  but expected "
                      << (dialogs_.front().save ? "save " : "open ")
                      << describe(dialogs_.front().dialog);
        dialogs_.pop_front();
        return std::nullopt;
    }
    const ExpectedDialog next = dialogs_.front();
    dialogs_.pop_front();
    if (!next.answer) return std::nullopt;
    return QString(*next.answer);
}

std::optional<QString> ScriptedServices::ShowOpen(const FileDialog& d) { return dialog(d, false); }

std::optional<QString> ScriptedServices::ShowSave(const FileDialog& d) { return dialog(d, true); }

bool ScriptedServices::OpenWithDesktop(const QString& fileOrAddress) {
    opened_.push_back(fileOrAddress);
    return openResult_;
}

}  // namespace ui::testing

namespace ui::testing {

std::optional<report::PageFormat> ScriptedServices::ShowPageSetup(
    const report::PageFormat& current) {
    pageSetupsShown_.push_back(current);
    if (pageSetups_.empty()) {
        ADD_FAILURE() << "unexpected page set-up dialog";
        return std::nullopt;
    }
    auto answer = pageSetups_.front();
    pageSetups_.pop_front();
    return answer;
}

void ScriptedServices::ShowPreview(const report::Document& document, const ImageLookup*) {
    previewsShown_.push_back(document);
    if (previews_.empty()) {
        ADD_FAILURE() << "unexpected print preview of \"" << document.DocumentTitle() << "\"";
        return;
    }
    const ExpectedPreview next = std::move(previews_.front());
    previews_.pop_front();
    if (next.whileShown) next.whileShown(document);
}

}  // namespace ui::testing
