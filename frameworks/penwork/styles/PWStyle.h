#pragma once

#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWStyleClient.h"
#include "frameworks/penwork/styles/PWStyleNameProvider.h"

#include "platform/graphics/Color.h"
#include "platform/graphics/Shadow.h"

#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QVariantMap>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

namespace pf {
class UndoManager;
}

// Posted with the style as object.
inline const QString kPWStyleDidChangeNotification = QStringLiteral("kPWStyleDidChangeNotification");
inline const QString kPWStyleNameChangedNotification = QStringLiteral("kPWStyleNameChangedNotification");
inline const QString kPWStyleLockStateChangedNotification = QStringLiteral("kPWStyleLockStateChangedNotification");
// Posted with no object when style sharing is switched on or off.
inline const QString kPWStyleSharingEnabledChangeNotification =
    QStringLiteral("kPWStyleSharingEnabledChangeNotification");

// The look of a drawable: a named group of renderers at the root of a renderer tree.
//
// The style is the observer of its tree: every change of a renderer in it, and of its own
// properties, tells its clients before and after, records the undo of the old value under the
// renderer's action name with the style's undo manager, and posts
// kPWStyleDidChangeNotification. A locked style refuses every change but its lock itself.
class PWStyle : public PWRastGroup {
    PF_CLASS(PWStyle)
public:
    static inline const QString kNameKey = QStringLiteral("name");
    static inline const QString kOpacityKey = QStringLiteral("opacity");
    static inline const QString kLockedKey = QStringLiteral("locked");
    static inline const QString kStyleSharableKey = QStringLiteral("styleSharable");
    static inline const QString kIsStyleRegisteredKey = QStringLiteral("isStyleRegistered");
    static inline const QString kUserDescriptionKey = QStringLiteral("userDescription");
    static inline const QString kFillColourKey = QStringLiteral("fillColour");
    static inline const QString kStringKey = QStringLiteral("string");
    static inline const QString kImageComponentKey = QStringLiteral("imageComponent");

    // Unnamed, opaque, unlocked, sharable as stylesAreSharableByDefault says, with a new
    // unique key and no renderers.
    PWStyle();
    // An independent copy: copied renderers, a new unique key, no clients and no undo
    // manager; unlocked, named by the name provider when one is installed and enabled.
    PWStyle(const PWStyle& other);
    ~PWStyle() override;

    // A new style holding a fill of `fill` under a stroke of `stroke` (width 1). An invalid
    // colour leaves its renderer out.
    static pf::Ref<PWStyle> styleWithFillColour(const pf::Color& fill, const pf::Color& stroke);

    // The style new objects get. Starts as a light fill under a dark stroke; setting null
    // restores that.
    static pf::Ref<PWStyle> defaultStyle();
    static void setDefaultStyle(const pf::Ref<PWStyle>& style);
    // Text styles: a new style holding one text adornment with that font (its size included),
    // or with those text attributes, named after the font ("Helvetica 12 pt").
    static pf::Ref<PWStyle> textStyleWithFont(const QFont& font);
    static pf::Ref<PWStyle> textStyleWithAttributes(const QVariantMap& attributes);
    // The text style new text objects get, and that text can be reset to (callers take a
    // mutable copy). Starts as one text adornment with its defaults; setting null restores that.
    static pf::Ref<PWStyle> defaultTextStyle();
    static void setDefaultTextStyle(const pf::Ref<PWStyle>& style);
    // A new shadow with the framework's default settings, each call.
    static pf::Ref<pf::Shadow> defaultShadow();

    // Process-wide display switches, kept in the user defaults (PWClassSettings) from one run
    // to the next.
    static bool shouldAntialias();
    static void setShouldAntialias(bool antialias);
    static bool willDrawShadows();
    static void setWillDrawShadows(bool draw);
    static bool shouldSubstitutePlaceholderStyle();
    static void setShouldSubstitutePlaceholderStyle(bool substitute);
    static bool ignoresFilterElements();
    static void setIgnoresFilterElements(bool ignore);
    // Posts kPWStyleSharingEnabledChangeNotification when it changes.
    static bool styleSharingEnabled();
    static void setStyleSharingEnabled(bool enabled);
    static bool stylesAreSharableByDefault();
    static void setStylesAreSharableByDefault(bool sharable);

    // Copies made between a disable and its enable keep their original's name; calls nest.
    static void disableNameProvider();
    static void enableNameProvider();
    static bool isNameProviderEnabled();
    // Not retained: the provider must be cleared (null) before it goes.
    static void setNameProvider(PWStyleNameProvider* provider);
    static PWStyleNameProvider* nameProvider();

    QString name() const { return m_name; }
    // Posts kPWStyleNameChangedNotification.
    void setName(const QString& name);
    // 0 to 1 (other values are clamped, NaN refused); below 1 the renderers are drawn into a
    // transparency layer that is then composited at this opacity.
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);
    bool locked() const override { return m_locked; }
    // Posts kPWStyleLockStateChangedNotification.
    void setLocked(bool locked);
    bool styleSharable() const { return m_styleSharable; }
    void setStyleSharable(bool sharable);
    // Whether a style registry holds the style; the registry sets it.
    // Registered by the framework's own registry (which sets the flag), or held under its
    // unique key by the registry the application handed over.
    bool isStyleRegistered() const;
    void setStyleRegistered(bool registered);
    // Stable across archiving.
    QString uniqueKey() const { return m_uniqueKey; }
    QString userDescription() const { return m_userDescription; }
    void setUserDescription(const QString& description);
    // Seconds since 2001-01-01 00:00 UTC of the last change.
    double lastModificationTimestamp() const { return m_lastModification; }

    // Whether a text adornment is among the renderers (groups searched), and whether the style
    // draws only text: at least one text adornment and, besides groups, nothing else.
    bool hasTextAdornment() const;
    bool isPureTextStyle() const;

    // Swatches: the style drawn on a sample shape (a 40 x 40 rounded square), scaled to fit the
    // size with all the style draws, and centred. Without `allowScaleUp` the sample is never
    // drawn larger than its own size. image() is 64 x 64. Sizes below 1 or above 4096 pixels a
    // side give a null image.
    QImage image() const;
    QImage imageToFitSize(const QSizeF& size, bool allowScaleUp = true) const;

    // Clients are not retained; a client that is a pf::Reflective is skipped once destroyed,
    // any other must remove itself before it goes. Adding twice does nothing.
    void addClient(PWStyleClient* client);
    void removeClient(PWStyleClient* client);
    int countOfClients() const;
    bool hasClient(const PWStyleClient* client) const;

    // Not retained; changes record their undo with it. Null records none.
    pf::UndoManager* undoManager() const;
    void setUndoManager(pf::UndoManager* manager);

    // The colour of the topmost fill; with none, a new fill goes beneath the other renderers.
    void setFillColour(const pf::Color& colour);
    // The label of the topmost text adornment, and the image of the topmost image adornment;
    // with none, a new adornment showing it goes on top. Both are also kept by the style.
    void setString(const QString& string);
    QString string() const { return m_string; }
    void setImageComponent(const QImage& image);
    QImage imageComponent() const { return m_imageComponent; }

    // Same appearance: opacity and renderers (name, key and lock aside).
    bool isEqualToStyle(const PWStyle* other) const;
    bool isEqual(const pf::Reflective* other) const override;
    size_t hash() const override;

    pf::Ref<pf::Object> copy() const override;
    pf::Ref<pf::Object> mutableCopy() const override { return copy(); }
    // A copy that also keeps the name, the description and the lock (still a new unique key).
    pf::Ref<PWStyle> clone() const;

    // Draws the renderers with the class-wide antialiasing switch, at the style's opacity.
    // While shouldSubstitutePlaceholderStyle is on, draws the placeholder instead: the path's
    // outline as a black hairline.
    void render(const PWRenderable& object) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;
    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    void rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath) override;
    void rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath) override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    void sendWillChange(const QString& keyPath) override;
    void sendDidChange(const QString& keyPath) override;

private:
    // A removed client leaves its slot empty (null) until the list is compacted.
    struct Client {
        PWStyleClient* client;
        std::weak_ptr<void> liveness;
        bool tracked;
    };
    struct PendingUndo {
        pf::Reflective* target;
        std::weak_ptr<void> liveness;
        QString keyPath;
        QVariant oldValue;
    };

    std::vector<PWStyleClient*> liveClients() const;
    void compactClients();
    void recordUndo(const PendingUndo& pending, const QString& actionName);
    void touch();

    QString m_name;
    double m_opacity = 1.0;
    bool m_locked = false;
    bool m_styleSharable = true;
    bool m_registered = false;
    QString m_uniqueKey;
    QString m_userDescription;
    double m_lastModification = 0.0;
    QString m_string;
    QImage m_imageComponent;
    // In the order added; m_clientSlots finds a client's slot, so that a style shared by many
    // objects adds and removes each in constant time.
    std::vector<Client> m_clients;
    std::unordered_map<const PWStyleClient*, size_t> m_clientSlots;
    size_t m_emptyClientSlots = 0;
    unsigned m_nextClientIndex = 0;
    pf::UndoManager* m_undoManager = nullptr;
    std::weak_ptr<void> m_undoManagerLiveness;
    std::vector<PendingUndo> m_pendingUndo;
};
