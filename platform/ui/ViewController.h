#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Responder.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <QWidget>

namespace pf {

// Manages one view: made on first use of view() by loadView (from the nib of its nib name,
// or by a subclass in code), with the object it represents and a title. The controller
// follows its view in the responder chain. A view that has no parent widget is deleted with
// the controller; one placed in a window belongs to that window.
class ViewController : public Object, public Responder {
    PF_CLASS(ViewController)
public:
    ViewController() = default;
    explicit ViewController(const QString& nibName) : m_nibName(nibName) {}
    ~ViewController() override;

    QString nibName() const { return m_nibName; }

    // The view, loaded on first access: loadView, then viewDidLoad.
    QWidget* view();
    bool isViewLoaded() const { return m_view != nullptr; }
    // Takes the view (a parentless view is owned from now on); the one before is released
    // as described above.
    void setView(QWidget* view);

    // Makes the view: the nib of the nib name, whose objects (then this controller) get
    // awakeFromNib. Raises NSInternalInconsistencyException when there is no such nib or it
    // made no view; subclasses that build the view in code override this and call setView.
    virtual void loadView();
    virtual void awakeFromNib() {}
    virtual void viewDidLoad() {}

    // Observable as "representedObject" and "title".
    QVariant representedObject() const { return m_representedObject; }
    virtual void setRepresentedObject(const QVariant& object);
    QString title() const { return m_title; }
    virtual void setTitle(const QString& title);

    // The objects the view's nib made, kept for the controller's lifetime.
    const QList<Ref<Object>>& topLevelObjects() const { return m_topLevelObjects; }

private:
    void releaseView();

    QString m_nibName;
    QPointer<QWidget> m_view;
    QVariant m_representedObject;
    QString m_title;
    QList<Ref<Object>> m_topLevelObjects;
    bool m_loading = false;
};

} // namespace pf
