#pragma once

#include <QApplication>
#include <functional>

namespace korvex {

// The application object. Memory that runs out in an event handler outside
// any command (a timer, a repaint, a window of the printing system) is
// reported and the program goes on with the text it holds, where Qt would
// end it.
class KorvexApplication : public QApplication {
public:
    KorvexApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    void whenOutOfMemory(std::function<void()> report) { report_ = std::move(report); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void()> report_;
};

}  // namespace korvex
