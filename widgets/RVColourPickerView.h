#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ActionSender.h"
#include "platform/ui/View.h"

#include <QPointer>

#include "frameworks/penwork/support/RVInfoFloater.h"

namespace pf {
class ColorList;
}

// The content of the pop-up colour picker: a grid of 16 x 16 swatches from the "Web Safe
// Colors" list, or a colour wheel (hue by angle, saturation by radius) whose brightness the
// scroll wheel changes. While the mouse is dragged the colour under it goes to the target, so
// the host previews it live. Holding Option shows the other mode for as long as it is held.
// Flipped.
class RVColourPickerView : public pf::View, public pf::ActionSender {
    Q_OBJECT
    PF_CLASS(RVColourPickerView)
public:
    enum Mode : int { SwatchMode = 0, SpectrumMode = 1 };
    static constexpr int kSwatchesPerSide = 16;
    static inline const QPointF kNoSelection{-1, -1};

    explicit RVColourPickerView(const QRectF& frame, QWidget* parent = nullptr);
    ~RVColourPickerView() override;

    bool isFlipped() const override { return true; }

    int mode() const { return mMode; }
    void setMode(int mode);
    double brightness() const { return mBright; }
    // Clamped to 0..1; a change redraws and, on the wheel, sends the action.
    void setBrightness(double brightness);
    pf::Color colorForUndefinedSelection() const { return mNonSelectColour; }
    // Also takes the colour's brightness. A colour with no components (none, or a pattern)
    // stands as grey.
    void setColorForUndefinedSelection(const pf::Color& colour);
    bool showsInfo() const { return mShowsInfo; }
    void setShowsInfo(bool shows) { mShowsInfo = shows; }
    QPointF selection() const { return mSel; }

    // The colour picked: the swatch or wheel point selected, else the undefined-selection
    // colour. Invalid only when there is no swatch list.
    pf::Color color() const;
    pf::Color colorForSwatch(int x, int y) const;
    pf::Color colorForSpectrumPoint(QPointF point) const;
    QPointF pointForSpectrumColor(const pf::Color& colour) const;
    bool pointIsInColourwheel(QPointF point) const;
    // Column and row of the swatch under `point`, or (-1, -1) outside the bounds.
    QPointF swatchAtPoint(QPointF point) const;
    // Swatch mode: the swatch's cell; wheel mode: the marker around the point.
    QRectF rectForSwatch(QPointF swatch) const;
    QRectF rectForSpectrumPoint(QPointF point) const;
    QRectF swatchDrawingRect(int x, int y) const;
    QRectF wheelRect() const;
    QPointF wheelCentre() const;
    float wheelRadius() const;

    void sendToTarget();
    QVariant senderValue() const override;
    RVInfoFloater* infoFloater() const { return mInfWin; }

    void drawRect(const QRectF& dirtyRect) override;
    void mouseDown(const pf::Event& event) override;
    void mouseDragged(const pf::Event& event) override;
    void mouseUp(const pf::Event& event) override;
    void scrollWheel(const pf::Event& event) override;
    void flagsChanged(const pf::Event& event) override;
    void viewDidMoveToWindow() override;

    // The swatch list (null when none can be had) and the wheel picture.
    static pf::Ref<pf::ColorList> swatchList();
    static const QImage& colourWheelImage();

private:
    void updateInfoAtPoint(QPointF point);
    void drawSwatches(const QRectF& dirtyRect);
    void drawSpectrum(const QRectF& dirtyRect);

    pf::Color mNonSelectColour;
    QPointer<RVInfoFloater> mInfWin;
    int mMode = SpectrumMode;
    int mOriginalMode = SpectrumMode;
    QPointF mSel = kNoSelection;
    double mBright = 1.0;
    bool mShowsInfo = true;
};
