#pragma once

#include "platform/foundation/Coding.h"
#include "platform/foundation/Object.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <QStringList>

// A store of encoded image files (PNG, JPEG, TIFF ...) addressed by the hash of their bytes, so
// that every image shape showing the same picture shares one copy. Users of a key count
// themselves in (retainKey or addImageData) and out (releaseKey); data nobody uses any more is
// left out of the archive and dropped by removeUnusedData. One manager may be shared by the
// whole process and may be reached from a document-reading thread, so it locks its tables.
class PWImageDataManager : public pf::Object, public pf::Coding {
    PF_CLASS(PWImageDataManager)
public:
    PWImageDataManager() = default;
    PWImageDataManager(const PWImageDataManager& other);

    // The content key of `data`: the hex SHA-256 of the bytes; empty for empty data.
    static QString keyForImageData(const QByteArray& data);

    // Stores the data (once per content) and counts one use of its key; answers the key, or an
    // empty key (and stores nothing) for empty data.
    QString addImageData(const QByteArray& data);
    // Counting uses of a key this manager holds; unknown keys are ignored, and a key is never
    // released below zero.
    void retainKey(const QString& key);
    void releaseKey(const QString& key);
    int useCountForKey(const QString& key) const;

    bool hasImageDataForKey(const QString& key) const;
    // The stored bytes, or empty for an unknown key.
    QByteArray imageDataForKey(const QString& key) const;
    // The decoded image, kept after the first decoding; a null image for an unknown key or for
    // data that does not decode.
    QImage imageForKey(const QString& key) const;

    QStringList keys() const;
    int count() const;
    // Drops the data of every key that has no users; answers how many were dropped.
    int removeUnusedData();

    pf::Ref<pf::Object> copy() const override;

    // Only data in use is written. Reading takes every entry whose value is data, filed under the
    // hash of that data whatever key the archive gave it, with no uses counted: the shapes that
    // show them count themselves in again.
    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

private:
    struct Entry {
        QByteArray data;
        int uses = 0;
        mutable QImage image;
        mutable bool decoded = false;
    };

    mutable QMutex m_mutex;
    QHash<QString, Entry> m_entries;
};
