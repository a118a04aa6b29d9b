#pragma once

#include "frameworks/penwork/drawables/PWDrawableContainer.h"
#include "frameworks/penwork/styles/PWStyleClient.h"

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"
#include "platform/ui/Pasteboard.h"

#include <QHash>
#include <QImage>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <memory>
#include <vector>

class PWDrawableObject;
class PWStyle;
class PWXSymbol;
class PWXSymbolMasterClient;

namespace pf {
class UndoManager;
}

inline const QString kPWXSymbolMasterWillChange = QStringLiteral("kPWXSymbolMasterWillChange");
inline const QString kPWXSymbolMasterDidChange = QStringLiteral("kPWXSymbolMasterDidChange");
inline const QString kPWXSymbolMasterNameDidChange = QStringLiteral("kPWXSymbolMasterNameDidChange");
inline const QString kPWXSymbolMasterLockStateDidChange = QStringLiteral("kPWXSymbolMasterLockStateDidChange");

// A reusable clip-art prototype: one private drawable with a name, a description, a unique
// key and a few behaviour flags, drawn by any number of placed instances (PWXSymbol). A change
// of the master redraws every instance. Masters are registered by key in the shared symbol
// registry, so reading one whose key is known answers the registered object.
class PWXSymbolMaster : public pf::Object,
                        public pf::Coding,
                        public pf::PasteboardWriting,
                        public PWDrawableContainer,
                        public PWStyleClient {
    PF_CLASS(PWXSymbolMaster)
public:
    // The private pasteboard types: the unique key as a string, and the master as an archive.
    static QString keyPasteboardType();
    static QString dataPasteboardType();
    // Where instances draw the sequence number in a text adornment.
    static inline const QString kSequencePlaceholder = QStringLiteral("%%CVLQ_SEQUENCE_NUMBER");

    PWXSymbolMaster();
    ~PWXSymbolMaster() override;

    static pf::Ref<PWXSymbolMaster> symbolMasterWithObject(const pf::Ref<PWDrawableObject>& object,
                                                           const QString& name);
    static pf::Ref<PWXSymbolMaster> symbolMasterWithPasteboard(const pf::Pasteboard* pasteboard);
    static bool canInitWithPasteboard(const pf::Pasteboard* pasteboard);
    // Made once: the registered "Default Symbol", else a five-pointed star.
    static pf::Ref<PWXSymbolMaster> defaultSymbolMaster();
    // Made once: the registered "Imported Point Symbol", else a small circle; never sequenceable.
    static pf::Ref<PWXSymbolMaster> defaultSymbolMasterForPointObjectImport();
    // A small red circle standing for an object that cannot be drawn.
    static pf::Ref<PWDrawableObject> invalidSymbolObject();
    // The objects that answer "canBeConvertedToSymbol" with YES.
    static QList<pf::Ref<pf::Object>> validSymbolDonorObjectsFromArray(const QList<pf::Ref<pf::Object>>& objects);

    // Instances ---------------------------------------------------------------------------------

    pf::Ref<PWXSymbol> symbolWithLocation(const QPointF& location);
    pf::Ref<PWXSymbol> symbolWithLocation(const QPointF& location, double documentPrescale);
    // Clients get the count of slots as index; removing empties the slot, which is never reused.
    void addSymbolMasterClient(PWXSymbolMasterClient* client);
    void removeSymbolMasterClient(PWXSymbolMasterClient* client);
    // The live clients.
    QList<PWXSymbolMasterClient*> symbols() const;
    int clientSlotCount() const { return int(m_symbols.size()); }
    // Draws the master's drawable through `instance`'s transform and, when it has one, style.
    void drawSymbolInstance(PWXSymbol* instance);
    // Selects every instance on the object layer of the first instance found on one.
    void selectAllSymbols();

    // The drawable ----------------------------------------------------------------------------

    pf::Ref<PWDrawableObject> object() const { return m_object; }
    // Takes a copy of `object` (an instance gives its master's drawable at its scale and angle).
    // Refused while locked, and for a donor that draws this master (which would never end).
    // Answers whether the drawable was set.
    bool setObject(const pf::Ref<PWDrawableObject>& object);
    QSizeF objectSize() const;
    pf::Ref<PWStyle> style() const;
    bool isGroupObject() const;
    QRectF objectBoundsIgnoringLabels() const;
    bool styleSuggestsSequenceable() const;
    // Whether drawing `object` would draw this master (as an instance, inside a group, or
    // through a chain of masters).
    bool isReachedFrom(const PWDrawableObject& object) const;

    // Properties --------------------------------------------------------------------------------

    QString name() const { return m_symbolName; }
    void setName(const QString& name);
    QString userDescription() const { return m_userDescription; }
    void setUserDescription(const QString& description);
    QString uniqueKey() const { return m_uniqueKey; }
    bool isEqualToSymbolMaster(const PWXSymbolMaster* other) const;
    bool sequenceable() const { return m_sequencable; }
    void setSequenceable(bool sequenceable);
    int defaultSequenceKind() const { return m_defaultSeqKind; }
    void setDefaultSequenceKind(int kind);
    bool autoDetachesInstances() const { return m_autoDetach; }
    void setAutoDetachesInstances(bool autoDetach);
    bool locked() const { return m_locked; }
    void setLocked(bool locked);
    // Always 1.0: the stored value is kept for archives only.
    double prescale() const { return 1.0; }
    double storedPrescale() const { return m_prescale; }
    void setPrescale(double prescale);
    bool detachesStyle() const { return m_detachesStyle; }
    void setDetachesStyle(bool detaches) { m_detachesStyle = detaches; }
    QVariantMap attributesTemplate() const { return m_attributesTemplate; }
    void setAttributesTemplate(const QVariantMap& attributes) { m_attributesTemplate = attributes; }
    QVariantList dataTransformers() const { return m_transformers; }
    double lastModificationTimestamp() const { return m_modTime; }
    void setStylesUndoManager(pf::UndoManager* manager);

    QImage image() const;
    void setImage(const QImage& image) { m_icon = image; }
    QImage imageToFitSize(const QSizeF& size) const;
    QImage imageToFitSize(const QSizeF& size, bool allowScaleUp) const;

    // Library item --------------------------------------------------------------------------

    QByteArray fileData() const;
    static pf::Ref<PWXSymbolMaster> libraryObjectWithFileData(const QByteArray& data);
    pf::Ref<PWXSymbolMaster> clone() const;
    void copyToPasteboard(pf::Pasteboard* pasteboard) const;

    static QStringList observableKeyPaths();
    void sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context);

    QString description() const override;
    pf::Ref<pf::Object> copy() const override;

    // Coding -------------------------------------------------------------------------------------
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;
    pf::Ref<pf::Object> awakeAfterUsingCoder(pf::KeyedUnarchiver& coder) override;

    // Pasteboard writing -------------------------------------------------------------------------
    QStringList writableTypesForPasteboard(const pf::Pasteboard& pasteboard) const override;
    QVariant pasteboardPropertyListForType(const QString& type) const override;

    // Container ----------------------------------------------------------------------------------
    PWDrawing* drawing() const override { return nullptr; }
    PWLayer* layer() const override { return nullptr; }
    RVUndoManager* undoManager() const override { return nullptr; }
    QTransform renderingTransform() const override { return {}; }
    PWImageDataManager* imageManager() const override;
    qint64 indexOfObject(const PWDrawableObject*) const override { return 0; }
    bool isSelectedObject(const PWDrawableObject*) const override { return false; }
    void objectNeedsDisplayInRect(PWDrawableObject*, const QRectF&) override {}
    void objectDidChangeGeometry(PWDrawableObject*, const QRectF&) override {}

    // Style client -------------------------------------------------------------------------------
    void styleWillChange(PWStyle& style, const QString& keyPath) override;
    void styleDidChange(PWStyle& style, const QString& keyPath) override;
    unsigned clientIndex() const override { return m_clientIndex; }
    void setClientIndex(unsigned index) override { m_clientIndex = index; }

    void notifyMasterWillChange();
    void notifyMasterDidChange();

private:
    struct ClientSlot {
        PWXSymbolMasterClient* client = nullptr;
        std::weak_ptr<void> liveness;
    };
    // Takes the drawable; `notify` is off while reading, which may run off the main thread.
    bool installObject(const pf::Ref<PWDrawableObject>& object, bool notify);
    void releaseObject();
    static pf::Ref<PWDrawableObject> donorCopy(const PWDrawableObject& object);
    static bool reaches(const PWDrawableObject& object, const PWXSymbolMaster* target,
                        QSet<const PWXSymbolMaster*>& visited);

    pf::Ref<PWDrawableObject> m_object;
    QString m_symbolName;
    QString m_uniqueKey;
    QString m_userDescription;
    mutable QImage m_icon;
    QVariantList m_transformers;
    bool m_autoDetach = true;
    bool m_locked = false;
    mutable QHash<QString, QImage> m_swatchCache;
    QVariantMap m_attributesTemplate;
    bool m_sequencable = false;
    bool m_detachesStyle = true;
    double m_modTime = 0.0;
    qint32 m_defaultSeqKind = 0;
    double m_prescale = 1.0;
    unsigned m_clientIndex = 0;
    std::vector<ClientSlot> m_symbols;
};
