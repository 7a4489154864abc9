#include "host/qt/Modal.h"

#include <QDialog>

namespace host::qt {

namespace {

ModalRunner& runner() {
    static ModalRunner r;
    return r;
}

}  // namespace

int runModal(QDialog& dialog) {
    if (runner()) {
        // A copy: the runner may replace itself.
        const ModalRunner r = runner();
        return r(dialog);
    }
    return dialog.exec();
}

void setModalRunner(ModalRunner r) { runner() = std::move(r); }

}  // namespace host::qt
