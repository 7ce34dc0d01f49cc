#pragma once

#include <QColor>
#include <QWidget>

// A rectangle that paints a fill and an outline: colour swatches, highlights and
// selection frames. An invalid fill or pen colour leaves that part unpainted.
class TShape final : public QWidget {
    Q_OBJECT

public:
    explicit TShape(QWidget *parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor &color);
    QColor penColor() const { return m_pen; }
    void setPen(const QColor &color, int width = 1);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    QColor m_pen;
    int m_penWidth = 1;
};
