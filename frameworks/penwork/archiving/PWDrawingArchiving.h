#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/PropertyList.h"

#include <QByteArray>
#include <QList>

class PWDrawing;
class PWUnarchivingHelper;

// Writing drawings (and other framework objects) as keyed archives, and reading them back.
//
// A drawing archive holds the drawing under the root key and, at its top, the number of
// elements (the drawing, its layers and its drawables) it holds, so a read can show progress.
// It is written as a binary property list (the flat form) or as XML; reading takes either.
//
// Every read goes through a fresh unarchiving helper of the class PWDrawing names: the read
// posts kPWDrawingWillBeginDearchiving (object: PWClassObject::forClass(PWDrawing); user info
// "Data" = the data being read, "Helper" = the helper, "NumberOfObjects" = the element count
// the archive gives, 0 when it gives none) on the reading thread before any object is decoded,
// then decodes with the helper as the unarchiver's delegate. A damaged archive, an object of a
// class that cannot be decoded, a root that is not a drawing or a cancelled read answers null
// with a kPWErrorDomain error; nothing of a failed read is handed out.
class PWDrawingArchiving {
public:
    static inline const QString kElementCountKey = QStringLiteral("pw_archive_elementCount");
    static inline const QString kObjectsKey = QStringLiteral("pw_archive_objects");

    // The archive of `drawing`; empty, with the error, when it cannot be written.
    static QByteArray dataWithDrawing(const pf::Ref<PWDrawing>& drawing,
                                      pf::PropertyListFormat format = pf::PropertyListFormat::Binary,
                                      pf::Error* error = nullptr);
    // The drawing the archive holds, read through a new helper (makeHelperForRead), or null
    // with the error.
    static pf::Ref<PWDrawing> drawingWithData(const QByteArray& data, pf::Error* error = nullptr);
    // As above through the caller's helper, which must not have been used for another read.
    static pf::Ref<PWDrawing> drawingWithData(const QByteArray& data, const pf::Ref<PWUnarchivingHelper>& helper,
                                              pf::Error* error = nullptr);

    // The elements an archive of `drawing` holds: the drawing, every layer and group, and
    // every drawable, group members included.
    static quint64 countOfElements(const PWDrawing& drawing);

    // A list of objects of any archivable class in one archive (pasteboards), and back: the
    // objects of `cls` among those read, or nothing (with the error) when the archive is
    // damaged or any object in it fails to decode. The class-name aliases apply; no helper.
    static QByteArray dataWithObjects(const QList<pf::Ref<pf::Object>>& objects,
                                      pf::PropertyListFormat format = pf::PropertyListFormat::Binary,
                                      pf::Error* error = nullptr);
    static QList<pf::Ref<pf::Object>> objectsWithData(const QByteArray& data, const pf::Class& cls,
                                                      pf::Error* error = nullptr);

    // The class names of retired and system object kinds read as framework classes:
    // "PWXGradientFill" as PWGradientFill (while that class is registered),
    // "PWXLabelShape" and "PWXLabelledShape" as PWDrawableShape, "PWXTrack" as PWDrawablePath.
    // Registered class-wide; every read calls it first, so calling it is only needed before
    // reading with a bare unarchiver.
    static void registerClassNameAliases();
};
