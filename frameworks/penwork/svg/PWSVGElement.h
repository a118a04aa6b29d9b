#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// The attributes of one element in document order, a later one of the same name replacing the
// earlier. An element carries a handful, so a flat list costs far less to build and to hold
// than a hash table for each of a document's many thousands of elements.
class PWSVGAttributes {
public:
    using Entry = std::pair<QString, QString>;

    // The value of `key` (a QString, QStringView or QLatin1String), or null when the element
    // has no such attribute.
    template <typename Key>
    const QString* find(const Key& key) const
    {
        for (const Entry& entry : m_entries)
            if (entry.first == key)
                return &entry.second;
        return nullptr;
    }
    template <typename Key>
    QString value(const Key& key) const
    {
        const QString* found = find(key);
        return found ? *found : QString();
    }
    template <typename Key>
    bool contains(const Key& key) const
    {
        return find(key) != nullptr;
    }
    void insert(const QString& key, const QString& value)
    {
        for (Entry& entry : m_entries)
            if (entry.first == key) {
                entry.second = value;
                return;
            }
        m_entries.emplace_back(key, value);
    }
    void reserve(qsizetype count) { m_entries.reserve(size_t(count)); }
    qsizetype size() const { return qsizetype(m_entries.size()); }
    std::vector<Entry>::const_iterator begin() const { return m_entries.begin(); }
    std::vector<Entry>::const_iterator end() const { return m_entries.end(); }

private:
    std::vector<Entry> m_entries;
};

// One node of a parsed SVG document: an element (named by its local name, attributes by their
// local names, xlink attributes as "xlink:name") or a run of character data (empty name).
// Elements outside the SVG namespace keep their prefixed name, so that nothing matches them.
struct PWSVGElement {
    QString name;
    PWSVGAttributes attributes;
    QString text;
    QStringList classes;
    PWSVGElement* parent = nullptr;
    std::vector<std::unique_ptr<PWSVGElement>> children;

    bool isText() const { return name.isEmpty(); }
    template <typename Key>
    QString attribute(const Key& key) const
    {
        return attributes.value(key);
    }
    template <typename Key>
    bool hasAttribute(const Key& key) const
    {
        return attributes.contains(key);
    }
    // "href", or the older "xlink:href".
    QString href() const;
};

// Reads SVG data into a tree of PWSVGElement with QXmlStreamReader. External entities are never
// resolved and internal ones expand within Qt's limit; the nesting depth, the number of nodes
// and the data size are bounded so that no file can make reading hang or exhaust memory.
class PWSVGDocumentReader {
public:
    static constexpr qint64 kMaxDataBytes = qint64(64) * 1024 * 1024;
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxNodes = 250000;

    // The root <svg> element, or null and an error (kPWSVGErrorDomain) for data that is not
    // well-formed XML, is not SVG or goes beyond the bounds. A document damaged anywhere, even
    // after its content, is refused as a whole: a partial picture would pass for the file.
    static std::unique_ptr<PWSVGElement> read(const QByteArray& data, pf::Error* error);
};
