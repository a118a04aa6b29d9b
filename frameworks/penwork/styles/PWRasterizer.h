#pragma once

#include "frameworks/penwork/styles/PWRenderable.h"

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Variant.h"

#include <QHash>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <type_traits>

class PWRasterizer;
class PWRastGroup;

// Told before and after a renderer's property changes, with the property's key path. The
// style at the root of a renderer tree records the undo of the old value and redraws its
// clients; a group relays its children's messages to its own observer.
class PWRasterizerObserver {
public:
    virtual ~PWRasterizerObserver() = default;
    virtual void rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath) = 0;
    virtual void rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath) = 0;
};

// The base of every renderer: one component of a style that draws an object's path in some
// way (a stroke, a fill, a group of further renderers).
//
// Every property setter follows one protocol: a value equal to the stored one changes nothing
// and sends nothing; otherwise the renderer refuses when it is locked, and else sends
// rasterizerWillChange to its rastObserver (and key-value observers their will-change), stores
// the value, and sends rasterizerDidChange. Subclasses write a setter as one call to
// changeProperty.
class PWRasterizer : public pf::Object, public pf::Coding {
    PF_CLASS(PWRasterizer)
public:
    static inline const QString kEnabledKey = QStringLiteral("enabled");
    // The placeholder an action name may start with, replaced by the renderer's displayName.
    static inline const QString kKindPlaceholder = QStringLiteral("#kind#");

    PWRasterizer();
    // Copies take the settings, never the container or the observer.
    PWRasterizer(const PWRasterizer& other);
    ~PWRasterizer() override;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Whether changes are refused: a renderer is locked when the style it belongs to is.
    virtual bool locked() const;

    // Not retained. An observer that is a pf::Reflective is dropped once it is destroyed; any
    // other must clear itself before it goes.
    PWRasterizerObserver* rastObserver() const;
    void setRastObserver(PWRasterizerObserver* observer);

    // The group holding this renderer (null at the top), and the top of its tree (itself
    // when it has no container).
    PWRastGroup* container() const;
    PWRasterizer* root();
    const PWRasterizer* root() const;
    // Takes the renderer out of its group; nothing when it has none.
    void removeFromContainer();

    // A short kind name, put in place of "#kind#" in action names.
    virtual QString displayName() const;
    // The keys whose changes observers may watch; subclasses append to their superclass's.
    virtual QStringList observableKeyPaths() const;
    // Whether hit testing may use a simpler drawing than this renderer's own.
    virtual bool allowSubstitutionForHitTesting() const { return true; }

    // The undo action name for a change of `keyPath`, with "#kind#" replaced by displayName;
    // a generic name for key paths no class registered.
    QString actionNameForKeyPath(const QString& keyPath) const;

    // Drawing into pf::GraphicsContext::current() (nothing when there is none). render takes
    // pathForObject and hands it to renderPath; the bounds are the area render may touch.
    virtual void render(const PWRenderable& object);
    virtual pf::Ref<pf::BezierPath> pathForObject(const PWRenderable& object) const;
    virtual void renderPath(const pf::BezierPath& path);
    virtual QRectF boundsNeededForObject(const PWRenderable& object) const;

    // The change protocol, for setters written by hand and for callers that change a
    // property in place (a shadow edited through its own keys). notifyWillChange answers false,
    // and sends nothing, when the renderer is locked; the caller must then leave the value.
    bool notifyWillChange(const QString& keyPath);
    void notifyDidChange(const QString& keyPath);

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    // Registers the action names of this class's key paths; overrides call their superclass's
    // first, then setActionName for each of their own.
    virtual void registerActionNames() const;
    void setActionName(const QString& name, const QString& keyPath) const;

    // The setter protocol in one call: answers whether the value was stored.
    template <class V, class N>
    bool changeProperty(V& field, N&& value, const QString& keyPath)
    {
        V newValue(std::forward<N>(value));
        if (sameValue(field, newValue))
            return false;
        if (!notifyWillChange(keyPath))
            return false;
        field = std::move(newValue);
        notifyDidChange(keyPath);
        return true;
    }

    // Hooks of the protocol: by default they tell the rastObserver; a style handles its own.
    virtual void sendWillChange(const QString& keyPath);
    virtual void sendDidChange(const QString& keyPath);

    template <class V>
    static bool sameValue(const V& a, const V& b)
    {
        if constexpr (std::is_floating_point_v<V>)
            return a == b || (a != a && b != b);
        else
            return a == b;
    }
    template <class T>
    static bool sameValue(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b)
    {
        if (a == b)
            return true;
        return a && b && a->isEqual(b.get());
    }

private:
    friend class PWRastGroup;

    void setContainer(PWRastGroup* container);

    bool m_enabled = true;
    PWRasterizerObserver* m_observer = nullptr;
    std::weak_ptr<void> m_observerLiveness;
    bool m_observerIsTracked = false;
    // Cleared by the group when it lets go of this renderer or is destroyed.
    PWRastGroup* m_container = nullptr;
};
