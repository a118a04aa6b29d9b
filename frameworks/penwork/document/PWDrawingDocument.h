#pragma once

#include "frameworks/penwork/layers/PWDrawing.h"
#include "platform/ui/Document.h"

#include <QList>
#include <QPointer>

class PWDrawingTool;
class PWDrawingView;
class PWStyle;
class QWidget;
class RVUndoManager;

// The document types of a drawing file: the flat form (a binary keyed archive) and the XML
// form of the same archive. Both are read under either type.
inline const QString kPWDrawingDocumentType = QStringLiteral("Drawing");
inline const QString kPWDrawingDocumentXMLType = QStringLiteral("Drawing XML");

// A document holding one drawing. The document is the drawing's delegate and owner, and the
// drawing records its undo (with its layers, objects and styles) with the document's undo
// manager, an RVUndoManager that lasts as long as the document.
//
// Subclasses adjust the default drawing and the hooks; reading installs the drawing through
// setDrawing, so an override of setDrawing sees every drawing the document gets.
class PWDrawingDocument : public pf::Document, public PWDrawingDelegate {
    PF_CLASS(PWDrawingDocument)
public:
    PWDrawingDocument();
    ~PWDrawingDocument() override;

    // The undo levels new documents start with (0: unlimited); kept in the user defaults.
    // Negative values are refused.
    static int defaultLevelsOfUndo();
    static void setDefaultLevelsOfUndo(int levels);

    pf::Ref<PWDrawing> drawing() const { return m_drawing; }
    // Installs the drawing with undo registration off: the drawing takes the document's undo
    // manager (and so do the styles it uses that recorded with its previous one), the
    // document becomes its delegate and owner. The undo history of a replaced drawing is
    // dropped, since it acts on objects the document no longer shows. Null removes the drawing.
    virtual void setDrawing(const pf::Ref<PWDrawing>& drawing);
    RVUndoManager* drawingUndoManager() const { return m_undoManager.get(); }

    // A new untitled document holds makeDefaultDrawing().
    bool initWithType(const QString& type, pf::Error* error) override;
    // Reads a drawing archive (flat or XML, under either type) and installs it; on failure the
    // document keeps the drawing it had and the error is the framework's.
    bool readFromData(const QByteArray& data, const QString& type, pf::Error* error) override;
    // The drawing's archive: flat for kPWDrawingDocumentType, XML for kPWDrawingDocumentXMLType.
    QByteArray dataOfType(const QString& type, pf::Error* error) override;
    // A regular file holding dataOfType.
    pf::FileWrapperRef fileWrapperOfType(const QString& type, pf::Error* error) override;

    // Hooks -----------------------------------------------------------------------------------

    // A new drawing: a grid layer at the bottom, a layer of classOfDefaultDrawingLayer (active)
    // and a guide layer on top, in centimetres on an A4 page.
    virtual pf::Ref<PWDrawing> makeDefaultDrawing();
    // The category the styles met in opened documents are filed under.
    virtual QString documentStyleCategoryName() const;
    // The class of new drawing layers: PWObjectDrawingLayer. A class that is not a layer, or
    // cannot be made, gives a PWObjectDrawingLayer.
    virtual const pf::Class& classOfDefaultDrawingLayer() const;
    // Whether the default drawing should carry an information layer. The framework has no
    // information layer kind, so the answer changes nothing yet.
    virtual bool wantsInfoLayer() const { return false; }
    // A new drawing view (owned by the caller) showing the document's drawing at full size,
    // for printing; it is never the main view. Null without a drawing.
    virtual QWidget* makePrintDrawingView();
    // Prints the drawing through makePrintDrawingView (deleted when the job ends) with a copy
    // of the document's print info, so choices made for one job leave the page setup alone.
    pf::Ref<pf::PrintOperation> printOperationWithSettings(const QVariantMap& settings, pf::Error* error) override;
    void runModalPrintOperation(const pf::Ref<pf::PrintOperation>& operation,
                                std::function<void(bool printed)> done) override;

    // The drawing view of the drawing's first view controller that shows one (print views
    // left out), or null.
    PWDrawingView* mainView() const;
    // The main view's current tool, or null.
    pf::Ref<PWDrawingTool> drawingTool() const;

    // Replaces every style the drawing uses by the style of `styles` with the same unique key
    // (styles without a match stay), undoably.
    void replaceDocumentStylesWithMatchingStylesFromSet(const QList<pf::Ref<PWStyle>>& styles);

    // PWDrawingDelegate: lengths are shown in the drawing's own units.
    pf::Ref<RVUnitLength> convertedDisplayUnitsForDrawing(const PWDrawing& drawing) const override;
    double conversionMultiplierForDisplayUnits() const override;

protected:
    // A view made for printing: it shows the drawing but is never the main view.
    void addPrintView(QWidget* view) const;

private:
    pf::Ref<RVUndoManager> m_undoManager;
    pf::Ref<PWDrawing> m_drawing;
    // The print views made for the drawing: they show it too, but are never the main view.
    mutable QList<QPointer<QWidget>> m_printViews;
};
