#pragma once
// Modal display of the controls' own windows (about boxes, property pages,
// message boxes) goes through one hook, so that tests can look at a window
// and answer it instead of waiting for a person.
#include <functional>

class QDialog;

namespace host::qt {

using ModalRunner = std::function<int(QDialog&)>;

// Shows `dialog` modally and returns its result (QDialog::exec unless a runner
// is set).
int runModal(QDialog& dialog);
// Replaces the display; an empty runner puts QDialog::exec back.
void setModalRunner(ModalRunner runner);

}  // namespace host::qt
