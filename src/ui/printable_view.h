// A child window that prints its whole content instead of being printed as a picture.
#pragma once

class QPrinter;

namespace velor::ui {

class PrintableView {
public:
    virtual ~PrintableView() = default;
    virtual void PrintView(QPrinter& printer) = 0;
};

} // namespace velor::ui
