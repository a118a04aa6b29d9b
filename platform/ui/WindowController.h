#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Responder.h"

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace pf {

class Document;

// Owns one window and manages it for a document or on its own: loads it on first access
// (from the builder registered for its window nib name, or a subclass's loadWindow), keeps
// its title in step with the document's name and edited state, and closes the document when
// its last window closes. The window is deleted with the controller.
class WindowController : public Object, public Responder {
    PF_CLASS(WindowController)
public:
    using WindowBuilder = std::function<QWidget*(WindowController& owner)>;

    WindowController();
    // Takes ownership of `window`.
    explicit WindowController(QWidget* window);
    explicit WindowController(const QString& windowNibName);
    ~WindowController() override;

    // Window nibs are widgets built in code: a builder registered by name makes the window.
    // This registers a nib (see Nib) whose top-level widget is the builder's window; a nib
    // registered through Nib directly serves as well.
    static void registerWindowNib(const QString& name, WindowBuilder builder);
    static bool hasWindowNib(const QString& name);

    // The controller of `window` (a top-level widget or any widget in it), or null.
    static WindowController* forWindow(const QWidget* window);

    QString windowNibName() const { return m_nibName; }
    void setWindowNibName(const QString& name) { m_nibName = name; }

    // The window, loaded on first access.
    QWidget* window();
    bool isWindowLoaded() const { return m_window != nullptr; }
    // Takes ownership of `window`, replacing (and deleting) the one before.
    void setWindow(QWidget* window);

    // Makes the window: the registered nib of the nib name, whose objects (then this
    // controller) get awakeFromNib before windowDidLoad. Raises
    // NSInternalInconsistencyException when there is none; subclasses that build their
    // window themselves override this and call setWindow.
    virtual void loadWindow();
    virtual void windowWillLoad() {}
    virtual void awakeFromNib() {}
    virtual void windowDidLoad() {}
    // The objects the window's nib made, kept for the controller's lifetime.
    const QList<Ref<Object>>& topLevelObjects() const { return m_topLevelObjects; }

    // Shows the window and makes it key.
    virtual void showWindow(const QVariant& sender);
    // Closes the window without asking; the document loses this controller.
    virtual void close();

    Document* document() const;
    void setDocument(Document* document);
    // Whether closing this window closes the document even when it has other windows.
    bool shouldCloseDocument() const { return m_shouldCloseDocument; }
    void setShouldCloseDocument(bool close) { m_shouldCloseDocument = close; }

    // "<name>" by default; the window's edited marker comes from the document.
    virtual QString windowTitleForDocumentDisplayName(const QString& displayName) const { return displayName; }
    void synchronizeWindowTitleWithDocumentName();

    // The frame autosave name (stored with the window's frame helpers).
    QString windowFrameAutosaveName() const { return m_frameAutosaveName; }
    void setWindowFrameAutosaveName(const QString& name);

private:
    class CloseFilter;
    void windowCloseRequested();
    void attachWindow(QWidget* window);

    QString m_nibName;
    QList<Ref<Object>> m_topLevelObjects;
    QPointer<QWidget> m_window;
    QPointer<QObject> m_closeFilter;
    Document* m_document = nullptr;
    std::weak_ptr<void> m_documentLiveness;
    bool m_shouldCloseDocument = false;
    bool m_loading = false;
    bool m_closing = false;
    bool m_askingToClose = false;
    QString m_frameAutosaveName;
};

} // namespace pf
