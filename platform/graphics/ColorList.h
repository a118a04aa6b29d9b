#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Color.h"

#include <QList>
#include <QStringList>

namespace pf {

// A named list of colours under keys, in the list's order.
//
// Files (".clr") are XML property lists of this program's own form:
//   <dict>
//     <key>Format</key>   <string>pf.colorlist</string>
//     <key>Version</key>  <integer>1</integer>
//     <key>Name</key>     <string>Selection Colors</string>
//     <key>Colors</key>   <array> <dict> <key>Key</key> <string>Red</string>
//                                       <key>Color</key> <array> r g b a as reals 0..1 </array>
//                                 </dict> ... </array>
//   </dict>
// Keys are unique and non-empty; neither they nor the name hold a NUL. A file that breaks any of
// this is refused as a whole. A list whose name or keys hold control characters, which XML
// cannot carry, is written as a binary property list of the same form.
class ColorList : public Object {
    PF_CLASS(ColorList)
public:
    ColorList() = default;
    explicit ColorList(const QString& name) : m_name(name) {}

    inline static const QString kFileExtension = QStringLiteral("clr");

    // A list read from `path`, named `name` (the file's own name when empty); null with an
    // error when the file cannot be read or is not a colour list.
    static Ref<ColorList> fromFile(const QString& name, const QString& path, Error* error = nullptr);
    // Writes the list to `path` atomically: on failure the file there is left as it was.
    bool writeToFile(const QString& path, Error* error = nullptr) const;

    // The lists every program has, by name: those registered, then the built-in "Web Safe
    // Colors" (216 colours) and "Crayons" (48).
    static Ref<ColorList> named(const QString& name);
    static QList<Ref<ColorList>> availableColorLists();
    static void registerColorList(const Ref<ColorList>& list);

    QString name() const { return m_name; }
    QStringList allKeys() const;
    // An invalid colour when there is no such key.
    Color colorWithKey(const QString& key) const;
    // Replaces the colour of an existing key in place, or appends the key.
    void setColor(const Color& color, const QString& key);
    // Inserts at `index` (clamped), taking the key out of its old place first.
    void insertColor(const Color& color, const QString& key, qsizetype index);
    void removeColorWithKey(const QString& key);

private:
    struct Entry {
        QString key;
        Color color;
    };
    qsizetype indexOf(const QString& key) const;

    QString m_name;
    QList<Entry> m_entries;
};

} // namespace pf
