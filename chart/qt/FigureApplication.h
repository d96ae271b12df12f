#pragma once
// Qt started for drawing figure files in a program without windows (calvane-batch):
// Qt Charts draws with widgets' styles, so figure files need a QApplication. It runs on
// the offscreen platform unless the user names another, so that a figure looks the
// same with or without a display and a script never fails for want of one.

#include <memory>

class QApplication;

namespace calvane::chart {

class FigureApplication {
public:
    // Starts Qt on this thread, which then draws the figures. `program` is the program's
    // name; Qt is given none of its arguments. Qt's notes about its own set-up (no
    // runtime folder, say) are kept off standard error, and the C library's locale is
    // left as it was, so numbers are written as before.
    explicit FigureApplication(const char* program);
    ~FigureApplication();
    FigureApplication(const FigureApplication&) = delete;
    FigureApplication& operator=(const FigureApplication&) = delete;

private:
    std::unique_ptr<QApplication> app_;
};

}  // namespace calvane::chart
