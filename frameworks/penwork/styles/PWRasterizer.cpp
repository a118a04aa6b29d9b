#include "frameworks/penwork/styles/PWRasterizer.h"

#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWRenderingPathScope.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <QHash>

#include <mutex>

PF_DEFINE_CLASS(PWRasterizer, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWRasterizer::kEnabledKey, &PWRasterizer::enabled, &PWRasterizer::setEnabled);
    b.property("locked", &PWRasterizer::locked);
    b.property("displayName", &PWRasterizer::displayName);
    b.method("removeFromContainer", &PWRasterizer::removeFromContainer);
}

namespace {

const QString kEnabledArchiveKey = QStringLiteral("pw_rasterizer_enabled");

// Action names by class, filled the first time a class is asked for one.
struct ActionNameTable {
    std::mutex mutex;
    QHash<const pf::Class*, QHash<QString, QString>> names;
};

ActionNameTable& actionNameTable()
{
    static ActionNameTable table;
    return table;
}

// The table registerActionNames is filling on this thread.
thread_local QHash<QString, QString>* t_filling = nullptr;

} // namespace

PWRasterizer::PWRasterizer() = default;

PWRasterizer::PWRasterizer(const PWRasterizer& other) : pf::Object(other), pf::Coding(other), m_enabled(other.m_enabled)
{
}

PWRasterizer::~PWRasterizer() = default;

void PWRasterizer::setEnabled(bool enabled)
{
    changeProperty(m_enabled, enabled, kEnabledKey);
}

bool PWRasterizer::locked() const
{
    const PWRastGroup* group = container();
    return group && group->locked();
}

PWRasterizerObserver* PWRasterizer::rastObserver() const
{
    if (m_observerIsTracked && m_observerLiveness.expired())
        return nullptr;
    return m_observer;
}

void PWRasterizer::setRastObserver(PWRasterizerObserver* observer)
{
    m_observer = observer;
    const auto* reflective = dynamic_cast<const pf::Reflective*>(observer);
    m_observerIsTracked = reflective != nullptr;
    m_observerLiveness = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

PWRastGroup* PWRasterizer::container() const
{
    return m_container;
}

void PWRasterizer::setContainer(PWRastGroup* container)
{
    m_container = container;
}

PWRasterizer* PWRasterizer::root()
{
    PWRasterizer* top = this;
    while (top->container())
        top = top->container();
    return top;
}

const PWRasterizer* PWRasterizer::root() const
{
    return const_cast<PWRasterizer*>(this)->root();
}

void PWRasterizer::removeFromContainer()
{
    if (PWRastGroup* group = container())
        group->removeRenderer(this);
}

QString PWRasterizer::displayName() const
{
    // An extension may name renderer classes through the class table.
    if (objClass().respondsToClassMethod(QStringLiteral("displayName")))
        return objClass().performClassMethod(QStringLiteral("displayName")).toString();
    // The class name without the framework prefix: "PWStroke" is a "Stroke".
    const QString name = className();
    return name.startsWith(QLatin1String("PW")) && name.size() > 2 ? name.mid(2) : name;
}

QStringList PWRasterizer::observableKeyPaths() const
{
    return {kEnabledKey};
}

void PWRasterizer::registerActionNames() const
{
    setActionName(QStringLiteral("Enable/Disable #kind#"), kEnabledKey);
}

void PWRasterizer::setActionName(const QString& name, const QString& keyPath) const
{
    if (t_filling)
        t_filling->insert(keyPath, name);
    else
        PF_LOG("PWRasterizer: setActionName outside registerActionNames ignored (%s)", qPrintable(keyPath));
}

QString PWRasterizer::actionNameForKeyPath(const QString& keyPath) const
{
    ActionNameTable& table = actionNameTable();
    const pf::Class* cls = &objClass();
    QHash<QString, QString> names;
    bool known = false;
    {
        std::lock_guard lock(table.mutex);
        auto it = table.names.constFind(cls);
        if (it != table.names.constEnd()) {
            names = *it;
            known = true;
        }
    }
    if (!known) {
        // Filled outside the lock: a subclass's registerActionNames may ask for other names.
        QHash<QString, QString>* outer = t_filling;
        t_filling = &names;
        try {
            registerActionNames();
        } catch (...) {
            t_filling = outer;
            throw;
        }
        t_filling = outer;
        std::lock_guard lock(table.mutex);
        table.names.insert(cls, names);
    }
    QString name = names.value(keyPath);
    if (name.isEmpty()) {
        // A key path within a registered property ("shadow.shadowColor") takes its name.
        const QString first = keyPath.section(QLatin1Char('.'), 0, 0);
        name = names.value(first, QStringLiteral("Change #kind#"));
    }
    return name.replace(kKindPlaceholder, displayName());
}

void PWRasterizer::render(const PWRenderable& object)
{
    if (!pf::GraphicsContext::current())
        return;
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    if (path)
        renderPath(*path);
}

pf::Ref<pf::BezierPath> PWRasterizer::pathForObject(const PWRenderable& object) const
{
    return PWRenderingPathScope::renderingPathOf(object);
}

void PWRasterizer::renderPath(const pf::BezierPath&)
{
    // The base renderer draws nothing.
}

QRectF PWRasterizer::boundsNeededForObject(const PWRenderable& object) const
{
    const pf::Ref<pf::BezierPath> path = pathForObject(object);
    return path ? path->bounds() : QRectF();
}

bool PWRasterizer::notifyWillChange(const QString& keyPath)
{
    if (locked()) {
        PF_LOG("%s: \"%s\" not changed: the renderer is locked", qPrintable(className()), qPrintable(keyPath));
        return false;
    }
    willChangeValueForKey(keyPath.section(QLatin1Char('.'), 0, 0));
    sendWillChange(keyPath);
    return true;
}

void PWRasterizer::notifyDidChange(const QString& keyPath)
{
    didChangeValueForKey(keyPath.section(QLatin1Char('.'), 0, 0));
    sendDidChange(keyPath);
}

void PWRasterizer::sendWillChange(const QString& keyPath)
{
    if (PWRasterizerObserver* observer = rastObserver())
        observer->rasterizerWillChange(*this, keyPath);
}

void PWRasterizer::sendDidChange(const QString& keyPath)
{
    if (PWRasterizerObserver* observer = rastObserver())
        observer->rasterizerDidChange(*this, keyPath);
}

pf::Ref<pf::Object> PWRasterizer::copy() const
{
    return std::make_shared<PWRasterizer>(*this);
}

bool PWRasterizer::isEqual(const pf::Reflective* other) const
{
    if (other == this)
        return true;
    const auto* rasterizer = dynamic_cast<const PWRasterizer*>(other);
    return rasterizer && &rasterizer->objClass() == &objClass() && rasterizer->m_enabled == m_enabled;
}

void PWRasterizer::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeBool(m_enabled, kEnabledArchiveKey);
}

void PWRasterizer::initWithCoder(pf::KeyedUnarchiver& coder)
{
    // A renderer archived without the key was enabled.
    m_enabled = coder.containsValueForKey(kEnabledArchiveKey) ? coder.decodeBool(kEnabledArchiveKey) : true;
}
