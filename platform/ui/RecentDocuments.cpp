#include "platform/ui/RecentDocuments.h"

#include "platform/foundation/AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <memory>

namespace pf {

namespace {

// A list larger than this is not something the desktop wrote; it is left alone.
constexpr qint64 kMaximumListSize = 32 * 1024 * 1024;
constexpr int kMaximumDepth = 64;

const QString kBookmarkNamespace = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString kMimeNamespace = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");

// The XBEL file as a plain element tree, so that everything another program wrote goes back
// out unchanged.
struct Node {
    QString name; // qualified, as written
    QList<QPair<QString, QString>> attributes;
    QList<std::shared_ptr<Node>> children;
    QString text; // character data of leaf elements
    bool isText = false;

    QString attribute(const QString& key) const
    {
        for (const auto& a : attributes) {
            if (a.first == key)
                return a.second;
        }
        return {};
    }
    void setAttribute(const QString& key, const QString& value)
    {
        for (auto& a : attributes) {
            if (a.first == key) {
                a.second = value;
                return;
            }
        }
        attributes.append({key, value});
    }
    std::shared_ptr<Node> child(const QString& childName) const
    {
        for (const auto& c : children) {
            if (!c->isText && c->name == childName)
                return c;
        }
        return nullptr;
    }
    std::shared_ptr<Node> ensureChild(const QString& childName)
    {
        if (auto c = child(childName))
            return c;
        auto c = std::make_shared<Node>();
        c->name = childName;
        children.append(c);
        return c;
    }
};
using NodeRef = std::shared_ptr<Node>;

NodeRef emptyList()
{
    auto root = std::make_shared<Node>();
    root->name = QStringLiteral("xbel");
    root->attributes = {{QStringLiteral("version"), QStringLiteral("1.0")},
                        {QStringLiteral("xmlns:bookmark"), kBookmarkNamespace},
                        {QStringLiteral("xmlns:mime"), kMimeNamespace}};
    return root;
}

// Reads the list; a missing file is an empty list, a damaged one an error.
NodeRef readList(const QString& path, Error* error)
{
    QFile file(path);
    if (!file.exists())
        return emptyList();
    if (file.size() > kMaximumListSize) {
        fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                                QObject::tr("The recently used files list is too large to read.")));
        return nullptr;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileRead,
                                QObject::tr("The recently used files list could not be read."), file.errorString()));
        return nullptr;
    }
    QXmlStreamReader reader(&file);
    reader.setNamespaceProcessing(false);
    NodeRef root;
    QList<NodeRef> stack;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (stack.size() >= kMaximumDepth) {
                reader.raiseError(QStringLiteral("elements nested too deeply"));
                break;
            }
            auto node = std::make_shared<Node>();
            node->name = reader.qualifiedName().toString();
            for (const auto& a : reader.attributes())
                node->attributes.append({a.qualifiedName().toString(), a.value().toString()});
            if (stack.isEmpty())
                root = node;
            else
                stack.last()->children.append(node);
            stack.append(node);
        } else if (reader.isEndElement()) {
            if (!stack.isEmpty())
                stack.removeLast();
        } else if (reader.isCharacters() && !reader.isWhitespace() && !stack.isEmpty()) {
            auto text = std::make_shared<Node>();
            text->isText = true;
            text->text = reader.text().toString();
            stack.last()->children.append(text);
        }
    }
    if (reader.hasError() || !root || root->name != QStringLiteral("xbel")) {
        fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileReadCorrupt,
                                QObject::tr("The recently used files list is damaged."),
                                reader.hasError() ? reader.errorString() : QObject::tr("It is not a bookmark list.")));
        return nullptr;
    }
    return root;
}

void writeNode(QXmlStreamWriter& writer, const Node& node)
{
    if (node.isText) {
        writer.writeCharacters(node.text);
        return;
    }
    writer.writeStartElement(node.name);
    for (const auto& a : node.attributes)
        writer.writeAttribute(a.first, a.second);
    for (const auto& c : node.children)
        writeNode(writer, *c);
    writer.writeEndElement();
}

bool writeList(const Node& root, const QString& path, Error* error)
{
    QByteArray data;
    QXmlStreamWriter writer(&data);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writeNode(writer, root);
    writer.writeEndDocument();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return writeDataAtomically(data, path, error);
}

QString timestamp(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

NodeRef applicationNode(const Node& bookmark, const QString& application)
{
    NodeRef info = bookmark.child(QStringLiteral("info"));
    if (!info)
        return nullptr;
    for (const auto& metadata : info->children) {
        if (metadata->isText || metadata->name != QStringLiteral("metadata"))
            continue;
        if (NodeRef apps = metadata->child(QStringLiteral("bookmark:applications"))) {
            for (const auto& app : apps->children) {
                if (!app->isText && app->name == QStringLiteral("bookmark:application")
                    && app->attribute(QStringLiteral("name")) == application)
                    return app;
            }
        }
    }
    return nullptr;
}

} // namespace

RecentDocuments::RecentDocuments(QString applicationName, QString path)
    : m_application(std::move(applicationName)), m_path(path.isEmpty() ? defaultPath() : std::move(path))
{
}

QString RecentDocuments::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/recently-used.xbel");
}

QList<QUrl> RecentDocuments::urls(int maximum) const
{
    NodeRef root = readList(m_path, nullptr);
    if (!root)
        return {};
    QList<QPair<QDateTime, QUrl>> found;
    for (const auto& bookmark : root->children) {
        if (bookmark->isText || bookmark->name != QStringLiteral("bookmark"))
            continue;
        NodeRef app = applicationNode(*bookmark, m_application);
        if (!app)
            continue;
        const QUrl url(bookmark->attribute(QStringLiteral("href")));
        if (!url.isLocalFile() || !QFileInfo::exists(url.toLocalFile()))
            continue;
        QDateTime when = QDateTime::fromString(app->attribute(QStringLiteral("modified")), Qt::ISODateWithMs);
        found.append({when, url});
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QList<QUrl> result;
    for (const auto& entry : found) {
        if (maximum > 0 && result.size() >= maximum)
            break;
        result.append(entry.second);
    }
    return result;
}

bool RecentDocuments::note(const QUrl& url, Error* error)
{
    if (!url.isLocalFile())
        return fail(error, Error::make(kPFFoundationErrorDomain, kErrorFileWriteInvalidFileName,
                                       QObject::tr("Only files can be recently used documents.")));
    NodeRef root = readList(m_path, error);
    if (!root)
        return false;
    const QUrl href = QUrl::fromLocalFile(QFileInfo(url.toLocalFile()).absoluteFilePath());
    const QString now = timestamp(QDateTime::currentDateTimeUtc());
    NodeRef bookmark;
    for (const auto& node : root->children) {
        if (!node->isText && node->name == QStringLiteral("bookmark")
            && QUrl(node->attribute(QStringLiteral("href"))) == href)
            bookmark = node;
    }
    if (!bookmark) {
        bookmark = std::make_shared<Node>();
        bookmark->name = QStringLiteral("bookmark");
        bookmark->setAttribute(QStringLiteral("href"), QString::fromUtf8(href.toEncoded()));
        bookmark->setAttribute(QStringLiteral("added"), now);
        root->children.append(bookmark);
    }
    bookmark->setAttribute(QStringLiteral("modified"), now);
    bookmark->setAttribute(QStringLiteral("visited"), now);

    NodeRef app = applicationNode(*bookmark, m_application);
    if (!app) {
        NodeRef metadata;
        NodeRef info = bookmark->ensureChild(QStringLiteral("info"));
        for (const auto& m : info->children) {
            if (!m->isText && m->name == QStringLiteral("metadata")
                && m->attribute(QStringLiteral("owner")) == QStringLiteral("http://freedesktop.org"))
                metadata = m;
        }
        if (!metadata) {
            metadata = std::make_shared<Node>();
            metadata->name = QStringLiteral("metadata");
            metadata->setAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
            info->children.append(metadata);
        }
        if (!metadata->child(QStringLiteral("mime:mime-type"))) {
            NodeRef mime = metadata->ensureChild(QStringLiteral("mime:mime-type"));
            mime->setAttribute(QStringLiteral("type"), QMimeDatabase().mimeTypeForFile(href.toLocalFile()).name());
        }
        NodeRef apps = metadata->ensureChild(QStringLiteral("bookmark:applications"));
        app = std::make_shared<Node>();
        app->name = QStringLiteral("bookmark:application");
        app->setAttribute(QStringLiteral("name"), m_application);
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        app->setAttribute(QStringLiteral("exec"), QStringLiteral("'%1 %u'").arg(program));
        app->setAttribute(QStringLiteral("count"), QStringLiteral("0"));
        apps->children.append(app);
    }
    app->setAttribute(QStringLiteral("modified"), now);
    app->setAttribute(QStringLiteral("count"), QString::number(app->attribute(QStringLiteral("count")).toInt() + 1));
    return writeList(*root, m_path, error);
}

bool RecentDocuments::clear(Error* error)
{
    if (!QFile::exists(m_path))
        return true;
    NodeRef root = readList(m_path, error);
    if (!root)
        return false;
    QList<NodeRef> kept;
    for (const auto& node : root->children) {
        if (node->isText || node->name != QStringLiteral("bookmark")) {
            kept.append(node);
            continue;
        }
        int others = 0;
        bool ours = false;
        if (NodeRef info = node->child(QStringLiteral("info"))) {
            for (const auto& metadata : info->children) {
                NodeRef apps = metadata->isText ? nullptr : metadata->child(QStringLiteral("bookmark:applications"));
                if (!apps)
                    continue;
                QList<NodeRef> remaining;
                for (const auto& app : apps->children) {
                    if (!app->isText && app->attribute(QStringLiteral("name")) == m_application)
                        ours = true;
                    else
                        remaining.append(app);
                }
                apps->children = remaining;
                for (const auto& app : remaining)
                    others += app->isText ? 0 : 1;
            }
        }
        if (!ours || others > 0)
            kept.append(node);
    }
    root->children = kept;
    return writeList(*root, m_path, error);
}

} // namespace pf
