#pragma once

#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QUrl>
#include <QVariant>

class QMimeData;

namespace pf {

class Pasteboard;

// Pasteboard types of the platform. Any other type (the private reverse-DNS types, the
// framework's and the subsystems' own types) travels as the MIME type
// "application/x-qlry-<type>".
inline const QString NSPasteboardTypeString = QStringLiteral("public.utf8-plain-text");
inline const QString NSPasteboardTypePDF = QStringLiteral("com.adobe.pdf");
inline const QString NSPasteboardTypeTIFF = QStringLiteral("public.tiff");
inline const QString NSPasteboardTypePNG = QStringLiteral("public.png");
inline const QString NSPasteboardTypeColor = QStringLiteral("com.apple.cocoa.pasteboard.color");
inline const QString NSPasteboardTypeURL = QStringLiteral("public.url");
inline const QString NSPasteboardTypeFileURL = QStringLiteral("public.file-url");
// A property-list array of paths.
inline const QString NSFilenamesPboardType = QStringLiteral("NSFilenamesPboardType");

inline const QString NSGeneralPboard = QStringLiteral("Apple CFPasteboard general");
inline const QString NSDragPboard = QStringLiteral("Apple CFPasteboard drag");

// The MIME type a pasteboard type travels as, and the pasteboard type of a MIME type (empty
// for MIME types no pasteboard type stands for).
QString mimeTypeForPasteboardType(const QString& type);
QString pasteboardTypeForMimeType(const QString& mimeType);

// An object that can put itself on a pasteboard: the types it writes, and for each one a
// property list (or QByteArray, or QString) to write under it.
class PasteboardWriting {
public:
    virtual ~PasteboardWriting() = default;
    virtual QStringList writableTypesForPasteboard(const Pasteboard& pasteboard) const = 0;
    virtual QVariant pasteboardPropertyListForType(const QString& type) const = 0;
};

// An object that can be made from a pasteboard. Classes register with
// Pasteboard::registerReadableClass; the reader is made by the class's factory and then given
// the first readable type's property list.
class PasteboardReading {
public:
    virtual ~PasteboardReading() = default;
    // False when the value is not one it can read: the object is then dropped.
    virtual bool initWithPasteboardPropertyList(const QVariant& propertyList, const QString& type) = 0;
};

// A named pasteboard: items, each a set of (type, bytes). The general pasteboard mirrors the
// system clipboard through QMimeData; the drag pasteboard is handed to drags; other names are
// private to the process. Objects written in this process and read back in it come back as
// the same objects.
class Pasteboard : public Object {
    PF_CLASS(Pasteboard)
public:
    static Ref<Pasteboard> general();
    static Ref<Pasteboard> drag();
    static Ref<Pasteboard> withName(const QString& name);
    // A pasteboard of no name holding what `mimeData` carries (for drops and for tests).
    static Ref<Pasteboard> fromMimeData(const QMimeData* mimeData);

    explicit Pasteboard(QString name = {});
    ~Pasteboard() override;

    QString name() const { return m_name; }
    // Grows each time the contents are cleared or declared anew, here or (for the general
    // pasteboard) by another program.
    int changeCount() const;

    // Empties the pasteboard; answers the new change count.
    int clearContents();
    // Replaces the contents with one item of `types` and no data yet. The owner is
    // remembered, not retained. Answers the new change count.
    int declareTypes(const QStringList& types, Reflective* owner = nullptr);
    // Adds types to the first item; answers the change count.
    int addTypes(const QStringList& types, Reflective* owner = nullptr);
    Reflective* owner() const;

    // Data of the first item. Setting data for a type not declared declares it too; a
    // property list must be one (false otherwise, changing nothing).
    bool setData(const QByteArray& data, const QString& type);
    bool setString(const QString& string, const QString& type);
    bool setPropertyList(const QVariant& propertyList, const QString& type);
    QByteArray dataForType(const QString& type) const;
    QString stringForType(const QString& type) const;
    // Null when there is no such data or it is no property list.
    QVariant propertyListForType(const QString& type) const;

    // The types of the first item, in the order declared.
    QStringList types() const;
    // The first type of `types` on the pasteboard, or empty.
    QString availableTypeFromArray(const QStringList& types) const;

    // Colours, images and URLs in their platform types.
    bool setColor(const QColor& color);
    QColor color() const;
    // Writes TIFF and PNG representations.
    bool setImage(const QImage& image);
    QImage image() const; // from TIFF or PNG data, whichever is there
    // File URLs also go under NSFilenamesPboardType; each URL is an item.
    bool writeURLs(const QList<QUrl>& urls);
    QList<QUrl> readURLs() const;

    // Objects: each becomes an item with every type it writes. Clears first.
    bool writeObjects(const QList<Ref<Object>>& objects);
    // Objects of the first of `classes` that can read each item (registered readable classes;
    // for an item written by this process, the very object written).
    QList<Ref<Object>> readObjectsForClasses(const QList<const Class*>& classes) const;
    bool canReadObjectForClasses(const QList<const Class*>& classes) const;

    static void registerReadableClass(const Class& cls, const QStringList& readableTypes);
    static QStringList readableTypesForClass(const Class& cls);

    // Items, for readers that walk them.
    int itemCount() const;
    QByteArray dataForType(int item, const QString& type) const;
    QStringList typesOfItem(int item) const;

    // The contents as MIME data (the first item's types plus, when there are more items,
    // all of them in one private type). The caller owns the result.
    QMimeData* makeMimeData() const;
    // The pasteboard a QMimeData made by makeMimeData came from, if it still exists.
    static Ref<Pasteboard> sourceOfMimeData(const QMimeData* mimeData);

private:
    struct Item {
        QStringList types;
        QMap<QString, QByteArray> data;
    };

    void syncFromClipboard() const;
    void publish();
    void touch();
    Item& firstItem();
    const Item* itemAt(int index) const;
    void releaseObjectKeys();
    void loadMimeData(const QMimeData* mimeData);

    QString m_name;
    mutable QList<Item> m_items;
    mutable int m_changeCount = 0;
    Reflective* m_owner = nullptr;
    std::weak_ptr<void> m_ownerLiveness;
    QStringList m_objectKeys; // keys of in-process objects this pasteboard holds
    const QMimeData* m_published = nullptr; // what we last put on the clipboard
    quint64 m_serial = 0;
};

} // namespace pf
