#pragma once

#include <QFrame>

#include <array>

class QButtonGroup;
class QToolButton;
class TShape;

// The drop-down palette of step 2: 48 swatch buttons in eight columns and a wide custom
// button with its own swatch, all one exclusive group. It only shows and reports; the
// main window decides what a pick means.
class ColorPalette final : public QFrame {
    Q_OBJECT

public:
    explicit ColorPalette(QWidget *parent);

    // Presses the button of a palette index: 1..48 a swatch, 0 the custom button.
    void pressIndex(int index);
    int pressedIndex() const;
    void setCustomSwatch(const QColor &color);
    QColor customSwatch() const;
    QColor swatchColor(int index) const;
    QToolButton *button(int index) const { return m_buttons.at(static_cast<std::size_t>(index)); }

signals:
    // A swatch button was clicked; index is its tag.
    void swatchClicked(int index);
    void customClicked();

private:
    QButtonGroup *m_group;
    std::array<QToolButton *, 49> m_buttons {};
    std::array<TShape *, 49> m_swatches {};
};
