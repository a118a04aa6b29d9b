// The help index ("VNQLQuilloryHelpIndex.plist"): any file reads into a trampoline with or
// without an index, and every name the index lists resolves to a page of the guide; a name
// found only among the anchors carries itself, whole, as the URL's fragment.
#include "app/VNQLHelpTrampoline.h"
#include "fuzz/FuzzWorkFolder.h"

#include <cstdint>

namespace {

using quillory::fuzz::check;

const QString& workFolder()
{
    return quillory::fuzz::workFolder("help-fuzz");
}

QStringList namesIn(const QVariantMap& page, const QString& key)
{
    QStringList out;
    for (const QVariant& name : page.value(key).toList())
        if (name.typeId() == QMetaType::QString && !name.toString().isEmpty())
            out.append(name.toString());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QString path = workFolder() + QStringLiteral("/VNQLQuilloryHelpIndex.plist");
    quillory::fuzz::writeInput(path, bytes, size);
    const VNQLHelpTrampoline help(path);
    // A name made of the input itself, whatever it holds.
    const QString stray = QString::fromUtf8(reinterpret_cast<const char*>(bytes), int(std::min<size_t>(size, 64)));
    const QUrl strayURL = help.urlForIdentifier(stray);
    if (!help.hasIndex()) {
        check(strayURL.isEmpty());
        return 0;
    }
    check(help.rootURL().path().endsWith(QLatin1Char('/')));
    (void)help.helpTitle();
    QSet<QString> aliases;
    QSet<QString> anchors;
    for (const QVariant& item : help.index().value(VNQLHelpTrampoline::kPagesKey).toList()) {
        const QVariantMap page = item.toMap();
        if (page.value(VNQLHelpTrampoline::kPageKey).typeId() != QMetaType::QString
            || page.value(VNQLHelpTrampoline::kPageKey).toString().isEmpty())
            continue;
        for (const QString& alias : namesIn(page, VNQLHelpTrampoline::kAliasesKey))
            aliases.insert(alias);
        for (const QString& anchor : namesIn(page, VNQLHelpTrampoline::kAnchorsKey))
            anchors.insert(anchor);
    }
    for (const QString& alias : std::as_const(aliases)) {
        const QUrl url = help.urlForIdentifier(alias);
        check(!url.isEmpty() && !url.hasFragment());
    }
    for (const QString& anchor : std::as_const(anchors)) {
        if (aliases.contains(anchor))
            continue;
        const QUrl url = help.urlForIdentifier(anchor);
        check(!url.isEmpty() && url.fragment(QUrl::FullyDecoded) == anchor);
    }
    return 0;
}
