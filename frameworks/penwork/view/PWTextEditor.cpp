#include "frameworks/penwork/view/PWTextEditor.h"

#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Font.h"
#include "platform/ui/FontManager.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

namespace {

struct TextHooks {
    QRectF frame;
    QTransform transform;
    std::unique_ptr<QTextDocument> document;
    PWTextFormat format;
    pf::Ref<PWTextAdornment> adornment;
    bool wraps = false;
};

// Without `withDocument` the document is left out (asked on every move of the caret).
TextHooks hooksFor(const PWDrawableObject& object, bool withDocument = true)
{
    TextHooks hooks;
    if (auto* shape = dynamic_cast<const PWTextShape*>(&object)) {
        hooks.frame = shape->editingFrame();
        hooks.transform = shape->editingTransform();
        if (withDocument)
            hooks.document = shape->editingDocument();
        hooks.format = shape->textFormat();
        hooks.adornment = shape->textAdornment();
        hooks.wraps = true;
    } else if (auto* path = dynamic_cast<const PWTextPath*>(&object)) {
        hooks.frame = path->editingFrame();
        hooks.transform = path->editingTransform();
        if (withDocument)
            hooks.document = path->editingDocument();
        hooks.format = path->textFormat();
        hooks.format.wrapsLines = false;
        hooks.adornment = path->textAdornment();
    }
    return hooks;
}

// The document's fonts grown by the view's scale so the editor shows the text as large as
// the drawing does.
void scaleFonts(QTextDocument& document, double scale)
{
    if (scale == 1.0)
        return;
    QFont base = document.defaultFont();
    if (base.pointSizeF() > 0)
        base.setPointSizeF(base.pointSizeF() * scale);
    document.setDefaultFont(base);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            QTextCharFormat format = fragment.charFormat();
            const double size = format.fontPointSize();
            if (size <= 0)
                continue;
            format.setFontPointSize(size * scale);
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

QFont fontOfFormat(const QTextCharFormat& format, const QTextDocument& document)
{
    return pwtext::resolvedFont(format, document);
}

QFont resized(QFont font, double factor)
{
    if (font.pointSizeF() > 0.0 && factor > 0.0 && std::isfinite(factor))
        font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

pf::FontManager* managerFrom(const QVariant& sender)
{
    if (auto manager = std::dynamic_pointer_cast<pf::FontManager>(pf::objectFromVariant(sender)))
        return manager.get();
    return pf::FontManager::shared();
}

} // namespace

PF_DEFINE_CLASS(PWTextEditor, pf::Reflective)
{
    b.method("changeFont:", &PWTextEditor::changeFont);
    b.method("changeAttributes:", &PWTextEditor::changeAttributes);
}

PWTextEditor::PWTextEditor(PWDrawingView& view, const pf::Ref<PWDrawableObject>& object)
    : QTextEdit(&view), m_view(view), m_object(object)
{
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptRichText(false);
    setAutoFillBackground(true);
    loadDocument();
    updatePlacement();
    // The font manager's changes come here while the text is edited, wherever the focus is
    // (a click in an inspector must not lose them).
    pf::FontManager::shared()->setTarget(this);
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { reportSelectionToFontManager(); });
    connect(this, &QTextEdit::selectionChanged, this, [this] { reportSelectionToFontManager(); });
    reportSelectionToFontManager();
}

PWTextEditor::~PWTextEditor()
{
    detachFromFontManager();
}

void PWTextEditor::detachFromFontManager()
{
    pf::FontManager* manager = pf::FontManager::shared();
    if (manager->target() == this)
        manager->setTarget(nullptr);
}

bool PWTextEditor::canEditObject(const PWDrawableObject* object)
{
    return dynamic_cast<const PWTextShape*>(object) || dynamic_cast<const PWTextPath*>(object);
}

bool PWTextEditor::objectIsEditable() const
{
    pf::Ref<PWDrawableObject> object = m_object.lock();
    return object && object->container() && object->drawing() && !object->locked();
}

void PWTextEditor::commit()
{
    if (!objectIsEditable())
        return;
    pf::Ref<PWDrawableObject> object = m_object.lock();
    const QString text = toPlainText();
    const PWTextRuns runs = editedRuns();
    if (auto* shape = dynamic_cast<PWTextShape*>(object.get()))
        shape->commitEditedText(text, runs);
    else if (auto* path = dynamic_cast<PWTextPath*>(object.get()))
        path->commitEditedText(text, runs);
}

PWTextFormat PWTextEditor::objectFormat() const
{
    pf::Ref<PWDrawableObject> object = m_object.lock();
    return object ? hooksFor(*object, false).format : PWTextFormat();
}

PWTextRuns PWTextEditor::editedRuns() const
{
    return pwtext::runsFromDocument(*document(), objectFormat(), m_loadedScale > 0 ? m_loadedScale : 1.0);
}

void PWTextEditor::loadDocument(const QString* text, const PWTextRuns* runs)
{
    pf::Ref<PWDrawableObject> object = m_object.lock();
    if (!object)
        return;
    TextHooks hooks = hooksFor(*object);
    if (!hooks.document)
        return;
    if (text) {
        PWTextFormat format = hooks.format;
        format.runs = runs ? *runs : PWTextRuns();
        hooks.document = pwtext::editingDocument(*text, format, hooks.document->textWidth());
    }
    // The text edit keeps its own document: copy the content in, with fonts at the view scale.
    std::unique_ptr<QTextDocument> scaled(hooks.document->clone());
    scaleFonts(*scaled, m_view.scale());
    scaled->setDocumentMargin(0);
    // A document loaded earlier is ours to delete; the text edit's own first one it deletes
    // itself when replaced. Decide before replacing, while the pointer is still good.
    QTextDocument* previous = document();
    QTextDocument* ours = (previous && previous->parent() == this) ? previous : nullptr;
    QTextDocument* loaded = scaled.release();
    loaded->setParent(this);
    setDocument(loaded);
    delete ours;
    m_loadedScale = m_view.scale();
    moveCursor(QTextCursor::End);
}

void PWTextEditor::updatePlacement()
{
    pf::Ref<PWDrawableObject> object = m_object.lock();
    if (!object)
        return;
    if (m_loadedScale != m_view.scale()) {
        // Reloaded at the new scale with what has been typed so far, runs and all.
        const QString text = toPlainText();
        const PWTextRuns runs = editedRuns();
        loadDocument(&text, &runs);
    }
    const TextHooks hooks = hooksFor(*object, false);
    const QRectF inDrawing = hooks.transform.mapRect(hooks.frame);
    QRectF inView = m_view.convertRectFromDrawing(inDrawing);
    // Room for the caret, and at least one line for empty text.
    const double minimumHeight = fontMetrics().height() + 4;
    if (inView.height() < minimumHeight)
        inView.setHeight(minimumHeight);
    if (inView.width() < 40)
        inView.setWidth(40);
    document()->setTextWidth(hooks.wraps ? inView.width() : -1);
    setGeometry(inView.toAlignedRect());
}

void PWTextEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit finishRequested();
        return;
    }
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn) {
        pf::Ref<PWDrawableObject> object = m_object.lock();
        const bool typesNewline = dynamic_cast<PWTextShape*>(object.get()) && PWTextShape::returnInsertsNewline();
        // Option-Return always types a newline in a text box.
        const bool forced = dynamic_cast<PWTextShape*>(object.get()) && (event->modifiers() & Qt::AltModifier);
        if (!typesNewline && !forced) {
            emit finishRequested();
            return;
        }
    }
    QTextEdit::keyPressEvent(event);
}

// --- The font manager ------------------------------------------------------------------------

QList<QFont> PWTextEditor::selectedFonts() const
{
    const double scale = m_loadedScale > 0 ? m_loadedScale : 1.0;
    QList<QFont> fonts;
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        fonts.append(resized(fontOfFormat(currentCharFormat(), *document()), 1.0 / scale));
        return fonts;
    }
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.position() + fragment.length() <= from || fragment.position() >= to)
                continue;
            const QFont font = resized(fontOfFormat(fragment.charFormat(), *document()), 1.0 / scale);
            if (!fonts.contains(font))
                fonts.append(font);
        }
    }
    if (fonts.isEmpty())
        fonts.append(resized(fontOfFormat(currentCharFormat(), *document()), 1.0 / scale));
    return fonts;
}

QColor PWTextEditor::selectedColour() const
{
    const QTextCharFormat format = currentCharFormat();
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        return format.foreground().color();
    return objectFormat().colour;
}

void PWTextEditor::reportSelectionToFontManager()
{
    pf::FontManager* manager = pf::FontManager::shared();
    if (manager->target() != this)
        return;
    const QList<QFont> fonts = selectedFonts();
    const bool multiple = fonts.size() > 1;
    manager->setSelectedFont(pf::Font::fromQFont(fonts.first()), multiple);
    pf::Ref<PWDrawableObject> object = m_object.lock();
    const TextHooks hooks = object ? hooksFor(*object, false) : TextHooks();
    QVariantMap attributes = hooks.adornment ? hooks.adornment->textAttributes() : QVariantMap();
    attributes.insert(kPWTextFontAttribute, fonts.first());
    attributes.insert(kPWTextFontSizeAttribute, fonts.first().pointSizeF());
    attributes.insert(kPWTextColourAttribute, selectedColour());
    manager->setSelectedAttributes(attributes, multiple);
}

void PWTextEditor::changeSelectedFormats(const std::function<void(QTextCharFormat&)>& change)
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection()) {
        QTextCharFormat format = currentCharFormat();
        format.setFont(fontOfFormat(format, *document()), QTextCharFormat::FontPropertiesAll);
        change(format);
        setCurrentCharFormat(format);
        return;
    }
    // The stretches are collected first: changing one splits and merges fragments.
    const int from = cursor.selectionStart();
    const int to = cursor.selectionEnd();
    QList<std::pair<std::pair<int, int>, QTextCharFormat>> stretches;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (end > start)
                stretches.append({{start, end}, fragment.charFormat()});
        }
    }
    cursor.beginEditBlock();
    for (auto& [range, format] : stretches) {
        format.setFont(fontOfFormat(format, *document()), QTextCharFormat::FontPropertiesAll);
        change(format);
        QTextCursor stretch(document());
        stretch.setPosition(range.first);
        stretch.setPosition(range.second, QTextCursor::KeepAnchor);
        stretch.setCharFormat(format);
    }
    cursor.endEditBlock();
}

void PWTextEditor::changeFont(const QVariant& sender)
{
    pf::FontManager* manager = managerFrom(sender);
    const double scale = m_loadedScale > 0 ? m_loadedScale : 1.0;
    changeSelectedFormats([&](QTextCharFormat& format) {
        const QFont current = resized(fontOfFormat(format, *document()), 1.0 / scale);
        const pf::Font converted = manager->convertFont(pf::Font::fromQFont(current));
        if (!converted.isValid())
            return;
        format.setFont(resized(converted.qFont(), scale), QTextCharFormat::FontPropertiesAll);
    });
    updatePlacement();
    reportSelectionToFontManager();
}

void PWTextEditor::changeAttributes(const QVariant& sender)
{
    pf::FontManager* manager = managerFrom(sender);
    pf::Ref<PWDrawableObject> object = m_object.lock();
    if (!object)
        return;
    const TextHooks hooks = hooksFor(*object, false);
    QVariantMap current = hooks.adornment ? hooks.adornment->textAttributes() : QVariantMap();
    current.insert(kPWTextColourAttribute, selectedColour());
    const QVariantMap converted = manager->convertAttributes(current);

    // The colour goes on the text; a colour taken away leaves it in the object's colour.
    const QColor colour = pwtext::colourFromAttributes(converted);
    const bool colourRemoved = !converted.contains(kPWTextColourAttribute);
    if (colourRemoved || colour != selectedColour()) {
        const QColor shown = colourRemoved ? hooks.format.colour : colour;
        changeSelectedFormats([&](QTextCharFormat& format) { format.setForeground(shown); });
    }

    // What runs cannot hold applies to the whole object, as its text adornment draws it.
    if (!hooks.adornment || !objectIsEditable())
        return;
    QVariantMap changed;
    for (auto it = converted.constBegin(); it != converted.constEnd(); ++it) {
        if (it.key() == kPWTextColourAttribute || it.key() == kPWTextFontAttribute || it.key() == kPWTextFontSizeAttribute)
            continue;
        if (!current.contains(it.key()) || current.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    // Attributes taken away (a colour, a shadow) are cleared.
    for (auto it = current.constBegin(); it != current.constEnd(); ++it)
        if (!converted.contains(it.key()) && it.key() != kPWTextColourAttribute)
            changed.insert(it.key(), QVariant());
    if (changed.isEmpty())
        return;
    hooks.adornment->setTextAttributes(changed);
    // The editor shows the alignment as the drawing will.
    if (changed.contains(kPWTextParagraphStyleAttribute)) {
        const QString text = toPlainText();
        const PWTextRuns runs = editedRuns();
        const int position = textCursor().position();
        loadDocument(&text, &runs);
        QTextCursor cursor = textCursor();
        cursor.setPosition(std::min(position, int(toPlainText().size())));
        setTextCursor(cursor);
    }
}
