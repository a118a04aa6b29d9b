#include "frameworks/penwork/view/PWTextEditor.h"

#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/view/PWDrawingView.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

#include <cmath>

namespace {

struct TextHooks {
    QRectF frame;
    QTransform transform;
    std::unique_ptr<QTextDocument> document;
    bool wraps = false;
};

TextHooks hooksFor(const PWDrawableObject& object)
{
    TextHooks hooks;
    if (auto* shape = dynamic_cast<const PWTextShape*>(&object)) {
        hooks.frame = shape->editingFrame();
        hooks.transform = shape->editingTransform();
        hooks.document = shape->editingDocument();
        hooks.wraps = true;
    } else if (auto* path = dynamic_cast<const PWTextPath*>(&object)) {
        hooks.frame = path->editingFrame();
        hooks.transform = path->editingTransform();
        hooks.document = path->editingDocument();
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

} // namespace

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
}

PWTextEditor::~PWTextEditor() = default;

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
    if (auto* shape = dynamic_cast<PWTextShape*>(object.get()))
        shape->commitEditedText(text);
    else if (auto* path = dynamic_cast<PWTextPath*>(object.get()))
        path->commitEditedText(text);
}

void PWTextEditor::loadDocument()
{
    pf::Ref<PWDrawableObject> object = m_object.lock();
    if (!object)
        return;
    TextHooks hooks = hooksFor(*object);
    if (!hooks.document)
        return;
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
        const QString text = toPlainText();
        loadDocument();
        setPlainText(text);
        moveCursor(QTextCursor::End);
    }
    const TextHooks hooks = hooksFor(*object);
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
