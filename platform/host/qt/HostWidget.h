#pragma once
// A widget of the project that the layout controls treat apart from others (a
// line, a shape, a tab strip) gives the host its own object for itself: its
// type name and the members it has. Any other widget is reached through
// host::qt::WidgetObject.
#include "host/Object.h"

class QWidget;

namespace host::qt {

class HostWidget {
public:
    HostWidget() = default;
    virtual ~HostWidget() = default;
    HostWidget(const HostWidget&) = delete;
    HostWidget& operator=(const HostWidget&) = delete;

    [[nodiscard]] virtual ObjectRef makeHostObject() = 0;
    // Whether controls sit inside it (their Container is this widget).
    [[nodiscard]] virtual bool isContainer() const { return false; }
};

}  // namespace host::qt
