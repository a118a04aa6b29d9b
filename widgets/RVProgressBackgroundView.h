#pragma once

#include <QWidget>

// The background of the progress window's host view: a light vertical gradient, with a thin
// line above each stacked progress view when there are several.
class RVProgressBackgroundView : public QWidget {
public:
    explicit RVProgressBackgroundView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
