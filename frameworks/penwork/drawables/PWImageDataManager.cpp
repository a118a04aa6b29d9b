#include "frameworks/penwork/drawables/PWImageDataManager.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/ImageReader.h"

#include <QCryptographicHash>
#include <QMutexLocker>

namespace {
const QString kDataKey = QStringLiteral("pw_imageDataManager_data");
}

PF_DEFINE_CLASS(PWImageDataManager, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("keys", &PWImageDataManager::keys);
    b.property("count", &PWImageDataManager::count);
}

PWImageDataManager::PWImageDataManager(const PWImageDataManager& other) : pf::Object(other)
{
    QMutexLocker lock(&other.m_mutex);
    m_entries = other.m_entries;
}

QString PWImageDataManager::keyForImageData(const QByteArray& data)
{
    if (data.isEmpty())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString PWImageDataManager::addImageData(const QByteArray& data)
{
    const QString key = keyForImageData(data);
    if (key.isEmpty())
        return key;
    QMutexLocker lock(&m_mutex);
    Entry& entry = m_entries[key];
    if (entry.data.isEmpty())
        entry.data = data;
    ++entry.uses;
    return key;
}

void PWImageDataManager::retainKey(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.find(key);
    if (it != m_entries.end())
        ++it->uses;
}

void PWImageDataManager::releaseKey(const QString& key)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.find(key);
    if (it != m_entries.end() && it->uses > 0)
        --it->uses;
}

int PWImageDataManager::useCountForKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? 0 : it->uses;
}

bool PWImageDataManager::hasImageDataForKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    return m_entries.contains(key);
}

QByteArray PWImageDataManager::imageDataForKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.constFind(key);
    return it == m_entries.constEnd() ? QByteArray() : it->data;
}

QImage PWImageDataManager::imageForKey(const QString& key) const
{
    QMutexLocker lock(&m_mutex);
    auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return {};
    if (!it->decoded) {
        it->image = pf::ImageReader::read(it->data);
        it->decoded = true;
    }
    return it->image;
}

QStringList PWImageDataManager::keys() const
{
    QMutexLocker lock(&m_mutex);
    QStringList list = m_entries.keys();
    list.sort();
    return list;
}

int PWImageDataManager::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_entries.size());
}

int PWImageDataManager::removeUnusedData()
{
    QMutexLocker lock(&m_mutex);
    int removed = 0;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->uses <= 0) {
            it = m_entries.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

pf::Ref<pf::Object> PWImageDataManager::copy() const
{
    return std::make_shared<PWImageDataManager>(*this);
}

void PWImageDataManager::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    QVariantMap stored;
    {
        QMutexLocker lock(&m_mutex);
        for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
            if (it->uses > 0)
                stored.insert(it.key(), it->data);
        }
    }
    coder.encodePropertyListValue(stored, kDataKey);
}

void PWImageDataManager::initWithCoder(pf::KeyedUnarchiver& coder)
{
    const QVariantMap stored = coder.decodePropertyListValue(kDataKey).toMap();
    QMutexLocker lock(&m_mutex);
    m_entries.clear();
    for (auto it = stored.constBegin(); it != stored.constEnd(); ++it) {
        if (it->typeId() != QMetaType::QByteArray)
            continue;
        const QByteArray data = it->toByteArray();
        const QString key = keyForImageData(data);
        if (!key.isEmpty())
            m_entries[key].data = data;
    }
}
