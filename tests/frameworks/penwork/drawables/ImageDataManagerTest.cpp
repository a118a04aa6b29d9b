#include "frameworks/penwork/drawables/PWImageDataManager.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "tests/support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray fixturePng()
{
    QFile file(quillory::test::fixturePath(QStringLiteral("images/red-blue-8x4.png")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

TEST(ShapesImageDataManager, SameContentSharesOneEntryAndCountsUses)
{
    PWImageDataManager manager;
    const QByteArray png = fixturePng();
    const QString first = manager.addImageData(png);
    const QString second = manager.addImageData(QByteArray(png)); // equal bytes, another buffer
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, PWImageDataManager::keyForImageData(png));
    EXPECT_EQ(manager.count(), 1);
    EXPECT_EQ(manager.useCountForKey(first), 2);

    const QString other = manager.addImageData("not an image");
    EXPECT_NE(other, first);
    EXPECT_EQ(manager.count(), 2);

    EXPECT_TRUE(manager.addImageData({}).isEmpty());
    EXPECT_EQ(manager.count(), 2);
}

TEST(ShapesImageDataManager, ReleasedDataIsDroppedAndNeverCountsBelowZero)
{
    PWImageDataManager manager;
    const QString key = manager.addImageData(fixturePng());
    manager.retainKey(key);
    manager.releaseKey(key);
    manager.releaseKey(key);
    manager.releaseKey(key); // one more than retained
    EXPECT_EQ(manager.useCountForKey(key), 0);
    manager.retainKey(QStringLiteral("unknown"));
    EXPECT_FALSE(manager.hasImageDataForKey(QStringLiteral("unknown")));

    const QString kept = manager.addImageData("kept");
    EXPECT_EQ(manager.removeUnusedData(), 1);
    EXPECT_FALSE(manager.hasImageDataForKey(key));
    EXPECT_TRUE(manager.hasImageDataForKey(kept));
}

TEST(ShapesImageDataManager, DecodesImagesAndAnswersNullForDamagedData)
{
    PWImageDataManager manager;
    const QString good = manager.addImageData(fixturePng());
    const QImage image = manager.imageForKey(good);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(8, 4));
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(Qt::red));

    QByteArray truncated = fixturePng().left(30);
    EXPECT_TRUE(manager.imageForKey(manager.addImageData(truncated)).isNull());
    EXPECT_TRUE(manager.imageForKey(QStringLiteral("missing")).isNull());
}

TEST(ShapesImageDataManager, ArchiveKeepsOnlyUsedDataAndRekeysByContent)
{
    auto manager = std::make_shared<PWImageDataManager>();
    const QString used = manager->addImageData(fixturePng());
    const QString unused = manager->addImageData("dropped on save");
    manager->releaseKey(unused);

    pf::Error error;
    const QByteArray archive = pf::KeyedArchiver::archivedData(manager, pf::PropertyListFormat::Binary, &error);
    ASSERT_FALSE(archive.isEmpty()) << error.description().toStdString();
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWImageDataManager>(archive, &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->keys(), QStringList{used});
    EXPECT_EQ(read->imageDataForKey(used), fixturePng());
    EXPECT_EQ(read->useCountForKey(used), 0); // users count themselves in again

}

TEST(ShapesImageDataManager, DamagedArchiveEntriesAreRekeyedOrSkipped)
{
    auto manager = std::make_shared<PWImageDataManager>();
    const QString key = manager->addImageData(fixturePng());
    const QByteArray archive = pf::KeyedArchiver::archivedData(manager, pf::PropertyListFormat::XML);

    // A forged key for the bytes and an entry that is not data at all.
    QString xml = QString::fromUtf8(archive);
    ASSERT_TRUE(xml.contains(key));
    xml.replace(key, QStringLiteral("forged"));
    xml.replace(QStringLiteral("<key>forged</key>"),
                QStringLiteral("<key>text</key><string>not data</string><key>forged</key>"));
    pf::Error error;
    auto read = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWImageDataManager>(xml.toUtf8(), &error);
    ASSERT_TRUE(read) << error.description().toStdString();
    EXPECT_EQ(read->keys(), QStringList{key});
}

} // namespace
