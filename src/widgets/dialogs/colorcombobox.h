#pragma once

#include <QComboBox>

// A drop-down list of colours, each item drawn as a swatch followed by its name, in the
// list and in the closed box alike. An item's colour is its Qt::UserRole data.
class ColorComboBox final : public QComboBox {
    Q_OBJECT

public:
    explicit ColorComboBox(QWidget *parent = nullptr);

    void addColor(const QString &text, const QColor &color);
    QColor color(int index) const;
    void setColor(int index, const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
};
