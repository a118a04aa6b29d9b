#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class QWidget;

namespace pf {

class Reflective;
class UndoManager;

// The order in which an action with no target looks for a receiver: the key window's first
// responder and the widgets above it (each followed by its controller), the window, the
// window's controller and its document; then the same for the main window when it is another
// window; then the application, its delegate and the document controller. Each responder's
// explicit next-responder links are followed right after it.
class ResponderChain {
public:
    // The chain for the application's key and main windows now.
    static QList<Reflective*> current();
    // The chain for the given windows (either may be null).
    static QList<Reflective*> forWindows(QWidget* keyWindow, QWidget* mainWindow);
    // The part of the chain that starts at `widget` and ends with the document of its window.
    static QList<Reflective*> fromWidget(QWidget* widget);

    // The object that would receive `action`: `target` itself when given (null when it does
    // not answer the action), else the first responder of the current chain that answers it.
    static Reflective* targetForAction(const QString& action, Reflective* target = nullptr);
    // Performs `action` on `receiver` with the sender as its argument.
    static void perform(Reflective& receiver, const QString& action, const QVariant& sender);
    static bool responds(const Reflective& receiver, const QString& action);

    // The undo manager the current chain reaches first.
    static UndoManager* undoManager();

private:
    ResponderChain() = delete;
};

} // namespace pf
