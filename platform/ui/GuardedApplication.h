#pragma once

#include <QApplication>

namespace pf {

// The Qt application the program runs on: every event goes through Application's catch-all,
// so an exception thrown by a handler is reported instead of ending the process.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace pf
