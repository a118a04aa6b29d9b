#include "platform/ui/ViewController.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Nib.h"
#include "platform/ui/NibLoader.h"

#include <QWidget>

PF_DEFINE_CLASS_NAMED(pf::ViewController, pf::Object, "pf::ViewController")
{
    b.property("representedObject", &pf::ViewController::representedObject,
               &pf::ViewController::setRepresentedObject);
    b.property("title", &pf::ViewController::title, &pf::ViewController::setTitle);
    b.property("nibName", &pf::ViewController::nibName);
    b.method("awakeFromNib", &pf::ViewController::awakeFromNib);
}

namespace pf {

ViewController::~ViewController()
{
    releaseView();
}

QWidget* ViewController::view()
{
    // A loadView that asks for the view again gets null rather than loading twice.
    if (!m_view && !m_loading) {
        m_loading = true;
        try {
            loadView();
        } catch (...) {
            m_loading = false;
            throw;
        }
        m_loading = false;
        if (m_view)
            viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(QWidget* view)
{
    if (view == m_view)
        return;
    releaseView();
    m_view = view;
    if (view)
        setWidgetController(view, this);
}

void ViewController::releaseView()
{
    QWidget* old = m_view;
    m_view = nullptr;
    if (!old)
        return;
    if (widgetController(old) == this)
        setWidgetController(old, nullptr);
    if (!old->parentWidget())
        delete old;
}

void ViewController::loadView()
{
    NibLoader loader(this);
    const bool found = Nib::load(m_nibName, loader, [this](NibLoader& made) {
        m_topLevelObjects = made.topLevelObjects();
        if (!made.topLevelWidget())
            raise(NSInternalInconsistencyException, QStringLiteral("the view nib \"%1\" made no view").arg(m_nibName));
        setView(made.topLevelWidget());
    });
    if (!found)
        raise(NSInternalInconsistencyException, QStringLiteral("no view nib named \"%1\"").arg(m_nibName));
}

void ViewController::setRepresentedObject(const QVariant& object)
{
    setObservedValue(m_representedObject, object, QStringLiteral("representedObject"));
}

void ViewController::setTitle(const QString& title)
{
    setObservedValue(m_title, title, QStringLiteral("title"));
}

} // namespace pf
