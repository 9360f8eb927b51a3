// The Qt toolkit of the forms: builds a window from its table, with one
// adapter per control, and forwards the widgets' events to the form.
#pragma once

#include "view.h"

class QWidget;

namespace forms::qt {

class Toolkit : public forms::Toolkit
{
public:
    std::unique_ptr<forms::View> build(const WindowSpec &window) override;
    void processPendingEvents() override;
    [[noreturn]] void endProcess() override;
    void post(std::function<void()> task) override;
};

// The top-level widget of a view built by this toolkit, for tests and
// screenshots.
QWidget *widgetOf(forms::View &view);

} // namespace forms::qt
