#pragma once

#include "platform/foundation/Error.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// One node of a parsed SVG document: an element (named by its local name, attributes by their
// local names, xlink attributes as "xlink:name") or a run of character data (empty name).
// Elements outside the SVG namespace keep their prefixed name, so that nothing matches them.
struct PWSVGElement {
    QString name;
    QHash<QString, QString> attributes;
    QString text;
    QStringList classes;
    PWSVGElement* parent = nullptr;
    std::vector<std::unique_ptr<PWSVGElement>> children;

    bool isText() const { return name.isEmpty(); }
    QString attribute(const QString& key) const { return attributes.value(key); }
    bool hasAttribute(const QString& key) const { return attributes.contains(key); }
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
