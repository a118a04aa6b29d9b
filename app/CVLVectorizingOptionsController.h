#pragma once

#include "platform/ui/WindowController.h"

#include <QImage>
#include <QPointer>
#include <QVariantMap>

class CVLVectorizingPreviewView;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
namespace pf {
class Slider;
}

// What the tracing options sheet asks of its delegate (the document).
class CVLVectorizingDelegate {
public:
    virtual ~CVLVectorizingDelegate() = default;
    // The image to trace; null when there is none.
    virtual QImage vectorizingSourceImage() { return {}; }
    // The tracing parameters to start from.
    virtual QVariantMap vectorizingOptions() { return {}; }
    // The user chose Vectorize with these parameters.
    virtual void vectorizeWithOptions(const QVariantMap&) {}
};

// The sheet in which the user sets the tracing parameters while watching the image and its
// traced preview side by side. Each run starts from a fresh copy of the delegate's parameters,
// so cancelled edits are dropped. Parameter changes update their labels at once; the preview
// is traced again once a burst of changes (a slider being dragged) has settled.
class CVLVectorizingOptionsController : public pf::WindowController {
    PF_CLASS(CVLVectorizingOptionsController)
public:
    static constexpr int kReturnCancel = 0;
    static constexpr int kReturnVectorize = 1;
    // A burst of changes closer together than this traces the preview once.
    static constexpr int kPreviewDelayMs = 120;

    CVLVectorizingOptionsController();
    ~CVLVectorizingOptionsController() override;

    CVLVectorizingDelegate* delegate() const { return m_delegate; }
    QImage image() const { return m_sourceImage; }
    void setImage(const QImage& image) { m_sourceImage = image; }
    QVariantMap options() const { return m_options; }
    void setOptions(const QVariantMap& options) { m_options = options; }

    // Takes the image and parameters from `delegate` and shows the sheet on `window` (or as a
    // window-modal dialog when there is no window).
    void runModalVectorizingDialogForWindow(QWidget* window, CVLVectorizingDelegate* delegate);
    void stopModalVectorizingDialog();
    void cancelAction(const QVariant& sender);
    void vectorizeAction(const QVariant& sender);
    void sheetDidEnd(int returnCode);

    // Parameter actions: each stores the sender's value (a control, or the value itself) under
    // its key and schedules a new preview.
    void colorGrayscaleAction(const QVariant& sender);
    void levelsAction(const QVariant& sender);
    void turdSizeAction(const QVariant& sender);
    void alphaMaxAction(const QVariant& sender);
    void turnPolicyAction(const QVariant& sender);
    void optimizeCurvesAction(const QVariant& sender);
    void optimizeAmountAction(const QVariant& sender);

    void setUIFromOptions();
    // Traces the image with the current parameters into the traced preview now.
    void updateVectorImage();
    bool isVectorImageUpdatePending() const { return m_updatePending; }
    int vectorImageUpdateCount() const { return m_updateCount; }

    CVLVectorizingPreviewView* originalImageView() const;
    CVLVectorizingPreviewView* vectorImageView() const;
    QLabel* levelsLabel() const;
    QRadioButton* colourButton() const;
    QRadioButton* greyscaleButton() const;
    pf::Slider* levelsSlider() const;
    pf::Slider* scaleSlider() const;

private:
    void buildWindow();
    void storeValue(const QString& key, const QVariant& sender);
    void scheduleVectorImageUpdate();
    void updateLabels();

    CVLVectorizingDelegate* m_delegate = nullptr;
    QVariantMap m_options;
    QImage m_sourceImage;
    bool m_updatePending = false;
    int m_updateCount = 0;
    QPointer<CVLVectorizingPreviewView> m_originalImageView;
    QPointer<CVLVectorizingPreviewView> m_vectorImageView;
    QPointer<QPushButton> m_vectorizeButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QRadioButton> m_colourButton;
    QPointer<QRadioButton> m_greyscaleButton;
    QPointer<pf::Slider> m_scaleSlider;
    QPointer<pf::Slider> m_levelsSlider;
    QPointer<QLabel> m_levelsLabel;
    QPointer<pf::Slider> m_turdSizeSlider;
    QPointer<QLabel> m_turdSizeLabel;
    QPointer<pf::Slider> m_alphaMaxSlider;
    QPointer<QLabel> m_alphaMaxLabel;
    QPointer<pf::Slider> m_turnPolicySlider;
    QPointer<QLabel> m_turnPolicyLabel;
    QPointer<QCheckBox> m_optimizeCurvesCheckBox;
    QPointer<pf::Slider> m_optimizeAmountSlider;
    QPointer<QLabel> m_optimizeAmountLabel;
};
