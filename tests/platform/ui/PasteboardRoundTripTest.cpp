#include "platform/ui/Pasteboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace pf;

namespace {

// A model object that puts itself on pasteboards under a private type.
class Swatch : public Object, public PasteboardWriting, public PasteboardReading {
    PF_CLASS(Swatch)
public:
    QString name;
    QStringList writableTypesForPasteboard(const Pasteboard&) const override { return {kType, NSPasteboardTypeString}; }
    QVariant pasteboardPropertyListForType(const QString& type) const override
    {
        if (type == kType)
            return QVariantMap{{"name", name}};
        return name;
    }
    bool initWithPasteboardPropertyList(const QVariant& plist, const QString&) override
    {
        name = plist.toMap().value("name").toString();
        return !name.isEmpty();
    }
    static inline const QString kType = QStringLiteral("org.quillory.private.swatch");
};

} // namespace

PF_DEFINE_CLASS_NAMED(Swatch, pf::Object, "PasteboardTestSwatch") {}

TEST(PasteboardTypes, MimeMappingIsFixedAndReversible)
{
    struct Case {
        QString type;
        QString mime;
    } cases[] = {
        {NSPasteboardTypeString, "text/plain"},
        {NSPasteboardTypePDF, "application/pdf"},
        {NSPasteboardTypeTIFF, "image/tiff"},
        {NSPasteboardTypeColor, "application/x-color"},
        {"kVNQLLayerDragPasteboardType", "application/x-qlry-kVNQLLayerDragPasteboardType"},
        {"com.quillory.private.slice", "application/x-qlry-com.quillory.private.slice"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mimeTypeForPasteboardType(c.type), c.mime);
        EXPECT_EQ(pasteboardTypeForMimeType(c.mime), c.type);
    }
    EXPECT_EQ(mimeTypeForPasteboardType(NSFilenamesPboardType), "text/uri-list");
    EXPECT_TRUE(pasteboardTypeForMimeType("application/octet-stream").isEmpty());
}

TEST(PasteboardGeneral, PrivateTypeTravelsThroughTheClipboard)
{
    Ref<Pasteboard> pasteboard = Pasteboard::general();
    const int count = pasteboard->declareTypes({"PWXLIBITEM_PB_TYPE", NSPasteboardTypeString});
    EXPECT_GT(count, 0);
    ASSERT_TRUE(pasteboard->setData(QByteArray("\x00\x01payload", 9), "PWXLIBITEM_PB_TYPE"));
    ASSERT_TRUE(pasteboard->setString("hello", NSPasteboardTypeString));

    const QMimeData* onClipboard = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(onClipboard);
    EXPECT_EQ(onClipboard->data("application/x-qlry-PWXLIBITEM_PB_TYPE"), QByteArray("\x00\x01payload", 9));
    EXPECT_EQ(onClipboard->text(), "hello");

    // A reader that only sees the MIME data gets the same contents back.
    Ref<Pasteboard> reread = Pasteboard::fromMimeData(onClipboard);
    EXPECT_EQ(reread->dataForType("PWXLIBITEM_PB_TYPE"), QByteArray("\x00\x01payload", 9));
    EXPECT_EQ(reread->stringForType(NSPasteboardTypeString), "hello");
    EXPECT_EQ(pasteboard->availableTypeFromArray({"nothing", NSPasteboardTypeString}), NSPasteboardTypeString);
    EXPECT_EQ(pasteboard->changeCount(), count);

    // Another program taking the clipboard is a new change, and its data is what we read.
    auto* foreign = new QMimeData;
    foreign->setText("from elsewhere");
    QGuiApplication::clipboard()->setMimeData(foreign);
    EXPECT_EQ(pasteboard->changeCount(), count + 1);
    EXPECT_EQ(pasteboard->stringForType(NSPasteboardTypeString), "from elsewhere");
    EXPECT_TRUE(pasteboard->dataForType("PWXLIBITEM_PB_TYPE").isEmpty());
}

TEST(PasteboardObjects, ObjectsComeBackAsThemselvesInProcessAndAsCopiesElsewhere)
{
    Pasteboard::registerReadableClass(Swatch::staticClass(), {Swatch::kType});
    auto swatch = std::make_shared<Swatch>();
    swatch->name = "teal";
    auto second = std::make_shared<Swatch>();
    second->name = "amber";
    Ref<Pasteboard> pasteboard = Pasteboard::withName("test objects");
    ASSERT_TRUE(pasteboard->writeObjects({swatch, second}));
    EXPECT_EQ(pasteboard->itemCount(), 2);
    EXPECT_TRUE(pasteboard->canReadObjectForClasses({&Swatch::staticClass()}));
    QList<Ref<Object>> read = pasteboard->readObjectsForClasses({&Swatch::staticClass()});
    ASSERT_EQ(read.size(), 2);
    EXPECT_EQ(read[0], swatch); // the very object
    EXPECT_EQ(read[1], second);

    // Through MIME data of another process the keys find nothing, so the objects are rebuilt.
    std::unique_ptr<QMimeData> mime(pasteboard->makeMimeData());
    Ref<Pasteboard> copy = Pasteboard::fromMimeData(mime.get());
    pasteboard->clearContents(); // releases the in-process objects
    read = copy->readObjectsForClasses({&Swatch::staticClass()});
    ASSERT_EQ(read.size(), 2);
    EXPECT_NE(read[0], swatch);
    EXPECT_EQ(std::dynamic_pointer_cast<Swatch>(read[0])->name, "teal");
    EXPECT_EQ(std::dynamic_pointer_cast<Swatch>(read[1])->name, "amber");
    EXPECT_EQ(copy->stringForType(NSPasteboardTypeString), "teal");
}

TEST(PasteboardValues, PropertyListsColoursImagesAndURLs)
{
    Ref<Pasteboard> pasteboard = Pasteboard::withName("test values");
    pasteboard->declareTypes({});
    EXPECT_TRUE(pasteboard->setPropertyList(QVariantList{1, "two"}, "kPWStyleKeyPasteboardType"));
    EXPECT_EQ(pasteboard->propertyListForType("kPWStyleKeyPasteboardType"), QVariant(QVariantList{1, "two"}));
    // Not a property list: refused, nothing changes.
    EXPECT_FALSE(pasteboard->setPropertyList(QVariant(QPointF(1, 2)), "bad"));
    EXPECT_FALSE(pasteboard->types().contains("bad"));
    pasteboard->setData("not a plist", "junk");
    EXPECT_FALSE(pasteboard->propertyListForType("junk").isValid());

    ASSERT_TRUE(pasteboard->setColor(QColor(10, 20, 30, 40)));
    EXPECT_EQ(pasteboard->color(), QColor(10, 20, 30, 40));
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(pasteboard->setImage(image));
    EXPECT_EQ(pasteboard->image().size(), QSize(4, 3));
    EXPECT_EQ(pasteboard->image().pixelColor(1, 1), QColor(Qt::blue));

    std::unique_ptr<QMimeData> mime(pasteboard->makeMimeData());
    EXPECT_EQ(qvariant_cast<QColor>(mime->colorData()), QColor(10, 20, 30, 40));
    EXPECT_TRUE(mime->hasImage());

    const QList<QUrl> urls{QUrl::fromLocalFile("/tmp/a file.svg"), QUrl("https://example.org/x")};
    ASSERT_TRUE(pasteboard->writeURLs(urls));
    EXPECT_EQ(pasteboard->readURLs(), urls);
    EXPECT_EQ(pasteboard->propertyListForType(NSFilenamesPboardType), QVariant(QVariantList{"/tmp/a file.svg"}));
    mime.reset(pasteboard->makeMimeData());
    EXPECT_EQ(mime->urls(), urls);
    // A file list from the desktop arrives as file names, one item per URL.
    auto desktop = std::make_unique<QMimeData>();
    desktop->setUrls({QUrl::fromLocalFile("/tmp/one.png"), QUrl::fromLocalFile("/tmp/two.png")});
    Ref<Pasteboard> dropped = Pasteboard::fromMimeData(desktop.get());
    EXPECT_EQ(dropped->itemCount(), 2);
    EXPECT_EQ(dropped->propertyListForType(NSFilenamesPboardType), QVariant(QVariantList{"/tmp/one.png", "/tmp/two.png"}));
}

TEST(PasteboardValues, DamagedItemListFallsBackToThePlainFormats)
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData("application/x-qlry-pasteboard-items", "bplist00garbage");
    mime->setText("still here");
    Ref<Pasteboard> pasteboard = Pasteboard::fromMimeData(mime.get());
    EXPECT_EQ(pasteboard->stringForType(NSPasteboardTypeString), "still here");
}
