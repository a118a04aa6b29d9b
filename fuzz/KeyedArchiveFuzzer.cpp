// Keyed archives: their structure, every kind of value, object graphs with shared references
// and cycles, and the graphics classes' own decoding (paths, colours, gradients, shadows).
// What decodes and archives again must decode again.
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Coding.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <QSet>

#include <cstdint>
#include <cstdlib>

namespace {

// An object holding another strongly, and a property list value that may hold more: the
// shape of a model object that owns its parts.
class FuzzNode : public pf::Object, public pf::Coding {
    PF_CLASS(FuzzNode)
public:
    pf::Ref<pf::Object> child;
    QVariant extra;
    QString text;
    QRectF rect;
    qint64 number = 0;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override
    {
        coder.encodeObject(child, QStringLiteral("child"));
        coder.encodePropertyListValue(extra, QStringLiteral("extra"));
        coder.encodeString(text, QStringLiteral("text"));
        coder.encodeRect(rect, QStringLiteral("rect"));
        coder.encodeInt64(number, QStringLiteral("number"));
    }
    void initWithCoder(pf::KeyedUnarchiver& coder) override
    {
        child = coder.decodeObjectForKey(QStringLiteral("child"));
        extra = coder.decodePropertyListValue(QStringLiteral("extra"));
        text = coder.decodeString(QStringLiteral("text"));
        rect = coder.decodeRect(QStringLiteral("rect"));
        number = coder.decodeInt64(QStringLiteral("number"));
    }
};

PF_DEFINE_CLASS(FuzzNode, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
}

void collectObjects(const QVariant& value, QList<pf::Ref<pf::Object>>& out)
{
    if (auto object = pf::objectFromVariant(value)) {
        out.append(object);
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant& item : value.toList())
            collectObjects(item, out);
    } else if (value.typeId() == QMetaType::QVariantMap) {
        for (const QVariant& item : value.toMap())
            collectObjects(item, out);
    }
}

// A decoded archive may hold a cycle of nodes: an owner must break it, as the model does.
void release(const pf::Ref<pf::Object>& root)
{
    QList<pf::Ref<pf::Object>> pending{root};
    QSet<pf::Object*> seen;
    while (!pending.isEmpty()) {
        const pf::Ref<pf::Object> object = pending.takeLast();
        if (!object || seen.contains(object.get()))
            continue;
        seen.insert(object.get());
        if (auto node = std::dynamic_pointer_cast<FuzzNode>(object)) {
            pending.append(node->child);
            collectObjects(node->extra, pending);
            node->child.reset();
            node->extra.clear();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    pf::Error error;
    const pf::Ref<pf::Object> root = pf::KeyedUnarchiver::unarchiveObject(data, &error);
    if (root && !error.isNull())
        std::abort(); // an object handed out of a failed read
    if (root) {
        // Refusing a value it cannot carry (a string holding NUL) is the writer's right;
        // writing what it cannot read back is not.
        const QByteArray again = pf::KeyedArchiver::archivedData(root);
        if (!again.isEmpty()) {
            const pf::Ref<pf::Object> reread = pf::KeyedUnarchiver::unarchiveObject(again);
            if (!reread)
                std::abort();
            release(reread);
        }
    }
    release(root);
    return 0;
}
