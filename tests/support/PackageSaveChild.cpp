// A program that does nothing but save document packages, for the test that kills a save at
// random points. Usage: package_save_child PATH COUNT. It writes, through the document's own
// write path, a package of COUNT shapes and one of COUNT + 1 shapes in turn, printing "saved"
// after each, until it is killed or has saved 10000 times.
#include "app/RVCartavelDocument.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "platform/ui/DocumentController.h"

#include <QApplication>
#include <QUrl>

#include <cstdio>

namespace {

pf::Ref<RVCartavelDocument> documentWithShapes(pf::DocumentController& controller, int count)
{
    pf::Error error;
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(
        controller.makeUntitledDocumentOfType(RVCartavelDocument::kNativeType, &error));
    if (!document)
        return nullptr;
    auto layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(
        document->drawing()->activeLayerOfClass(PWObjectDrawingLayer::staticClass()));
    if (!layer)
        return nullptr;
    for (int i = 0; i < count; ++i)
        layer->addObject(PWDrawableShape::drawableShapeWithRect(QRectF(i % 100 * 5, i / 100 * 5, 4, 4)));
    return document;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const QUrl url = QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1]));
    const int count = QByteArray(argv[2]).toInt();
    auto controller = std::make_shared<pf::DocumentController>();
    RVCartavelDocument::registerDocumentTypes(*controller);
    const pf::Ref<RVCartavelDocument> documents[] = {documentWithShapes(*controller, count),
                                                     documentWithShapes(*controller, count + 1)};
    if (!documents[0] || !documents[1])
        return 3;
    pf::FileWrapperRef wrappers[2];
    for (int i = 0; i < 2; ++i) {
        pf::Error error;
        wrappers[i] = documents[i]->fileWrapperOfType(RVCartavelDocument::kNativeType, &error);
        if (!wrappers[i])
            return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (int round = 0; round < 10000; ++round) {
        pf::Error error;
        const int which = round % 2;
        if (!documents[which]->writeFileWrapper(wrappers[which], url, RVCartavelDocument::kNativeType,
                                                pf::SaveOperation::Save, &error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error.description()));
            return 1;
        }
        std::printf("saved\n");
        std::fflush(stdout);
    }
    return 0;
}
